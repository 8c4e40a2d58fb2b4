#include "viewer/row_preview.h"

#include <QCoreApplication>
#include <QFile>

#include "core/desktop.h"
#include "core/row_icons.h"
#include "viewer/icon_viewer.h"

namespace pellimar {

Result<Done> previewRow(Desktop& desktop, QWidget* parent, const ResultRowInfo& row) {
    Result<IconGroup> group = readRowGroup(row.source, row.iconPosition, row.kind);
    if (!group) return group.failure();
    // What the row is, as its caption numbers it: "regedit.exe, icon 1",
    // "user32.dll, cursor 2".
    const QString name =
        QFile::decodeName(QByteArray::fromStdString(row.source.filename().native()));
    const QString source =
        (rowsAreImages(row.source) ? QCoreApplication::translate("RowPreview", "%1, image %2")
         : row.kind == ResourceKind::Cursor
             ? QCoreApplication::translate("RowPreview", "%1, cursor %2")
             : QCoreApplication::translate("RowPreview", "%1, icon %2"))
            .arg(name)
            .arg(row.iconPosition + 1);
    showIconViewer(desktop, parent, std::move(*group), source);
    return Done{};
}

}  // namespace pellimar
