#include "acquire/icon_extractor.h"

#include <QPainter>

#include "acquire/icon_qt.h"
#include "platform/extract.h"
#include "platform/ico_file.h"
#include "platform/icon_decode.h"

namespace pellimar {

std::string upperExtension(const std::filesystem::path& fileName) {
    const std::string name = fileName.filename().string();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return ext;
}

TPellimar::TPellimar(QWidget* owner) : QWidget(owner) {
    resize(32, 32);
}

void TPellimar::setIcon(const pellimar::Icon& icon) {
    icon_ = icon;
    update();
}

void TPellimar::setFileName(const std::filesystem::path& fileName) {
    if (fileName.native() == fileName_.native()) return;
    fileName_ = fileName;
    LoadFromFile(fileName_, iconIndex_);
}

void TPellimar::setIconIndex(int index) {
    if (index == iconIndex_) return;
    iconIndex_ = index;
    LoadFromFile(fileName_, index);
}

void TPellimar::LoadFromFile(const std::filesystem::path& fileName, int index) {
    fileName_ = fileName;
    iconIndex_ = index;
    if (upperExtension(fileName) != ".ICO") {
        icon_ = extractIcon(fileName, index, kLargeIconSize);
    } else {
        auto oneImage = ExtractIcoImage(fileName, index);
        icon_ = oneImage ? decodeIcoImage(*oneImage, 0) : pellimar::Icon{};
    }
    update();
}

std::optional<std::vector<std::uint8_t>> TPellimar::ExtractIcoImage(
    const std::filesystem::path& fileName, int index) {
    return cutIcoImage(fileName, index);
}

void TPellimar::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (icon_.empty()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, iconToImage(icon_));
}

}  // namespace pellimar
