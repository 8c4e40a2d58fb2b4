// Every cap on what an input can make the programs read, hold, decode or write,
// defined here once, and the kinds that name those a failure can stop at. A
// failure at a cap is Fault::CapReached with `cap` saying which; callers decide
// what to do by that kind, never by the message's text. The caps without a kind
// are told in their own words where they are reached (the viewer's thumbnails),
// or bound what is looked at without leaving anything out that a person asked
// for (the scans of a JPEG read back, the bytes of a tips file).
//
// Only the images cap of a whole file stops the file: past any other cap the
// image, group or picture concerned is left out with its reason, and the rest of
// the input is read.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace pellimar {

enum class Cap : std::uint8_t {
    None,                // not a cap
    ImagesPerFile,       // kMaxImagesPerFile: the images read of all groups of one file
    ImagesPerGroup,      // kMaxImagesPerIcon: the images read of one group or icon file
    ResourceBytes,       // kMaxImageBytes: the bytes of one image or resource
    OneRead,             // the bytes one read takes (the cap its caller gives)
    HeldImageBytes,      // kMaxHeldImageBytes: the image bytes one file's set holds
    NameCharacters,      // kMaxNameUnitsPerFile: the characters of one file's resource names
    NameLength,          // kMaxResourceNameLength: the characters kept of one name
    LanguageVariants,    // kMaxLanguageVariants: the further languages read of one file
    ImageSide,           // kMaxDibDimension: the pixels a side of a stored image (DIB or PNG)
    PictureSide,         // kMaxPngDimension: the pixels a side of a picture made or decoded
    JpegSide,            // kMaxJpegSide: the pixels a side of a JPEG picture
    StandardInputBytes,  // kMaxStandardInputBytes: what is read from a pipe
    OutputBytes,         // outputCapOf(): what one input may make a run write
    ProfileBytes,        // kMaxProfileBytes: the size of a settings file read
    VersionBytes,        // kMaxVersionBytes: the size of a version resource read
    VersionBlocks,       // kMaxVersionBlocks: the blocks of one version resource read
    AnimationFrames,     // kMaxAnimationFrames: the frames read of one animation
    AnimationSteps,      // kMaxAnimationSteps: the steps of one animation
    AnimationChunks,     // kMaxAnimationChunks: the chunks walked of one file's animations
    AnimationText,       // kMaxAnimationTextBytes: the bytes kept of an animation's title or artist
    CursorBytes,         // kMaxXcursorBytes: the bytes of one X cursor file made
    CursorSetEntries,    // kMaxCursorSetEntries: the entries of a cursor set's folder looked at
    PixelsPerInput,      // pixelBudgetOf() (the thumbnailer's: kMaxThumbnailPixels): pixels decoded
                         // and made
};

// ---- Reading a file's icons

#ifdef PELLIMAR_FUZZING
// Under the fuzzer the caps on how many things one file may state are smaller, so
// that each input costs little and many are tried; what they guard is the same.
inline constexpr int kMaxImagesPerFile = 4096;
#else
// The images read of all groups of one file together: a file may name one image
// from each of 131,070 groups of 65,535 entries. Past it the file stops.
inline constexpr int kMaxImagesPerFile = 65536;
#endif
// The most images read of one icon group or icon-file directory: the entries past
// it are left out (a header may state up to 65,535), while the stated count is kept.
inline constexpr int kMaxImagesPerIcon = 256;
// The largest single image or resource the readers accept.
inline constexpr std::uint64_t kMaxImageBytes = 64ull << 20;
// The image bytes one set holds in memory at once.
inline constexpr std::uint64_t kMaxHeldImageBytes = 256ull << 20;
// What a long run over one file's groups (extracting, saving rows) lets a set hold
// beside the group it is working on before it lets go of the images read. Not a
// cap on the input: the run reads on after letting go.
inline constexpr std::uint64_t kHeldImageBudget = 64ull << 20;
// The characters of resource names one file may make us hold.
inline constexpr std::size_t kMaxNameUnitsPerFile = 1 << 20;
// The characters of a resource name that are kept.
inline constexpr std::size_t kMaxResourceNameLength = 256;
// The further languages of resources (after the first of each group or image)
// read of one file.
#ifdef PELLIMAR_FUZZING
inline constexpr std::size_t kMaxLanguageVariants = 4096;
#else
inline constexpr std::size_t kMaxLanguageVariants = 65536;
#endif

// ---- Animated cursors and icons

