// Animated cursors and icons in the icon model: the RIFF form "ACON" of .ani
// files and of resources of types 21 (animated cursors) and 22 (animated icons),
// whose bytes are an .ani file's. IconSet reads them (ReadScope::animations)
// beside the icon and cursor groups; this header says what one holds.
//
// The form holds chunks in any order: "anih" (the header below), "rate" (the
// time of each step), "seq " (the frame each step shows), a list "fram" of
// "icon" chunks (each frame, an icon or cursor file of its own) and a list
// "INFO" whose "INAM" and "IART" give a title and an artist. Each frame is read
// as an icon group is, so that the decoders and the choice of an image work on
// it unchanged; its images lie where the frame's file holds them in the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/icon_set.h"

namespace pellimar {

// A run of bytes of the file read.
struct FileRange {
    std::uint64_t offset = 0, length = 0;
};

// The "anih" chunk, as stored.
struct AnimationHeader {
    std::uint32_t size = 0;    // the size the header gives itself (36)
    std::uint32_t frames = 0;  // frames stated
    std::uint32_t steps = 0;   // steps stated: how many frames one run of the animation shows
    // The size and depth of frames stored as raw pixels; 0 for icon frames.
    std::uint32_t width = 0, height = 0, bitCount = 0, planes = 0;
    std::uint32_t rate = 0;   // jiffies (1/60 s) a step shows, without a "rate" chunk
    std::uint32_t flags = 0;  // kAnimationIconFrames, kAnimationSequence
};
inline constexpr std::uint32_t kAnimationHeaderSize = 36;
// Flags of the header: the frames are icon or cursor files (else raw pixels,
// which are not read); the form has a "seq " chunk.
inline constexpr std::uint32_t kAnimationIconFrames = 1;
inline constexpr std::uint32_t kAnimationSequence = 2;

// One step of the animation: the frame it shows and for how long.
struct AnimationStep {
    int frame = 0;              // index into Animation::frames
    std::uint32_t jiffies = 0;  // 1/60 s
    // The time in milliseconds, rounded to the nearest.
    std::uint32_t milliseconds() const {
        return std::uint32_t((std::uint64_t(jiffies) * 1000 + 30) / 60);
    }
};

struct Animation {
    // Kind Cursor: an animated cursor (an .ani file, a resource of type 21);
    // Icon: an animated icon (type 22). Positions count each kind apart from 0.
    GroupIdentity identity;
    FileRange form;  // the whole RIFF form: the .ani file's bytes
    AnimationHeader header;
    // The frames read, in the order of the "fram" list, at most
    // kMaxAnimationFrames. Each is a group of the kind its file states (icon or
    // cursor), positioned by its index; a frame that cannot be read carries why
    // in its `failure`, as a group does.
    std::vector<IconGroup> frames;
    // Where each frame's own icon or cursor file lies (the "icon" chunk's data).
    std::vector<FileRange> frameFiles;
    // What one run shows: from the "seq " chunk, else each frame in turn; each
    // step's time from the "rate" chunk, else the header's rate.
    std::vector<AnimationStep> steps;
    bool statedSequence = false;  // a "seq " chunk gave the frames of the steps
    bool statedRates = false;     // a "rate" chunk gave the times of the steps
    std::string title, artist;    // from "INAM" and "IART", as UTF-8
    // Why the animation cannot be shown: no header, frames of raw pixels, steps
    // naming frames it does not hold, a cap... What was read is kept.
    std::optional<Failure> failure;

    // "animated cursor 2" / "animated icon 0", as messages name it.
    std::string label() const;
};

// The time of one run of `animation`, in jiffies.
std::uint64_t totalJiffies(const Animation& animation);

}  // namespace pellimar
