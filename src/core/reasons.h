// Why something failed or was left out, in the person's language: the window's
// words for every reason the model gives (a Failure, a cap, a folder the walk left
// out), built from their kinds and fields, never from their English text. The
// command line says the same in English through Failure::message().
//
// What the readers name in `what` and `context` (a structure such as "icon
// directory", a part such as "icon 3") and a path are shown as they are given;
// the system's reasons come from the system in its own language.
#pragma once

#include <QCoreApplication>
#include <QString>

#include "core/folder_walk.h"
#include "platform/failure.h"

namespace pellimar {

class Reasons {
    Q_DECLARE_TR_FUNCTIONS(Reasons)
};

// One line for a person, as Failure::message() says it in English:
// "icon directory cut off at byte 0x1F6", "cannot open: No such file or directory".
QString reasonText(const Failure& why);
// Why a file could not be written: the system's reason alone for a failed write,
// a refused link's, or reasonText() for anything else (as writeFailureReason()).
QString writeReasonText(const Failure& why);
// What a cap stops at, in words: "64 MB of one image".
QString capText(Cap cap);
// The system's reason for an errno value, in the system's language.
QString systemReasonText(int error);
// Why the folder walk left out a folder (as skippedFolderReason()).
QString folderSkipText(const SkippedFolder& skipped);

}  // namespace pellimar
