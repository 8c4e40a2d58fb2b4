// Reading the RIFF form "ACON" of an animated cursor or icon into an Animation:
// what IconSet does for .ani files and for resources of types 21 and 22. Every
// chunk is found by walking the form once, its size checked against the form
// before anything is read of it; nested lists are not entered.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/animation.h"
#include "platform/byte_source.h"
#include "platform/caps.h"
#include "platform/failure.h"

namespace pellimar {

// What the animations of one file may still take, shared by all of them.
struct AnimationBudget {
    int imagesLeft = kMaxImagesPerFile;  // of the file's images cap
    std::uint64_t chunksLeft = kMaxAnimationChunks;
    bool chunksNoted = false;  // the chunks cap was told
    bool imagesNoted = false;  // the images cap was told
};

// Whether the form at `offset` starts "RIFF" .... "ACON".
bool isAnimationForm(const ByteSource& source, std::uint64_t offset);

// Reads the form in `form` (an .ani file's bytes, or a resource's) into
// `animation`, whose identity the caller has set; sets its `form`, trimmed to
// the size the RIFF header states when `trimToForm` is set (resources of NE
// files run on to their alignment). What is left out is added to `notes`, each
// said of the animation; why it cannot be shown is its `failure`.
void readAnimation(const ByteSource& source, FileRange form, bool trimToForm, Animation& animation,
                   AnimationBudget& budget, std::vector<Failure>& notes);

}  // namespace pellimar
