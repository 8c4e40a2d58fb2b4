#include "platform/animation_reader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "platform/byte_reader.h"
#include "platform/ico_file.h"
#include "platform/icon_decode.h"
#include "platform/utf8_text.h"

namespace pellimar {

namespace {

constexpr std::uint32_t fourCc(const char (&s)[5]) {
    return std::uint32_t(std::uint8_t(s[0])) | std::uint32_t(std::uint8_t(s[1])) << 8 |
           std::uint32_t(std::uint8_t(s[2])) << 16 | std::uint32_t(std::uint8_t(s[3])) << 24;
}

constexpr std::uint32_t kRiff = fourCc("RIFF"), kAcon = fourCc("ACON"), kList = fourCc("LIST"),
                        kAnih = fourCc("anih"), kRate = fourCc("rate"), kSeq = fourCc("seq "),
                        kFram = fourCc("fram"), kIconChunk = fourCc("icon"), kInfo = fourCc("INFO"),
                        kInam = fourCc("INAM"), kIart = fourCc("IART");
constexpr std::uint64_t kChunkHeader = 8;

// "'anih'", with bytes that are not printable as "?".
std::string chunkName(std::uint32_t id) {
    std::string out = "'";
    for (int i = 0; i < 4; ++i) {
        const char c = char((id >> (8 * i)) & 0xFF);
        out += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return out + "'";
}

bool validUtf8(const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t b = bytes[i];
        std::size_t extra = 0;
        if (b < 0x80)
            extra = 0;
        else if (b >= 0xC2 && b < 0xE0)
            extra = 1;
        else if ((b & 0xF0) == 0xE0)
            extra = 2;
        else if (b >= 0xF0 && b < 0xF5)
            extra = 3;
        else
            return false;
        if (extra > bytes.size() - i - 1) return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((bytes[i + k] & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

// Text of the file: UTF-8 when it is valid UTF-8, else the 8-bit code page
// taken as Latin-1.
std::string textOf(const std::vector<std::uint8_t>& bytes) {
    if (validUtf8(bytes)) return std::string(bytes.begin(), bytes.end());
    return utf8FromLatin1(bytes);
}

struct Walker {
    const ByteSource& r;
    Animation& a;
    AnimationBudget& budget;
    std::vector<Failure>& notes;
    std::optional<FileRange> anih{}, rate{}, seq{};
    bool framSeen = false, infoSeen = false, stopped = false, frameCapNoted = false,
         groupCapNoted = false;
    std::vector<FileRange> frameChunks{};

    void note(const Failure& f) { notes.push_back(f.within(a.label())); }

    // Calls `each(id, data, at)` for every chunk in [begin, end) in turn, `data`
    // the chunk's bytes (cut at `end`, with a note) and `at` its header.
    template <typename Each>
    void walk(std::uint64_t begin, std::uint64_t end, Each&& each) {
        std::uint64_t at = begin;
        while (at < end && !stopped) {
            if (end - at < kChunkHeader) {
                note(failure(Fault::CutOff, "chunk header", at));
                return;
            }
            if (budget.chunksLeft == 0) {
                stopped = true;
                if (!budget.chunksNoted) {
                    budget.chunksNoted = true;
                    note(capReached(Cap::AnimationChunks,
                                    std::to_string(kMaxAnimationChunks) +
                                        " chunks of one file's animations; the rest are left out"));
                }
                return;
            }
            --budget.chunksLeft;
            const auto id = r.u32(at), size = r.u32(at + 4);
            if (!id || !size) {
                note(failure(Fault::CutOff, "chunk header", at));
                return;
            }
            const std::uint64_t data = at + kChunkHeader;
            if (*size > end - data) {
                note(failure(Fault::CutOff, "chunk " + chunkName(*id), at));
                each(*id, FileRange{data, end - data}, at);
                return;
            }
            each(*id, FileRange{data, *size}, at);
            // Chunks start on even bytes: an odd one is followed by a pad byte.
            at = data + *size + (*size & 1);
        }
    }

    // Keeps the first of a chunk that may appear once; notes a later one.
    void once(std::optional<FileRange>& slot, std::uint32_t id, FileRange data, std::uint64_t at) {
        if (slot)
            note(failure(Fault::BadValue, "second chunk " + chunkName(id) + " (left out)", at));
        else
            slot = data;
    }

    void topLevel(std::uint32_t id, FileRange data, std::uint64_t at) {
        if (id == kAnih) return once(anih, id, data, at);
        if (id == kRate) return once(rate, id, data, at);
        if (id == kSeq) return once(seq, id, data, at);
        if (id != kList) return;  // chunks of other kinds are no part of the animation
        const auto type = data.length >= 4 ? r.u32(data.offset) : std::nullopt;
        if (!type) {
            note(failure(Fault::CutOff, "list type", data.offset));
            return;
        }
        const std::uint64_t begin = data.offset + 4, end = data.offset + data.length;
        if (*type == kFram) {
            if (framSeen) {
                note(failure(Fault::BadValue, "second list 'fram' (left out)", at));
                return;
            }
            framSeen = true;
            walk(begin, end, [&](std::uint32_t inner, FileRange frame, std::uint64_t innerAt) {
                if (inner == kIconChunk)
                    addFrame(frame);
                else if (inner == kList)
                    note(failure(Fault::BadValue, "list inside the list 'fram' (not entered)",
                                 innerAt));
            });
        } else if (*type == kInfo && !infoSeen) {
            infoSeen = true;
            walk(begin, end, [&](std::uint32_t inner, FileRange text, std::uint64_t) {
                if (inner == kInam && a.title.empty()) a.title = readText(text, "title");
                if (inner == kIart && a.artist.empty()) a.artist = readText(text, "artist");
            });
        }
    }

    void addFrame(FileRange frame) {
        if (frameChunks.size() >= std::size_t(kMaxAnimationFrames)) {
            if (!frameCapNoted) {
                frameCapNoted = true;
                note(capReached(Cap::AnimationFrames,
                                std::to_string(kMaxAnimationFrames) +
                                    " frames of one animation; the rest are left out"));
            }
            return;
        }
        frameChunks.push_back(frame);
    }

    std::string readText(FileRange text, const char* what) {
        const std::uint64_t kept = std::min<std::uint64_t>(text.length, kMaxAnimationTextBytes);
        auto bytes = r.fetch(text.offset, kept, kMaxAnimationTextBytes);
        if (!bytes) {
            note(bytes.failure().within(what));
            return {};
        }
        const auto end = std::find(bytes->begin(), bytes->end(), std::uint8_t(0));
        if (end == bytes->end() && kept < text.length)
            note(capReached(Cap::AnimationText, std::string("the ") + what + " is cut to " +
                                                    std::to_string(kMaxAnimationTextBytes) +
                                                    " bytes"));
        bytes->erase(end, bytes->end());
        return textOf(*bytes);
    }

    // The numbers of a "rate" or "seq " chunk, one for each step.
    Result<std::vector<std::uint32_t>> perStep(FileRange data, std::uint32_t id) {
        const std::uint64_t need = std::uint64_t(a.header.steps) * 4;
        if (data.length < need)
            return failure(Fault::CutOff, "chunk " + chunkName(id), data.offset + data.length);
        auto bytes = r.fetch(data.offset, need, std::uint64_t(kMaxAnimationSteps) * 4);
        if (!bytes) return bytes.failure().within("chunk " + chunkName(id));
        std::vector<std::uint32_t> out(a.header.steps);
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = loadU32(bytes->data() + 4 * i);
        return out;
    }

    void readFrame(IconGroup& group, FileRange file) {
        const auto reserved = r.u16(file.offset), type = r.u16(file.offset + 2),
                   count = r.u16(file.offset + 4);
        if (file.length < kIcoHeaderSize || !reserved || !type || !count) {
            group.failure = failure(Fault::CutOff, "frame's file header", file.offset);
            return;
        }
        if (*reserved != 0 || (*type != 1 && *type != 2)) {
            group.failure = failure(Fault::BadValue, "frame's file header", file.offset);
            return;
        }
        const ResourceKind kind = *type == 2 ? ResourceKind::Cursor : ResourceKind::Icon;
        group.identity.kind = kind;
        group.statedCount = *count;
        if (*count == 0) {
            group.failure = failure(Fault::NoImage, "the frame's directory states no image");
            return;
        }
        if (*count > kMaxImagesPerIcon && !groupCapNoted) {
            groupCapNoted = true;
            note(capReached(Cap::ImagesPerGroup,
                            std::to_string(kMaxImagesPerIcon) + " images of one frame (frame " +
                                std::to_string(group.identity.position) + " states " +
                                std::to_string(*count) + "; the rest are left out)"));
        }
        std::uint64_t entries = std::min<std::uint64_t>(*count, kMaxImagesPerIcon);
        const std::uint64_t room = (file.length - kIcoHeaderSize) / kIcoEntrySize;
        if (room < entries) {
            note(failure(Fault::CutOff,
                         "frame " + std::to_string(group.identity.position) + "'s directory",
                         file.offset + kIcoHeaderSize + room * kIcoEntrySize));
            entries = room;
        }
        if (entries == 0) {
            group.failure = failure(Fault::CutOff, "frame's directory", file.offset);
            return;
        }
        if (std::uint64_t(budget.imagesLeft) < entries) {
            budget.imagesLeft = 0;
            group.failure = capReached(Cap::ImagesPerFile, std::to_string(kMaxImagesPerFile) +
                                                               " images read of one file's groups");
            if (!budget.imagesNoted) {
                budget.imagesNoted = true;
                note(*group.failure);
            }
            return;
        }
        budget.imagesLeft -= int(entries);
        auto directory = r.fetch(file.offset + kIcoHeaderSize, entries * kIcoEntrySize,
                                 kIcoEntrySize * kMaxImagesPerIcon);
        if (!directory) {
            group.failure = directory.failure().within("frame's directory");
            return;
        }
        group.images.reserve(std::size_t(entries));
        for (std::uint64_t i = 0; i < entries; ++i) {
            const std::uint8_t* p = directory->data() + i * kIcoEntrySize;
            StoredImage image;
            image.entry = parseCommonEntryFields(p);
            image.entry.imageOffset = loadU32(p + 12);
            if (kind == ResourceKind::Cursor) {
                image.hotspotX = image.entry.planes;
                image.hotspotY = image.entry.bitCount;
                image.entry.planes = 1;
                image.entry.bitCount = 0;
            }
            const std::uint64_t entryAt = file.offset + kIcoHeaderSize + i * kIcoEntrySize;
            image.offset = file.offset + image.entry.imageOffset;
            image.length = image.entry.bytesInRes;
            if (image.length == 0)
                image.failure = failure(Fault::BadValue, "image size 0", entryAt);
            else if (image.length > kMaxImageBytes)
                image.failure = capReached(
                    Cap::ResourceBytes, std::to_string(kMaxImageBytes >> 20) + " MB of one image");
            else if (image.entry.imageOffset > file.length ||
                     image.length > file.length - image.entry.imageOffset)
                image.failure = failure(Fault::CutOff, "image data", image.offset);
            image.depth = image.entry.statedBitCount();
            if (!image.failure && image.entry.bitCount == 0) {
                std::array<std::uint8_t, 40> head;
                const std::size_t length =
                    std::size_t(std::min<std::uint64_t>(head.size(), image.length));
                if (r.peekAlone(image.offset, length, head.data()))
                    if (auto depth = storedImageDepth(std::span(head.data(), length)))
                        image.depth = *depth;
            }
            group.images.push_back(std::move(image));
        }
    }

    void finish() {
        if (!anih) {
            a.failure = failure(Fault::NoImage, "the animation has no header (chunk 'anih')");
            return;
        }
        std::array<std::uint8_t, kAnimationHeaderSize> h{};
        if (anih->length < kAnimationHeaderSize ||
            !r.peek(anih->offset, kAnimationHeaderSize, h.data())) {
            a.failure = failure(Fault::CutOff, "animation header", anih->offset);
            return;
        }
        AnimationHeader& head = a.header;
        head.size = loadU32(h.data());
        head.frames = loadU32(h.data() + 4);
        head.steps = loadU32(h.data() + 8);
        head.width = loadU32(h.data() + 12);
        head.height = loadU32(h.data() + 16);
        head.bitCount = loadU32(h.data() + 20);
        head.planes = loadU32(h.data() + 24);
        head.rate = loadU32(h.data() + 28);
        head.flags = loadU32(h.data() + 32);

        // The frames are read whatever the rest says, so that they can be listed.
        for (std::size_t i = 0; i < frameChunks.size(); ++i) {
            IconGroup group;
            group.identity.kind = ResourceKind::Cursor;
            group.identity.position = int(i);
            if (head.flags & kAnimationIconFrames)
                readFrame(group, frameChunks[i]);
            else
                group.failure = failure(Fault::UnsupportedImage, "a frame of raw pixels");
            a.frames.push_back(std::move(group));
            a.frameFiles.push_back(frameChunks[i]);
        }

        if (!(head.flags & kAnimationIconFrames)) {
            a.failure = failure(Fault::UnsupportedImage, "animation frames stored as raw pixels");
            return;
        }
        if (head.frames == 0) {
            a.failure = failure(Fault::BadValue, "frame count 0", anih->offset + 4);
            return;
        }
        if (head.steps == 0) {
            a.failure = failure(Fault::BadValue, "step count 0", anih->offset + 8);
            return;
        }
        if (head.steps > std::uint32_t(kMaxAnimationSteps)) {
            a.failure = capReached(Cap::AnimationSteps, std::to_string(kMaxAnimationSteps) +
                                                            " steps of one animation (it states " +
                                                            std::to_string(head.steps) + ")");
            return;
        }
        if (!framSeen || frameChunks.empty()) {
            a.failure = failure(Fault::NoImage, "the animation has no frames (list 'fram')");
            return;
        }
        if (head.frames != frameChunks.size() && !frameCapNoted)
            note(failure(Fault::BadValue,
                         "frame count " + std::to_string(head.frames) + " (the file holds " +
                             std::to_string(frameChunks.size()) + ")",
                         anih->offset + 4));

        std::vector<std::uint32_t> order(head.steps);
        for (std::uint32_t i = 0; i < head.steps; ++i) order[i] = i;
        if (seq) {
            auto stated = perStep(*seq, kSeq);
            if (!stated) {
                a.failure = stated.failure();
                return;
            }
            order = std::move(*stated);
            a.statedSequence = true;
        } else if (head.flags & kAnimationSequence) {
            note(failure(Fault::BadValue,
                         "header flags (they name a chunk 'seq ' the file does not hold)",
                         anih->offset + 32));
        }
        std::vector<std::uint32_t> times(head.steps, head.rate);
        if (rate) {
            auto stated = perStep(*rate, kRate);
            if (!stated) {
                a.failure = stated.failure();
                return;
            }
            times = std::move(*stated);
            a.statedRates = true;
        }
        a.steps.reserve(head.steps);
        for (std::uint32_t i = 0; i < head.steps; ++i) {
            if (order[i] >= a.frames.size()) {
                a.failure = failure(Fault::MissingImage, "frame " + std::to_string(order[i]) +
                                                             ", which step " + std::to_string(i) +
                                                             " shows,");
                a.steps.clear();
                return;
            }
            a.steps.push_back({int(order[i]), times[i]});
        }
    }
};

}  // namespace

std::string Animation::label() const {
    return std::string(identity.kind == ResourceKind::Cursor ? "animated cursor "
                                                             : "animated icon ") +
           std::to_string(identity.position);
}

std::uint64_t totalJiffies(const Animation& animation) {
    std::uint64_t total = 0;
    for (const AnimationStep& step : animation.steps) total += step.jiffies;
    return total;
}

bool isAnimationForm(const ByteSource& source, std::uint64_t offset) {
    return source.u32(offset) == kRiff && source.u32(offset + 8) == kAcon;
}

void readAnimation(const ByteSource& source, FileRange form, bool trimToForm, Animation& animation,
                   AnimationBudget& budget, std::vector<Failure>& notes) {
    animation.form = form;
    Walker walker{source, animation, budget, notes};
    const auto riff = source.u32(form.offset), size = source.u32(form.offset + 4),
               type = source.u32(form.offset + 8);
    if (form.length < 12 || !riff || !size || !type) {
        animation.failure = failure(Fault::CutOff, "RIFF header", form.offset);
        return;
    }
    if (*riff != kRiff || *type != kAcon) {
        animation.failure = failure(Fault::BadValue, "RIFF header", form.offset);
        return;
    }
    if (budget.chunksLeft == 0) {
        animation.failure =
            capReached(Cap::AnimationChunks,
                       std::to_string(kMaxAnimationChunks) + " chunks of one file's animations");
        return;
    }
    --budget.chunksLeft;
    std::uint64_t end = form.offset + form.length;
    if (std::uint64_t(*size) + kChunkHeader > form.length) {
        walker.note(failure(Fault::CutOff, "RIFF form", end));
    } else if (trimToForm) {
        end = form.offset + kChunkHeader + *size;
        animation.form.length = end - form.offset;
    } else {
        end = form.offset + kChunkHeader + *size;
    }
    walker.walk(form.offset + 12, end, [&](std::uint32_t id, FileRange data, std::uint64_t at) {
        walker.topLevel(id, data, at);
    });
    walker.finish();
}

}  // namespace pellimar
