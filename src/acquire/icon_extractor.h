// Reading one icon out of a file as the result list takes it: executables,
// libraries and icon libraries by 0-based icon index at the large icon size; files
// whose name ends in ".ico" (any case) by 1-based image number, the image kept at
// its own size. IconExtractor is the same as a small control that holds and shows
// the icon it read.
#pragma once

#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "platform/icon.h"

namespace pellimar {

// The icon size a non-.ico file is read at (the desktop's large icon).
inline constexpr int kLargeIconSize = 32;

// Icon `index` of `file`: 0-based for executables and libraries, 1-based for icon
// files (below 1 or past the last means the first image). Empty when the file
// yields none; never reports a failure.
Icon loadFileIcon(const std::filesystem::path& file, int index);

// How the import and the scan read icons: loadFileIcon, or a stand-in in tests.
using IconLoader = std::function<Icon(const std::filesystem::path& file, int index)>;

// How many icons loadFileIcon can be asked for: the images of an icon file's
// header, the icon groups of an executable, library or icon library. Nothing
// when the file cannot be read or is none of those: then only trying tells.
std::optional<int> countFileIcons(const std::filesystem::path& file);
using IconCounter = std::function<std::optional<int>(const std::filesystem::path& file)>;

class IconExtractor : public QWidget {
    Q_OBJECT
  public:
    explicit IconExtractor(QWidget* owner = nullptr);

    const Icon& icon() const { return icon_; }
    // Copies `icon` in (an empty Icon empties the control) and repaints.
    void setIcon(const Icon& icon);

    const std::filesystem::path& fileName() const { return fileName_; }
    // Loads (fileName, iconIndex) when the name differs from the stored one.
    void setFileName(const std::filesystem::path& fileName);

    int iconIndex() const { return iconIndex_; }
    // Loads (fileName, iconIndex) when the index differs from the stored one.
    void setIconIndex(int index);

    // Stores both values and loads that icon; the control's icon is empty when the
    // file yields none. Never reports a failure.
    void loadFromFile(const std::filesystem::path& fileName, int index);

    // Image number `index` (1-based; below 1 or past the last means the first) of an
    // icon file as a one-image icon file in memory; nothing when the file cannot be
    // read or is not an icon file.
    static std::optional<std::vector<std::uint8_t>> extractIcoImage(
        const std::filesystem::path& fileName, int index);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Icon icon_;
    std::filesystem::path fileName_;
    int iconIndex_ = 0;
};

}  // namespace pellimar
