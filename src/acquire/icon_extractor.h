// TPellimar: the control that holds one icon read out of a file. Executables,
// libraries and icon libraries are read by 0-based icon index; files whose name ends
// in ".ico" (any case) by 1-based image number, the image kept at its own size.
#pragma once

#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/icon.h"

namespace pellimar {

// The icon size a non-.ico file is read at (the desktop's large icon).
inline constexpr int kLargeIconSize = 32;

// The extension of a file name as the control tells sources apart: from the last
// "." of the name part to its end, dot included, ASCII letters upper-cased; empty
// when the name has no ".".
std::string upperExtension(const std::filesystem::path& fileName);

class TPellimar : public QWidget {
    Q_OBJECT
  public:
    explicit TPellimar(QWidget* owner = nullptr);

    const pellimar::Icon& Icon() const { return icon_; }
    // Copies `icon` in (an empty Icon empties the control) and repaints.
    void setIcon(const pellimar::Icon& icon);

    const std::filesystem::path& FileName() const { return fileName_; }
    // Loads (FileName, IconIndex) when the name differs from the stored one.
    void setFileName(const std::filesystem::path& fileName);

    int IconIndex() const { return iconIndex_; }
    // Loads (FileName, IconIndex) when the index differs from the stored one.
    void setIconIndex(int index);

    // Stores both values and loads that icon; the control's icon is empty when the
    // file yields none. Never reports a failure.
    void LoadFromFile(const std::filesystem::path& fileName, int index);

    // Image number `index` (1-based; below 1 or past the last means the first) of an
    // icon file as a one-image icon file in memory; nothing when the file cannot be
    // read or is not an icon file.
    static std::optional<std::vector<std::uint8_t>> ExtractIcoImage(
        const std::filesystem::path& fileName, int index);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    pellimar::Icon icon_;
    std::filesystem::path fileName_;
    int iconIndex_ = 0;
};

}  // namespace pellimar
