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
    QT_TRANSLATE_NOOP("Messages", "Invalid data!  Please input with a number."),
    QT_TRANSLATE_NOOP("Messages", "Invalid data!One format at least!"),
    QT_TRANSLATE_NOOP("Messages", "initialize search option false"),
    QT_TRANSLATE_NOOP("Messages",
                      "You need to specify the image size. Press 'OK' to follow the default size."),
    QT_TRANSLATE_NOOP("Messages", "file open false"),
    QT_TRANSLATE_NOOP("Messages", "views load file Error"),
    QT_TRANSLATE_NOOP("Messages", "This file is exists,Are you sure?"),
    QT_TRANSLATE_NOOP("Messages", "save false"),
    QT_TRANSLATE_NOOP("Messages", "save falsed"),
    QT_TRANSLATE_NOOP("Messages", "This file format is not supported now. Failed to save!"),
    QT_TRANSLATE_NOOP("Messages", "Import a directory"),
    QT_TRANSLATE_NOOP("Messages", "Files are still being read.\r\nStop and quit?"),
    QT_TRANSLATE_NOOP("Messages", "The icon cannot be shown."),
};

}  // namespace
}  // namespace pellimar
