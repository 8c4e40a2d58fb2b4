#include "core/reasons.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/atomic_file.h"

namespace pellimar {
namespace {

// In English the window says every reason as the model's own message does: one
// wording, whichever of the two builds it.
TEST(Reasons, InEnglishTheyReadAsTheModelsMessages) {
    const std::vector<Failure> failures = {
        systemFailure(Fault::CannotOpen, ENOENT),
        failure(Fault::CannotOpen),
        failure(Fault::NotRegularFile),
        failure(Fault::NotRegularFile, "pipe.exe"),
        systemFailure(Fault::ReadFailed, EIO),
        failure(Fault::ReadFailed, {}, 0x40),
        failure(Fault::FileChanged, {}, 0x2C2E),
        failure(Fault::NotIconContainer),
        failure(Fault::CutOff, "icon directory", 0x1F6),
        failure(Fault::CutOff).within("image 8"),
        failure(Fault::CutOff, "image data", 0x2C2E).within("image 8"),
        failure(Fault::BadValue, "image size 0", 6),
        failure(Fault::BadValue),
        failure(Fault::MissingImage, "image 4"),
        failure(Fault::MissingImage).within("icon 3"),
        failure(Fault::UnsupportedImage, "JPEG"),
        failure(Fault::DamagedImage, "row 3", 0x80).within("icon 2").within("first.dll"),
        failure(Fault::DamagedImage),
        failure(Fault::NoSuchIcon, "icon 8"),
        failure(Fault::NoSuchIcon),
        failure(Fault::NoImage),
        failure(Fault::CannotEncode, "too large"),
        systemFailure(Fault::WriteFailed, ENOSPC),
        failure(Fault::WriteFailed),
        failure(Fault::SharedFolderLink),
        failure(Fault::OthersLink, "/tmp/out"),
        failure(Fault::LinkInOthersFolder, "/srv/x"),
        failure(Fault::LinkAtName),
        failure(Fault::NoFileName),
        failure(Fault::NotChosen, "no size is chosen"),
    };
    for (const Failure& f : failures) {
        EXPECT_EQ(reasonText(f).toStdString(), f.message());
        EXPECT_EQ(writeReasonText(f).toStdString(), writeFailureReason(f));
    }
}

// A cap is said from its kind and the figures of caps.h, not from the words the
// reader put in `what`.
TEST(Reasons, ACapIsSaidFromItsKind) {
    EXPECT_EQ(reasonText(capReached(Cap::ResourceBytes, "anything at all").within("icon 2")),
              "icon 2: stopped at a limit: 64 MB of one image or resource");
    EXPECT_EQ(capText(Cap::ImageSide), "images of 1024 pixels a side");
    EXPECT_EQ(capText(Cap::ImagesPerGroup), "256 images of one group; the rest are left out");
    for (int cap = int(Cap::None); cap <= int(Cap::ProfileBytes); ++cap)
        EXPECT_FALSE(capText(Cap(cap)).isEmpty()) << cap;
}

TEST(Reasons, EveryFolderLeftOutIsSaidAsTheWalkSaysIt) {
    for (FolderSkip why :
         {FolderSkip::Link, FolderSkip::CannotOpen, FolderSkip::ListingCut,
          FolderSkip::PseudoFileSystem, FolderSkip::WalkedBefore, FolderSkip::Changed}) {
        const SkippedFolder skipped{"/data/x", why, EACCES};
        EXPECT_EQ(folderSkipText(skipped).toStdString(), skippedFolderReason(skipped));
    }
}

}  // namespace
}  // namespace pellimar
