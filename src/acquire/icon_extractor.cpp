#include "acquire/icon_extractor.h"

#include <QPainter>

#include "acquire/folder_scan.h"
#include "core/file_names.h"
#include "core/icon_image.h"
#include "platform/extract.h"
#include "platform/ico_file.h"
#include "platform/icon_decode.h"

namespace pellimar {

Icon loadFileIcon(const std::filesystem::path& file, int index) {
    if (upperCaseExtension(file) != ".ICO") return extractIcon(file, index, kLargeIconSize);
    auto oneImage = IconExtractor::extractIcoImage(file, index);
    return oneImage ? decodeIcoImage(*oneImage, 0) : Icon{};
}

std::optional<int> countFileIcons(const std::filesystem::path& file) {
    if (upperCaseExtension(file) == ".ICO") return readIconFileCount(file);
    return extractIconCount(file);
}

IconExtractor::IconExtractor(QWidget* owner) : QWidget(owner) {
    resize(kLargeIconSize, kLargeIconSize);
}

void IconExtractor::setIcon(const Icon& icon) {
    icon_ = icon;
    update();
}

void IconExtractor::setFileName(const std::filesystem::path& fileName) {
    if (fileName.native() == fileName_.native()) return;
    fileName_ = fileName;
    loadFromFile(fileName_, iconIndex_);
}

void IconExtractor::setIconIndex(int index) {
    if (index == iconIndex_) return;
    iconIndex_ = index;
    loadFromFile(fileName_, index);
}

void IconExtractor::loadFromFile(const std::filesystem::path& fileName, int index) {
    fileName_ = fileName;
    iconIndex_ = index;
    icon_ = loadFileIcon(fileName, index);
    update();
}

std::optional<std::vector<std::uint8_t>> IconExtractor::extractIcoImage(
    const std::filesystem::path& fileName, int index) {
    return cutIcoImage(fileName, index);
}

void IconExtractor::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (icon_.empty()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, iconToImage(icon_));
}

}  // namespace pellimar
