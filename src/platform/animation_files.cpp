#include "platform/animation_files.h"

#include <string>
#include <utility>

namespace pellimar {

Result<OutputFile> storedAnimationFile(const IconSet& set, const Animation& animation) {
    if (animation.failure) return animation.failure->within(animation.label());
    auto bytes = set.storedBytes(animation.form.offset, animation.form.length, kMaxAnimationBytes);
    if (!bytes) return bytes.failure().within(animation.label());
    return OutputFile(std::move(*bytes));
}

Result<OutputFile> storedFrameFile(const IconSet& set, const Animation& animation, int frame) {
    const std::string name = animation.label() + ": frame " + std::to_string(frame);
    if (frame < 0 || std::size_t(frame) >= animation.frames.size() ||
        std::size_t(frame) >= animation.frameFiles.size())
        return failure(Fault::NoSuchIcon, name.substr(name.find(": ") + 2))
            .within(animation.label());
    const IconGroup& group = animation.frames[std::size_t(frame)];
    if (group.failure) return group.failure->within(name);
    const FileRange file = animation.frameFiles[std::size_t(frame)];
    auto bytes = set.storedBytes(file.offset, file.length, kMaxAnimationBytes);
    if (!bytes) return bytes.failure().within(name);
    return OutputFile(std::move(*bytes));
}

const char* frameFileExtension(const IconGroup& frame) {
    return frame.identity.kind == ResourceKind::Cursor ? ".cur" : ".ico";
}

}  // namespace pellimar
