#include "export/save_report.h"

namespace pellimar {

std::string reportSummary(std::size_t count) {
    if (count == 0) return "You haven't saved any file yet.";
    return std::to_string(count) + " files are saved in the directory of ...";
}

}  // namespace pellimar
