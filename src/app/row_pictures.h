// Rows leaving the result list (dragged to a file manager or another program, or
// copied): each row's icon as a PNG file with its transparency, and the first as
// PNG bytes and as an image.
#pragma once

#include <QMimeData>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/result_rows.h"
#include "platform/failure.h"

namespace pellimar {

// The rows as pictures for a drag or the clipboard, and the rows left out.
struct RowPictures {
    // The files as URLs, and the first picture as "image/png" and as image data;
    // null when no row gave a picture.
    std::unique_ptr<QMimeData> data;
    // Each row left out, with why: its icon cannot be read or encoded, or its
    // file cannot be written. The failure's context is the row's caption.
    std::vector<Failure> leftOut;
};

// The largest image of each row's icon written as "<caption>.png" into `folder`,
// which is created (by the writer's walk), and emptied of the PNG files an
// earlier call left there.
RowPictures rowPictures(const std::vector<ResultRowInfo>& rows,
                        const std::filesystem::path& folder);

// rowPictures(rows, folder).data, for callers that do not tell the rows left out;
// the caller owns the data.
QMimeData* rowPictureData(const std::vector<ResultRowInfo>& rows,
                          const std::filesystem::path& folder);

}  // namespace pellimar
