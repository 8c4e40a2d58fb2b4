// Where the program's dialogs go and what the desktop draws around them: centred
// on the screen frame included, the same on the first showing as on later ones,
// with a close box only, and never narrower than their caption.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

class QFont;
class QMessageBox;
class QWidget;

namespace pellimar {

// The client rectangle of a window of `client` size whose frame, `frame` wide on
// each side, is centred in `area`.
QRect centredClientRect(const QRect& area, QSize client, QMargins frame);

// The frame the desktop draws around `window`: its own once it has been shown,
// before that the frame of the window that owns it (the desktop draws the same
// frame around both), otherwise none.
QMargins knownFrameMargins(const QWidget& window);

// Centres `window` on its screen, frame included, keeping its size.
void centreOnScreen(QWidget& window);

// A dialog's title bar: a title and a close box, no minimise or maximise button.
void giveCloseBoxOnly(QWidget& window);

// The least width of a window whose title bar shows `caption` whole in `titleFont`,
// with room for the desktop's close box and margins.
int widthForCaption(const QString& caption, const QFont& titleFont);

// The point size the windows' sizes and positions are drawn up for.
inline constexpr double kDesignPointSize = 9.0;

// How much larger than the design font `font` is: 1 for the design size or less.
double fontGrowth(const QFont& font);

// Grows a window laid out by hand for a larger font: its size, and the position and
// size of every control on it, by fontGrowth of its font; fonts set in pixels grow
// with them and banners stretch across. The design sizes are the least sizes: at
// the design font or a smaller one nothing changes.
void growWithFont(QWidget& window);

// A message box as the program shows it: a close box only and wide enough for its
// caption.
void fitMessageBox(QMessageBox& box);

}  // namespace pellimar
