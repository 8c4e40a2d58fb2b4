#include "export/save_report.h"

#include <cstring>

namespace pellimar {

std::string writeFailureMessage(const std::filesystem::path& file, int error) {
    return "Cannot create file \"" + file.string() + "\". " +
           (error != 0 ? std::strerror(error) : "The picture could not be encoded.");
}

std::string reportSummary(std::size_t count) {
    if (count == 0) return "You haven't saved any file yet.";
    return std::to_string(count) + " files are saved in the directory of ...";
}

}  // namespace pellimar
