#include "app/row_pictures.h"

#include <QFile>
#include <QList>
#include <QMimeData>
#include <QUrl>
#include <memory>
#include <set>
#include <string>
#include <system_error>

#include "core/icon_transfer.h"
#include "core/row_icons.h"
#include "platform/atomic_file.h"
#include "platform/icon_png.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

void removeOldPictures(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".png" && it->is_regular_file(ec)) fs::remove(it->path(), ec);
}

}  // namespace

RowPictures rowPictures(const std::vector<ResultRowInfo>& rows, const fs::path& folder) {
    RowPictures pictures;
    const auto made = OutputFolder::open(folder, true);
    if (made) removeOldPictures(folder);

    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    std::set<std::string> names;
    bool first = true;
    for (const ResultRowInfo& row : rows) {
        const std::string caption = rowCaption(row.source, row.iconPosition, row.kind);
        const Result<Icon> picture = rowPictureToHandOut(row.source, row.iconPosition, row.kind);
        if (!picture) {
            pictures.leftOut.push_back(picture.failure().within(caption));
            continue;
        }
        const Icon& icon = *picture;
        const auto png = iconToPng(icon);
        if (!png) {
            pictures.leftOut.push_back(png.failure().within(caption));
            continue;
        }
        // Two rows of one caption (same file name in two folders) get two files.
        std::string name = caption;
        for (int n = 2; !names.insert(name).second; ++n) name = caption + "-" + std::to_string(n);
        const fs::path file = folder / (name + ".png");
        const auto written = made ? writeFile(file, *png, {.durability = Durability::Scratch})
                                  : Result<Placed>(made.failure());
        if (!written) {
            pictures.leftOut.push_back(written.failure().within(caption));
            continue;
        }
        urls.push_back(
            QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(file.native()))));
        if (first) first = !addIconPicture(*data, icon);
    }
    if (!urls.isEmpty()) {
        data->setUrls(urls);
        pictures.data = std::move(data);
    }
    return pictures;
}

QMimeData* rowPictureData(const std::vector<ResultRowInfo>& rows, const fs::path& folder) {
    return rowPictures(rows, folder).data.release();
}

}  // namespace pellimar
