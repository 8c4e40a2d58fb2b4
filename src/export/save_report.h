// What the last save run did: its folder and the files it wrote, in the order
// they were written, and everything that did not go as asked, with why. The
// report dialog shows the files; the window tells the rest.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/failure.h"

namespace pellimar {

class SaveReport {
  public:
    void clear() { *this = SaveReport(); }

    // The run's folder, shown with its trailing separator.
    void setFolder(const std::filesystem::path& folder) { folder_ = folder; }
    const std::filesystem::path& folder() const { return folder_; }
    void add(const std::filesystem::path& fileName) { files_.push_back(fileName); }
    // A file counted as written that did not take its name in the end.
    void remove(const std::filesystem::path& fileName) { std::erase(files_, fileName); }
    const std::vector<std::filesystem::path>& files() const { return files_; }

    // A file of the run that was not written, with why.
    void addFailure(const std::string& message) { failures_.push_back(message); }
    std::size_t failureCount() const { return failures_.size(); }
    const std::string& firstFailure() const { return first(failures_); }
    const std::vector<std::string>& failures() const { return failures_; }

    // A row whose icon could not be read: its caption, and why.
    void addUnreadableRow(const std::string& caption, const Failure& why) {
        unreadable_.push_back(caption + ": " + why.message());
        unreadableWhy_.push_back(why);
    }
    // "CAPTION: REASON" for each.
    const std::vector<std::string>& unreadableRows() const { return unreadable_; }
    // The reasons alone, in the same order.
    const std::vector<Failure>& unreadableReasons() const { return unreadableWhy_; }

    // A row that wrote nothing by the rules of its format (no image of a chosen
    // size, no size chosen that it has), with why.
    void addSkippedRow(const std::string& message) { skipped_.push_back(message); }
    const std::vector<std::string>& skippedRows() const { return skipped_; }

    // A file of the run that existed and was kept as it was, unreplaced.
    void addKept(const std::filesystem::path& fileName) { kept_.push_back(fileName); }
    const std::vector<std::filesystem::path>& kept() const { return kept_; }

    // The person stopped the run after `done` of `total` rows; the files written
    // before it stay.
    void stopByRequest(int done, int total) {
        stoppedAfter_ = done;
        rowsToSave_ = total;
    }
    bool stoppedByRequest() const { return stoppedAfter_ >= 0; }
    int rowsDoneWhenStopped() const { return stoppedAfter_; }
    int rowsToSave() const { return rowsToSave_; }

    // The run ended early at a file it could not write: the rest of the rows
    // were not looked at.
    void stopAt(const std::string& message) { stop_ = message; }
    bool stopped() const { return !stop_.empty(); }
    const std::string& stopReason() const { return stop_; }

    // The chosen name's extension names no format the program writes.
    void setUnsupportedFormat() { unsupported_ = true; }
    bool unsupportedFormat() const { return unsupported_; }

  private:
    static const std::string& first(const std::vector<std::string>& list) {
        static const std::string none;
        return list.empty() ? none : list.front();
    }

    std::filesystem::path folder_;
    std::vector<std::filesystem::path> files_;
    std::vector<std::string> failures_, unreadable_, skipped_;
    std::vector<Failure> unreadableWhy_;
    std::vector<std::filesystem::path> kept_;
    std::string stop_;
    int stoppedAfter_ = -1;
    int rowsToSave_ = 0;
    bool unsupported_ = false;
};

// What a failed write of `file` says: "Cannot create file "NAME". " and why: the
// system's reason, a refused link's, or that the picture could not be encoded.
std::string writeFailureMessage(const std::filesystem::path& file, const Failure& why);

}  // namespace pellimar
