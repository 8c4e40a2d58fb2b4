#include "viewer/row_preview.h"

#include <QFile>

#include "core/desktop.h"
#include "core/row_icons.h"
#include "viewer/icon_viewer.h"

namespace pellimar {

Result<Done> previewRow(Desktop& desktop, QWidget* parent, const ResultRowInfo& row) {
    Result<IconGroup> group = readRowGroup(row.source, row.iconPosition);
    if (!group) return group.failure();
    const QString source =
        QFile::decodeName(QByteArray::fromStdString(rowSourceText(row.source, row.iconPosition)));
    showIconViewer(desktop, parent, std::move(*group), source);
    return Done{};
}

}  // namespace pellimar
