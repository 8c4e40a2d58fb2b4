#include "export/save_report.h"

#include <cstring>

#include "platform/atomic_file.h"

namespace pellimar {

std::string writeFailureMessage(const std::filesystem::path& file, int error) {
    return "Cannot create file \"" + file.string() + "\". " +
           (error != 0 ? writeErrorText(error) : std::string("The picture could not be encoded."));
}

}  // namespace pellimar
