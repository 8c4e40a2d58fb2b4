// The files made of an animated cursor or icon, as stored: the animation as an
// .ani file (its RIFF form, byte for byte: a resource of type 21 or 22 is an
// .ani file's bytes), and one frame as the icon or cursor file the animation
// holds it as. Each frame's images are IconGroups, so that a frame also goes
// out through output_files.h (storedIconFile, pngFile of its chosen image), and
// as an X cursor file through xcursor_file.h.
#pragma once

#include "platform/animation.h"
#include "platform/failure.h"
#include "platform/icon_set.h"
#include "platform/output_files.h"

namespace pellimar {

// The animation's form as the file holds it: an .ani file. Why not when the
// animation cannot be shown (its failure: nothing is written of a form that is
// not whole), or its bytes cannot be read again.
Result<OutputFile> storedAnimationFile(const IconSet& set, const Animation& animation);

// Frame `frame` of the animation as the file holds it: a cursor file (.cur)
// or an icon file (.ico), as its header states. Why not when there is no such
// frame, or it cannot be read.
Result<OutputFile> storedFrameFile(const IconSet& set, const Animation& animation, int frame);

// The extension for that frame's file: ".cur" or ".ico".
const char* frameFileExtension(const IconGroup& frame);

}  // namespace pellimar
