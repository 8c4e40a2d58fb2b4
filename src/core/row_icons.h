// The icon of a result row, read into memory from the model of its file: what the
// save command, the row preview and the pictures that leave the program work
// from. A row of a file named ".ico" (any case) is one image of that icon file;
// a row of any other file is one icon group of it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <list>
#include <optional>
#include <string>
#include <utility>

#include "platform/failure.h"
#include "platform/icon_set.h"

namespace pellimar {

// True when the rows of `source` are the images of an icon file (or of a cursor
// file, named ".cur").
bool rowsAreImages(const std::filesystem::path& source);

// The kind of the images of an icon file or cursor file; nothing for the other
// containers.
std::optional<ResourceKind> imageFileKind(const IconSet& set);

// What a person reads for a row: "regedit.exe, icon 1" (the first icon),
// "user32.dll, cursor 2" (its second cursor group), or "orange.ico, image 3" for
// the third image of an icon file.
std::string rowSourceText(const std::filesystem::path& source, int position,
                          ResourceKind kind = ResourceKind::Icon);

// Row `position` of `set` (read from `source`) as a group with every image
// loaded: the group of `kind` at that position, or for a row of an icon file its
// one image as a group of one (`kind` is then the file's own). Why not when there
// is no such group or image, or none of its images can be read.
Result<IconGroup> rowGroupOf(IconSet& set, const std::filesystem::path& source, int position,
                             ResourceKind kind = ResourceKind::Icon);

// The same, reading the file.
Result<IconGroup> readRowGroup(const std::filesystem::path& source, int position,
                               ResourceKind kind = ResourceKind::Icon);

// The picture of a row that leaves the program (dragged out, copied): the largest
// image of the row's icon up to 256 pixels (a larger one brought down to that),
// at its own size with its transparency; a row of an icon file is its one image.
Result<Icon> rowPictureToHandOut(const std::filesystem::path& source, int position,
                                 ResourceKind kind = ResourceKind::Icon);

// Rows read one after another: the models of the last few files stay open, so
// that the rows of one file read its directories once. A file's images are let go
// of once more than kHeldImageBudget of them is held (a group handed out keeps
// its own).
class RowGroupReader {
  public:
    Result<IconGroup> read(const std::filesystem::path& source, int position,
                           ResourceKind kind = ResourceKind::Icon);

  private:
    static constexpr std::size_t kFilesKept = 4;
    std::list<std::pair<std::filesystem::path, Result<IconSet>>> open_;
};

}  // namespace pellimar
