#include "core/reasons.h"

#include <cstring>

#include "platform/caps.h"

namespace pellimar {

namespace {

QString fromModel(const std::string& text) {
    return QString::fromStdString(text);
}

QString hexOffset(std::uint64_t offset) {
    return "0x" + QString::number(offset, 16).toUpper();
}

// "what: text", or the text alone when there is no `what`.
QString withWhat(const std::string& what, const QString& text) {
    return what.empty() ? text : Reasons::tr("%1: %2").arg(fromModel(what), text);
}

// A refused link: "It" for the file's own name, else the link on the way.
QString linkText(const Failure& f, const char* atName, const char* onTheWay) {
    return f.what.empty() ? Reasons::tr(atName) : Reasons::tr(onTheWay).arg(fromModel(f.what));
}

QString bare(const Failure& f) {
    const bool hasOffset = f.offset != kNoOffset;
    const QString at = hasOffset ? hexOffset(f.offset) : QString();
    const QString system = f.error != 0 ? systemReasonText(f.error) : QString();
    const std::string& what = f.what;
    switch (f.fault) {
        case Fault::CannotOpen:
            return withWhat(what,
                            Reasons::tr("cannot open: %1")
                                .arg(system.isEmpty() ? Reasons::tr("unknown error") : system));
        case Fault::NotRegularFile:
            return withWhat(what, Reasons::tr("not a regular file"));
        case Fault::ReadFailed: {
            QString text = hasOffset ? Reasons::tr("cannot read at byte %1").arg(at)
                                     : Reasons::tr("cannot read");
            if (!system.isEmpty()) text = Reasons::tr("%1: %2").arg(text, system);
            return withWhat(what, text);
        }
        case Fault::FileChanged:
            return withWhat(what, hasOffset ? Reasons::tr("the file was cut short while it was "
                                                          "read at byte %1")
                                                  .arg(at)
                                            : Reasons::tr("the file was cut short while it was "
                                                          "read"));
        case Fault::NotIconContainer:
            return withWhat(what,
                            Reasons::tr("not a Windows program, library, icon or cursor file"));
        case Fault::CutOff:
            if (what.empty())
                return hasOffset ? Reasons::tr("data cut off at byte %1").arg(at)
                                 : Reasons::tr("data cut off");
            return hasOffset ? Reasons::tr("%1 cut off at byte %2").arg(fromModel(what), at)
                             : Reasons::tr("%1 cut off").arg(fromModel(what));
        case Fault::BadValue:
            if (what.empty())
                return hasOffset ? Reasons::tr("a value is not valid at byte %1").arg(at)
                                 : Reasons::tr("a value is not valid");
            return hasOffset ? Reasons::tr("%1 is not valid at byte %2").arg(fromModel(what), at)
                             : Reasons::tr("%1 is not valid").arg(fromModel(what));
        case Fault::MissingImage:
            return what.empty() ? Reasons::tr("an image is not in the file")
                                : Reasons::tr("%1 is not in the file").arg(fromModel(what));
        case Fault::CapReached:
            return Reasons::tr("stopped at a limit: %1").arg(capText(f.cap));
        case Fault::UnsupportedImage:
            return what.empty() ? Reasons::tr("an image of a kind that is not read")
                                : Reasons::tr("an image of a kind that is not read (%1)")
                                      .arg(fromModel(what));
        case Fault::DamagedImage: {
            QString text = what.empty()
                               ? Reasons::tr("damaged image data")
                               : Reasons::tr("damaged image data (%1)").arg(fromModel(what));
            return hasOffset ? Reasons::tr("%1 at byte %2").arg(text, at) : text;
        }
        case Fault::NoSuchIcon:
            return what.empty() ? Reasons::tr("no such icon")
                                : Reasons::tr("no %1").arg(fromModel(what));
        case Fault::NoImage:
            return what.empty() ? Reasons::tr("none of its images can be read") : fromModel(what);
        case Fault::CannotEncode:
            return what.empty() ? Reasons::tr("cannot be encoded")
                                : Reasons::tr("cannot be encoded: %1").arg(fromModel(what));
        case Fault::WriteFailed:
            return withWhat(what, system.isEmpty() ? Reasons::tr("cannot write")
                                                   : Reasons::tr("cannot write: %1").arg(system));
        case Fault::SharedFolderLink:
            return linkText(
                f,
                QT_TRANSLATE_NOOP("Reasons",
                                  "It is a symbolic link that someone else put in a folder "
                                  "everyone may write to; it is not followed"),
                QT_TRANSLATE_NOOP("Reasons",
                                  "\"%1\" is a symbolic link that someone else put in a "
                                  "folder everyone may write to; it is not followed"));
        case Fault::OthersLink:
            return linkText(
                f,
                QT_TRANSLATE_NOOP("Reasons",
                                  "It is a symbolic link that someone else made; it is not "
                                  "followed"),
                QT_TRANSLATE_NOOP("Reasons",
                                  "\"%1\" is a symbolic link that someone else made; it is "
                                  "not followed"));
        case Fault::LinkInOthersFolder:
            return linkText(
                f,
                QT_TRANSLATE_NOOP("Reasons",
                                  "It is a symbolic link in a folder that someone else owns "
                                  "or may write to; it is not followed"),
                QT_TRANSLATE_NOOP("Reasons",
                                  "\"%1\" is a symbolic link in a folder that someone else "
                                  "owns or may write to; it is not followed"));
        case Fault::LinkAtName:
            return Reasons::tr("It is a symbolic link; this file is never written through one");
        case Fault::NoFileName:
            return Reasons::tr("There is no file name in it");
        case Fault::NotChosen:
            // Said by the one who leaves it out, in the window's words (the save's
            // report); what is here is the model's own account.
            return what.empty() ? Reasons::tr("not chosen") : fromModel(what);
    }
    return fromModel(what);
}

}  // namespace

QString systemReasonText(int error) {
    // The system's messages are in the language of the program's locale.
    return QString::fromLocal8Bit(std::strerror(error));
}

QString capText(Cap cap) {
    switch (cap) {
        case Cap::None:
            return Reasons::tr("a limit");
        case Cap::ImagesPerFile:
            return Reasons::tr("%1 images read of one file's groups").arg(kMaxImagesPerFile);
        case Cap::ImagesPerGroup:
            return Reasons::tr("%1 images of one group; the rest are left out")
                .arg(kMaxImagesPerIcon);
        case Cap::ResourceBytes:
            return Reasons::tr("%1 MB of one image or resource").arg(kMaxImageBytes >> 20);
        case Cap::OneRead:
            return Reasons::tr("the bytes one read may take");
        case Cap::HeldImageBytes:
            return Reasons::tr("%1 MB of image data held of one file")
                .arg(kMaxHeldImageBytes >> 20);
        case Cap::NameCharacters:
            return Reasons::tr(
                       "%1 characters of resource names of one file; the groups after "
                       "are not named")
                .arg(kMaxNameUnitsPerFile);
        case Cap::NameLength:
            return Reasons::tr("resource names are cut to %1 characters")
                .arg(kMaxResourceNameLength);
        case Cap::LanguageVariants:
            return Reasons::tr(
                       "%1 further languages of one file's resources; the rest are left "
                       "out")
                .arg(kMaxLanguageVariants);
        case Cap::ImageSide:
            return Reasons::tr("images of %1 pixels a side").arg(kMaxDibDimension);
        case Cap::PictureSide:
            return Reasons::tr("pictures of %1 pixels a side").arg(kMaxPngDimension);
        case Cap::JpegSide:
            return Reasons::tr("%1 pixels a side of a JPEG picture").arg(kMaxJpegSide);
        case Cap::StandardInputBytes:
            return Reasons::tr("%1 GB read from a pipe").arg(kMaxStandardInputBytes >> 30);
        case Cap::OutputBytes:
            return Reasons::tr(
                       "what the icons of one file may make a save write: %1 MB, or %2 "
                       "times the file's size when that is more")
                .arg(kMinOutputCap >> 20)
                .arg(kOutputCapFactor);
        case Cap::ProfileBytes:
            return Reasons::tr("%1 MB of a settings file").arg(kMaxProfileBytes >> 20);
        case Cap::VersionBytes:
            return Reasons::tr("%1 MB of a version resource").arg(kMaxVersionBytes >> 20);
        case Cap::VersionBlocks:
            return Reasons::tr("%1 blocks of one version resource").arg(kMaxVersionBlocks);
        case Cap::AnimationFrames:
            return Reasons::tr("%1 frames of one animation").arg(kMaxAnimationFrames);
        case Cap::AnimationSteps:
            return Reasons::tr("%1 steps of one animation").arg(kMaxAnimationSteps);
        case Cap::AnimationChunks:
            return Reasons::tr("%1 chunks of one file's animations").arg(kMaxAnimationChunks);
        case Cap::AnimationText:
            return Reasons::tr("%1 bytes of an animation's title or artist")
                .arg(kMaxAnimationTextBytes);
        case Cap::CursorBytes:
            return Reasons::tr("%1 MB of one X cursor file").arg(kMaxXcursorBytes >> 20);
        case Cap::CursorSetEntries:
            return Reasons::tr("%1 entries of a cursor set's folder").arg(kMaxCursorSetEntries);
    }
    return Reasons::tr("a limit");
}

QString reasonText(const Failure& why) {
    if (why.context.empty()) return bare(why);
    // A structure that is cut off or bad, said of the part it happened in, is
    // that part: "icon directory cut off at byte 0x6".
    if (why.what.empty() && (why.fault == Fault::CutOff || why.fault == Fault::BadValue ||
                             why.fault == Fault::MissingImage)) {
        Failure named = why;
        named.what = why.context;
        return bare(named);
    }
    return Reasons::tr("%1: %2").arg(fromModel(why.context), bare(why));
}

QString writeReasonText(const Failure& why) {
    if (why.fault == Fault::WriteFailed && why.error != 0) return systemReasonText(why.error);
    return reasonText(why);
}

QString folderSkipText(const SkippedFolder& skipped) {
    switch (skipped.why) {
        case FolderSkip::Link:
            return Reasons::tr("a link to a folder: not followed");
        case FolderSkip::CannotOpen:
            return reasonText(systemFailure(Fault::CannotOpen, skipped.error));
        case FolderSkip::ListingCut:
            return Reasons::tr(
                       "its listing failed part way (%1); the entries listed before are "
                       "taken")
                .arg(reasonText(systemFailure(Fault::ReadFailed, skipped.error)));
        case FolderSkip::PseudoFileSystem:
            return Reasons::tr("a view the system gives of itself (such as /proc): not entered");
        case FolderSkip::WalkedBefore:
            return Reasons::tr("walked already, reached another way");
        case FolderSkip::Changed:
            return Reasons::tr(
                "moved or replaced while it was walked: the rest of it is left "
                "out");
    }
    return {};
}

}  // namespace pellimar
