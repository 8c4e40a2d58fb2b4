// Runs a block under a Turkish locale, where the C library's toupper() leaves "i"
// alone and tolower() leaves "I" alone (their other cases are not single bytes):
// text compared through those functions goes wrong there. The locale may not be
// installed; available() says whether it was set.
#pragma once

#include <clocale>
#include <string>

namespace pellimar::test {

class TurkishLocale {
  public:
    TurkishLocale() : old_(std::setlocale(LC_ALL, nullptr)) {
        for (const char* name : {"tr_TR.UTF-8", "tr_TR.utf8", "tr_TR"})
            if (std::setlocale(LC_ALL, name) != nullptr) {
                available_ = true;
                break;
            }
    }
    ~TurkishLocale() { std::setlocale(LC_ALL, old_.c_str()); }
    TurkishLocale(const TurkishLocale&) = delete;
    TurkishLocale& operator=(const TurkishLocale&) = delete;
    bool available() const { return available_; }

  private:
    std::string old_;
    bool available_ = false;
};

}  // namespace pellimar::test
