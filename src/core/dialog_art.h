// Pictures drawn for the option dialogs: the banner across the top and the
// small decorative icons. Drawn in code, so no picture files are needed.
#pragma once

#include <QPixmap>
#include <QString>

namespace pellimar {

// A band `width` x `height` with a soft gradient and `title` written on it.
QPixmap bannerPixmap(int width, int height, const QString& title);

enum class Decoration { Folder, Files, Search, Clear };
// A 32 x 32 picture for the dialogs' decoration.
QPixmap decorationPixmap(Decoration kind);

}  // namespace pellimar
