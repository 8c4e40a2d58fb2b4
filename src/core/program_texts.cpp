// The texts the program hands to the desktop seam as plain strings, listed for the
// translation tools: QtDesktop translates the messages (context "Messages") where
// they are shown. A text added to a message belongs here too.
#include <QtGlobal>

namespace pellimar {
namespace {

[[maybe_unused]] const char* const kMessageTexts[] = {
    // Captions.
    QT_TRANSLATE_NOOP("Messages", "notice"),
    QT_TRANSLATE_NOOP("Messages", "Notice"),
    QT_TRANSLATE_NOOP("Messages", "Error"),
    QT_TRANSLATE_NOOP("Messages", "ERROR"),
    QT_TRANSLATE_NOOP("Messages", "Sorry"),
    QT_TRANSLATE_NOOP("Messages", "Confirm"),
    // Messages.
    QT_TRANSLATE_NOOP("Messages", "You have opened some icon files,\r\n   are you sure to quit?"),
    QT_TRANSLATE_NOOP("Messages", "The most icons to import must be a whole number, such as 100."),
    QT_TRANSLATE_NOOP("Messages", "Choose at least one kind of file to search."),
    QT_TRANSLATE_NOOP("Messages",
                      "You need to specify the image size. Press 'OK' to follow the default size."),
    QT_TRANSLATE_NOOP("Messages", "Import a directory"),
    QT_TRANSLATE_NOOP("Messages", "Files are still being read.\r\nStop and quit?"),
};

// The descriptions of the file types the open and save dialogs offer, as the
// commands write them into their filters; QtDesktop translates each (context
// "FileTypes") where it makes the dialog's filters.
[[maybe_unused]] const char* const kFileTypeTexts[] = {
    QT_TRANSLATE_NOOP("FileTypes", "exe file(*.exe)"),
    QT_TRANSLATE_NOOP("FileTypes", "ico file(*.ico)"),
    QT_TRANSLATE_NOOP("FileTypes", "dll file(*.dll)"),
    QT_TRANSLATE_NOOP("FileTypes", "all supported file"),
    QT_TRANSLATE_NOOP("FileTypes", "cur file(*.cur)"),
    QT_TRANSLATE_NOOP("FileTypes", "ico file(s)   (*.ico)"),
    QT_TRANSLATE_NOOP("FileTypes", "bmp file(s)  (*.bmp)"),
    QT_TRANSLATE_NOOP("FileTypes", "png file(s)  (*.png)"),
    QT_TRANSLATE_NOOP("FileTypes", "jpg file(s)  (*.jpg)"),
    QT_TRANSLATE_NOOP("FileTypes", "CURSOR file"),
    QT_TRANSLATE_NOOP("FileTypes", "ICON file"),
    QT_TRANSLATE_NOOP("FileTypes", "bmp file"),
    QT_TRANSLATE_NOOP("FileTypes", "jpeg file"),
    QT_TRANSLATE_NOOP("FileTypes", "png file"),
};

}  // namespace
}  // namespace pellimar
