#include "export/save_report.h"

#include "platform/atomic_file.h"

namespace pellimar {

std::string writeFailureMessage(const std::filesystem::path& file, const Failure& why) {
    std::string reason;
    if (why.fault == Fault::CannotEncode)
        reason =
            "The picture could not be encoded" + (why.what.empty() ? "" : ": " + why.what) + ".";
    else if (why.cap == Cap::OutputBytes)
        reason = "The icons of one file may make a save write " + why.what + ".";
    else
        reason = writeFailureReason(why);
    return "Cannot create file \"" + file.string() + "\". " + reason;
}

std::string problemText(const SaveProblem& problem) {
    if (!problem.file.empty()) return writeFailureMessage(problem.file, problem.why);
    return problem.row + ": " + problem.why.message();
}

}  // namespace pellimar
