#include "export/save_report.h"

#include <cstring>

namespace pellimar {

std::string writeFailureMessage(const std::filesystem::path& file, int error) {
    return "Cannot create file \"" + file.string() + "\". " +
           (error != 0 ? std::strerror(error) : "The picture could not be encoded.");
}

}  // namespace pellimar
