// The preview of a result row: the row's icon, read into memory, shown in the
// icon viewer with every image as stored. Nothing is written to show it.
#pragma once

#include "core/result_rows.h"
#include "platform/failure.h"

class QWidget;

namespace pellimar {

class Desktop;

// Shows the icon of `row` in the viewer owned by `parent`: every image of its
// icon group, or the row's one image when it is a row of an icon file, with
// "NAME, icon N" as its source. Why not when the icon cannot be read; the viewer
// is not opened then.
Result<Done> previewRow(Desktop& desktop, QWidget* parent, const ResultRowInfo& row);

}  // namespace pellimar
