// libFuzzer target over animated cursors and icons: reading .ani files and the
// resources of types 21 and 22 of programs (ReadScope::animations), loading
// their frames, choosing and decoding frame images, making X cursor files of
// them, and writing the form and each frame back as stored.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/animation.h"
#include "platform/animation_files.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "platform/xcursor_file.h"

using namespace pellimar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto set = IconSet::read(ByteSource(std::span(data, size)), ReadScope{true});
    if (!set) return 0;
    (void)set->notes();
    const std::size_t count = set->animations().size();
    for (std::size_t i = 0; i < count && i < 4; ++i) {
        const Animation& animation = set->loadAnimation(int(i));
        for (const AnimationStep& step : animation.steps)
            if (step.frame < 0 || std::size_t(step.frame) >= animation.frames.size())
                __builtin_trap();
        if (animation.frameFiles.size() != animation.frames.size()) __builtin_trap();
        auto form = storedAnimationFile(*set, animation);
        // A form written out reads back as one animation of the same steps.
        if (form && !animation.failure) {
            std::vector<std::uint8_t> bytes;
            for (const auto& piece : form->pieces())
                bytes.insert(bytes.end(), piece.begin(), piece.end());
            auto again = IconSet::read(ByteSource(bytes), ReadScope{true});
            if (!again || again->animations().size() != 1 ||
                again->animations()[0].steps.size() != animation.steps.size())
                __builtin_trap();
        }
        for (std::size_t f = 0; f < animation.frames.size() && f < 4; ++f) {
            (void)storedFrameFile(*set, animation, int(f));
            (void)chosenImage(animation.frames[f], 32, SizePolicy::LikeWindows);
        }
        auto cursor = xcursorFromAnimation(animation, XcursorOptions{{24, 32}});
        if (cursor && cursor->bytes.size() < 16) __builtin_trap();
    }
    set->releaseImages();
    if (set->imageBytesHeld() != 0) __builtin_trap();
    if (!set->cursors().empty()) (void)xcursorFromGroup(set->load(ResourceKind::Cursor, 0));
    return 0;
}