// The frames read of one animation: real ones have a few dozen. The frames past
// it are left out, with a note.
inline constexpr int kMaxAnimationFrames = 1024;
// The steps of one animation (each shows a frame for its time): an animation
// stating more is not read.
inline constexpr int kMaxAnimationSteps = 4096;
// The chunks walked of all the animations of one file together, each animation's
// form counted as one: the twin in work of the caps above, for a file may hold
// thousands of animations or chunks of nothing.
inline constexpr std::uint64_t kMaxAnimationChunks = 65536;
// The bytes kept of an animation's title or of its artist.
inline constexpr std::size_t kMaxAnimationTextBytes = 1024;
// The bytes of one animation's form (an .ani file or resource) read whole, as
// writing it out as a file does.
inline constexpr std::uint64_t kMaxAnimationBytes = 64ull << 20;
// The bytes of one X cursor file made: every size of every step is stored
// whole, so a long animation of large frames grows quickly.
inline constexpr std::uint64_t kMaxXcursorBytes = 64ull << 20;

// The entries of a cursor set's folder looked at, and the largest install.inf
// read of it (they are a few kilobytes).
inline constexpr std::size_t kMaxCursorSetEntries = 4096;
inline constexpr std::uint64_t kMaxSchemeFileBytes = 1 << 20;

// The size of a version resource read: real ones hold a few kilobytes, those of
// many languages some tens.
inline constexpr std::uint64_t kMaxVersionBytes = 1ull << 20;
// The blocks (tables, strings, variables) of one version resource read: each
// costs a little work however small, and a few hundred is already a large one.
inline constexpr int kMaxVersionBlocks = 4096;

// ---- Decoding and making pictures

// The pixels a side of a stored icon image, a DIB or a PNG.
inline constexpr int kMaxDibDimension = 1024;
// The pixels a side of any PNG decoded and of any picture resized or made.
inline constexpr int kMaxPngDimension = 4096;
// The pixels a side of a JPEG picture read or written.
inline constexpr int kMaxJpegSide = 8192;
// The pixels one input may make a run decode and make (each image decoded, each
// picture brought to a size, each picture handed out to be encoded or drawn):
// this many, or this many a byte of the input when that is more, so that a small
// file naming one image from many groups cannot make a run work for minutes,
// while a large library may have every icon drawn large. Past it the input gives
// no more pictures, with a note.
inline constexpr std::uint64_t kMinPixelBudget = 128000000;
inline constexpr std::uint64_t kPixelBudgetPerByte = 16;
inline constexpr std::uint64_t pixelBudgetOf(std::uint64_t inputSize) {
    const std::uint64_t scaled =
        inputSize > UINT64_MAX / kPixelBudgetPerByte ? UINT64_MAX : inputSize * kPixelBudgetPerByte;
    return std::max(kMinPixelBudget, scaled);
}
// The same for the thumbnailer, which a file manager runs on every file shown:
// well under a second of work.
inline constexpr std::uint64_t kMaxThumbnailPixels = 16000000;
// The decoded pictures one run keeps to hand out again (4 bytes a pixel).
inline constexpr std::uint64_t kMaxKeptPictureBytes = 64ull << 20;
// Each 8 x 8 block of a JPEG takes at least a bit of Huffman-coded data (a
// progressive file's first scan too), so no whole picture states more pixels a
// byte of its file than this (arithmetic coding: 64 times this); a file that does
// is cut off and is refused before decoding.
inline constexpr std::uint64_t kMaxJpegPixelsPerByte = 512;
// Real progressive files use about ten scans; a file of thousands of tiny scans
// makes the decoder redo the whole picture for each.
inline constexpr int kMaxJpegScans = 256;

// ---- Inputs and outputs of the command line and the window

// The most read from a pipe: more than any program or library file holds (their
// formats reach 4 GB at most), so a stream without end cannot fill the memory.
inline constexpr std::uint64_t kMaxStandardInputBytes = 4ull << 30;
// What the icons of one input file may make a run (extract, save) write: this
// much, or the file's size this many times when that is more.
inline constexpr std::uint64_t kMinOutputCap = 256ull << 20;
inline constexpr std::uint64_t kOutputCapFactor = 64;
inline constexpr std::uint64_t outputCapOf(std::uint64_t inputSize) {
    const std::uint64_t scaled =
        inputSize > UINT64_MAX / kOutputCapFactor ? UINT64_MAX : inputSize * kOutputCapFactor;
    return std::max(kMinOutputCap, scaled);
}

// Settings files are a few hundred bytes; anything far beyond that is not ours
// to parse whole.
inline constexpr std::uint64_t kMaxProfileBytes = 4ull << 20;
// A tips file is a few kilobytes; a huge one is read no further than this.
inline constexpr std::size_t kMaxTipsBytes = 1 << 20;
// The thumbnail pictures one viewer holds at most, and the bytes of their decoded
// pixels (4 a pixel); the images past them show as empty cells, and the viewer
// says so.
inline constexpr int kMaxThumbnailPictures = 256;
inline constexpr std::uint64_t kMaxThumbnailBytes = 32ull << 20;

}  // namespace pellimar
