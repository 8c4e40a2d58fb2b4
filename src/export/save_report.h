// What the last save run wrote: its folder and the names of its files, in the
// order they were written. The report dialog shows it; the save command fills it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pellimar {

class SaveReport {
  public:
    void clear() {
        folder_.clear();
        files_.clear();
        firstFailure_.clear();
        failures_ = 0;
    }
    // The run's folder, shown with its trailing separator.
    void setFolder(const std::filesystem::path& folder) { folder_ = folder; }
    const std::filesystem::path& folder() const { return folder_; }
    void add(const std::filesystem::path& fileName) { files_.push_back(fileName); }
    const std::vector<std::filesystem::path>& files() const { return files_; }
    // A file of the run that was not written, with why; the first is kept.
    void addFailure(const std::string& message) {
        if (failures_++ == 0) firstFailure_ = message;
    }
    std::size_t failureCount() const { return failures_; }
    const std::string& firstFailure() const { return firstFailure_; }

  private:
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> files_;
    std::string firstFailure_;
    std::size_t failures_ = 0;
};

// What a failed write of `file` says: "Cannot create file "NAME". " and the
// system's reason for `error` (an errno value), or, for 0, that the picture could
// not be encoded.
std::string writeFailureMessage(const std::filesystem::path& file, int error);

}  // namespace pellimar
