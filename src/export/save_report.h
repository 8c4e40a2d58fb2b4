// What the last save run did: its folder and the files it wrote, in the order
// they were written, and everything that did not go as asked, each as the row or
// file it concerns and why (a Failure). The report holds no text to be read: the
// window and the command line say each problem in their own words, problemText()
// being the wording they share; the report dialog shows the files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/failure.h"

namespace pellimar {

// The rules by which a format saves less of a row than was chosen, or nothing.
enum class SaveRule : std::uint8_t {
    None,
    // Icon files of programs: the icon at 32 and 16 pixels, reduced to 16 or 256
    // colours with a 1-bit mask.
    ProgramIconFile,
    // Pictures (BMP, JPEG) of programs: the icon drawn on white at 32 and 16 pixels.
    ProgramPicture,
    // A row of an icon file: its one image at the width it is stored, when that
    // size is chosen (`width` x `height`).
    ImageSize,
    // PNG: each size chosen, and none is.
    ChosenSizes,
};

// A row of the run that wrote nothing, or a file of it that was not written.
struct SaveProblem {
    std::string row;             // the row's caption ("shell32.dll-004"), for a row
    std::filesystem::path file;  // the file, with its folder, for a file
    Failure why;
    // For a row its format's rules leave out (Fault::NotChosen): which rule, and
    // for SaveRule::ImageSize the image's size.
    SaveRule rule = SaveRule::None;
    int width = 0, height = 0;
};

// A row saved with less than was chosen or stored, by its format's rule: the
// chosen sizes the rule does not write, and what the reduction to 16 or 256
// colours with a 1-bit mask gave up of the images written.
struct SaveReduction {
    std::string row;  // the row's caption
    SaveRule rule = SaveRule::None;
    std::vector<int> sizesLeftOut;  // largest first
    // Bits per pixel of an image stored with more than 8 whose more than 256
    // colours were reduced; 0 when every colour was kept.
    int storedDepth = 0;
    bool alphaDropped = false;  // transparency in steps, kept only as on or off
    bool any() const { return !sizesLeftOut.empty() || storedDepth > 0 || alphaDropped; }
};

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
    void addFailure(const std::filesystem::path& file, const Failure& why) {
        failures_.push_back({{}, file, why});
    }
    std::size_t failureCount() const { return failures_.size(); }
    const std::vector<SaveProblem>& failures() const { return failures_; }

    // A row whose icon could not be read: its caption, and why.
    void addUnreadableRow(const std::string& caption, const Failure& why) {
        unreadable_.push_back({caption, {}, why});
    }
    const std::vector<SaveProblem>& unreadableRows() const { return unreadable_; }

    // A row that wrote nothing by the rules of its format (no image of a chosen
    // size, no size chosen that it has): its caption, and why (Fault::NotChosen).
    void addSkippedRow(const std::string& caption, const Failure& why,
                       SaveRule rule = SaveRule::None, int width = 0, int height = 0) {
        skipped_.push_back({caption, {}, why, rule, width, height});
    }
    const std::vector<SaveProblem>& skippedRows() const { return skipped_; }

    // A row written with less than was chosen or stored (see SaveReduction).
    void addReduction(SaveReduction reduction) { reductions_.push_back(std::move(reduction)); }
    const std::vector<SaveReduction>& reductions() const { return reductions_; }

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

    // The run ended early at a file it could not write, for why: the rest of the
    // rows were not looked at.
    void stopAt(const std::filesystem::path& file, const Failure& why) {
        stop_ = SaveProblem{{}, file, why};
    }
    bool stopped() const { return stop_.has_value(); }
    const std::optional<SaveProblem>& stopReason() const { return stop_; }

    // The chosen name's extension names no format the program writes.
    void setUnsupportedFormat() { unsupported_ = true; }
    bool unsupportedFormat() const { return unsupported_; }

  private:
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> files_;
    std::vector<SaveProblem> failures_, unreadable_, skipped_;
    std::vector<SaveReduction> reductions_;
    std::vector<std::filesystem::path> kept_;
    std::optional<SaveProblem> stop_;
    int stoppedAfter_ = -1;
    int rowsToSave_ = 0;
    bool unsupported_ = false;
};

// What a failed write of `file` says: "Cannot create file "NAME". " and why: the
// system's reason, a refused link's, that the picture could not be encoded, or the
// output cap of one input (Cap::OutputBytes).
std::string writeFailureMessage(const std::filesystem::path& file, const Failure& why);

// A problem as the window's lists and messages and the command line say it:
// "CAPTION: <why>" for a row, writeFailureMessage() for a file.
std::string problemText(const SaveProblem& problem);

}  // namespace pellimar
