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

}  // namespace
}  // namespace pellimar
