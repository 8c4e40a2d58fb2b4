// Rows leaving the result list (dragged to a file manager or another program, or
// copied): each row's icon as a PNG file with its transparency, and the first as
// PNG bytes and as an image.
#pragma once

#include <filesystem>
#include <vector>

#include "core/result_rows.h"

class QMimeData;

namespace pellimar {

// The largest image of each row's icon written as "<caption>.png" into `folder`,
// which is created, and emptied of the PNG files an earlier call left there. The
// data lists the files as URLs and carries the first picture as "image/png" and as
// image data. Rows whose icon cannot be read are left out; nothing when none is
// left. The caller owns the data.
QMimeData* rowPictureData(const std::vector<ResultRowInfo>& rows,
                          const std::filesystem::path& folder);

}  // namespace pellimar
