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
    }
    // The run's folder, shown with its trailing separator.
    void setFolder(const std::filesystem::path& folder) { folder_ = folder; }
    const std::filesystem::path& folder() const { return folder_; }
    void add(const std::filesystem::path& fileName) { files_.push_back(fileName); }
    const std::vector<std::filesystem::path>& files() const { return files_; }

  private:
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> files_;
};

// The report's summary line for `count` files (the wording stays for one file).
std::string reportSummary(std::size_t count);

}  // namespace pellimar
