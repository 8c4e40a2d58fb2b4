// Animated cursors and icons: .ani files and resources of types 21 and 22 read
// into the model with every field, written back byte for byte, and hostile
// forms told with their reasons.
#include "platform/animation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/animation_files.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

const ReadScope kAnimations{true};

Result<IconSet> readAni(const Bytes& bytes) {
    return IconSet::read(ByteSource(bytes), kAnimations);
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string allNotes(const IconSet& set) {
    std::string out;
    for (const Failure& f : set.notes()) out += f.message() + "\n";
    return out;
}

Bytes joined(const OutputFile& file) {
    Bytes out;
    for (const auto& piece : file.pieces()) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

// A cursor file of one 32-bit image of `side` pixels in `argb`, its hotspot at (x, y).
Bytes cursorFrame(int side, std::uint32_t argb, std::uint16_t x, std::uint16_t y) {
    return makeCur({{dibImage(solidIcon(side, side, argb), 32), x, y}});
}

// Three frames: two cursors of two sizes each, and an icon.
struct Sample {
    Bytes frame0 = makeCur({{dibImage(solidIcon(32, 32, 0xFFFF0000), 32), 3, 4},
                            {dibImage(solidIcon(16, 16, 0xFFFF0000), 32), 1, 2}});
    Bytes frame1 = makeCur({{dibImage(solidIcon(32, 32, 0xFF00FF00), 32), 5, 6},
                            {dibImage(solidIcon(16, 16, 0xFF00FF00), 32), 2, 3}});
    Bytes frame2 = makeIco({dibImage(solidIcon(32, 32, 0xFF0000FF), 32)});
    AniSpec layout() const {
        AniSpec s;
        s.frames = {frame0, frame1, frame2};
        s.sequence = {0, 1, 0, 2};
        s.rates = {5, 10, 15, 20};
        s.rate = 7;
        s.title = "Busy";
        s.artist = "Caf\xC3\xA9";
        return s;
    }
};

TEST(Animation, AniFileIsReadWithEveryField) {
    const Sample sample;
    for (bool listFirst : {false, true}) {
        SCOPED_TRACE(listFirst ? "list before header" : "header first");
        AniSpec layout = sample.layout();
        layout.listFirst = listFirst;
        const Bytes ani = makeAni(layout);
        auto set = readAni(ani);
        ASSERT_TRUE(set) << why(set);
        EXPECT_EQ(set->container(), IconContainer::AnimatedCursorFile);
        EXPECT_TRUE(set->icons().empty());
        EXPECT_TRUE(set->cursors().empty());
        EXPECT_EQ(allNotes(*set), "");
        ASSERT_EQ(set->animations().size(), 1u);
        const Animation& a = set->loadAnimation(0);
        EXPECT_FALSE(a.failure) << a.failure->message();
        EXPECT_EQ(a.identity.kind, ResourceKind::Cursor);
        EXPECT_EQ(a.identity.position, 0);
        EXPECT_FALSE(a.identity.name);
        EXPECT_EQ(a.form.offset, 0u);
        EXPECT_EQ(a.form.length, ani.size());
        EXPECT_EQ(a.header.frames, 3u);
        EXPECT_EQ(a.header.steps, 4u);
        EXPECT_EQ(a.header.rate, 7u);
        EXPECT_EQ(a.header.flags, kAnimationIconFrames | kAnimationSequence);
        EXPECT_EQ(a.title, "Busy");
        EXPECT_EQ(a.artist, "Caf\xC3\xA9");
        EXPECT_TRUE(a.statedSequence);
        EXPECT_TRUE(a.statedRates);
        ASSERT_EQ(a.steps.size(), 4u);
        const int frames[] = {0, 1, 0, 2};
        const std::uint32_t jiffies[] = {5, 10, 15, 20};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(a.steps[i].frame, frames[i]);
            EXPECT_EQ(a.steps[i].jiffies, jiffies[i]);
        }
        EXPECT_EQ(a.steps[1].milliseconds(), 167u);
        EXPECT_EQ(totalJiffies(a), 50u);

        ASSERT_EQ(a.frames.size(), 3u);
        EXPECT_EQ(a.frames[0].identity.kind, ResourceKind::Cursor);
        EXPECT_EQ(a.frames[2].identity.kind, ResourceKind::Icon);
        EXPECT_EQ(a.frames[1].identity.position, 1);
        ASSERT_EQ(a.frames[1].images.size(), 2u);
        const StoredImage& small = a.frames[1].images[1];
        EXPECT_EQ(small.width(), 16);
        EXPECT_EQ(small.depth, 32);
        EXPECT_EQ(small.hotspotX, 2);
        EXPECT_EQ(small.hotspotY, 3);
        EXPECT_EQ(a.frames[0].images[0].hotspotX, 3);
        EXPECT_EQ(a.frames[0].images[0].hotspotY, 4);
        // The frames decode as any group does.
        const Result<Icon> green = chosenImage(a.frames[1], 32, SizePolicy::LikeWindows);
        ASSERT_TRUE(green) << why(green);
        EXPECT_EQ(green->pixel(8, 8), 0xFF00FF00u);
        const Result<Icon> blue = chosenImage(a.frames[2], 32, SizePolicy::LikeWindows);
        ASSERT_TRUE(blue) << why(blue);
        EXPECT_EQ(blue->pixel(0, 0), 0xFF0000FFu);

        // The .ani file and each frame's file are written as stored.
        const Result<OutputFile> out = storedAnimationFile(*set, a);
        ASSERT_TRUE(out) << why(out);
        EXPECT_EQ(joined(*out), ani);
        const Result<OutputFile> frame = storedFrameFile(*set, a, 1);
        ASSERT_TRUE(frame) << why(frame);
        EXPECT_EQ(joined(*frame), sample.frame1);
        EXPECT_STREQ(frameFileExtension(a.frames[1]), ".cur");
        EXPECT_STREQ(frameFileExtension(a.frames[2]), ".ico");
        EXPECT_FALSE(storedFrameFile(*set, a, 3));

        set->releaseImages();
        EXPECT_FALSE(set->animations()[0].frames[0].images[0].loaded());
        EXPECT_EQ(set->imageBytesHeld(), 0u);
    }
}

TEST(Animation, WithoutSequenceOrRatesEachFrameShowsInTurnAtTheHeadersRate) {
    AniSpec layout;
    layout.frames = {cursorFrame(32, 0xFF112233, 0, 0), cursorFrame(32, 0xFF445566, 1, 1)};
    layout.rate = 9;
    auto set = readAni(makeAni(layout));
    ASSERT_TRUE(set) << why(set);
    const Animation& a = set->animations().at(0);
    ASSERT_FALSE(a.failure) << a.failure->message();
    EXPECT_FALSE(a.statedSequence);
    EXPECT_FALSE(a.statedRates);
    ASSERT_EQ(a.steps.size(), 2u);
    EXPECT_EQ(a.steps[1].frame, 1);
    EXPECT_EQ(a.steps[1].jiffies, 9u);
    EXPECT_EQ(a.title, "");
}

TEST(Animation, AniFilesAreNotReadUnlessAsked) {
    const Bytes ani = makeAni(Sample().layout());
    auto set = IconSet::read(ByteSource(ani));
    ASSERT_FALSE(set);
    EXPECT_EQ(set.failure().fault, Fault::NotIconContainer);
    EXPECT_EQ(set.failure().what, "animated cursor (.ani) files are not read");
    // Nor are the resources of programs, which keep their groups as they were.
    const Bytes pe = makePe({{{dibImage(solidIcon(16, 16, 0xFF000000), 32)}}}, {},
                            {{21, ani, {}}, {22, ani, {}}});
    auto program = IconSet::read(ByteSource(pe));
    ASSERT_TRUE(program) << why(program);
    EXPECT_TRUE(program->animations().empty());
    EXPECT_EQ(program->iconCount(), 1);
}

// Programs and libraries: resources of types 21 and 22, read beside the groups
// without moving them.
TEST(Animation, ProgramResourcesAreReadInTheirKindsAndOrder) {
    const Sample sample;
    const Bytes busy = makeAni(sample.layout());
    AniSpec two;
    two.frames = {cursorFrame(24, 0xFF808080, 7, 8), cursorFrame(24, 0xFF404040, 9, 10)};
    two.rate = 3;
    const Bytes pointer = makeAni(two);
    const std::vector<IconGroupSpec> icons = {{{dibImage(solidIcon(16, 16, 0xFF102030), 32)}},
                                              {{dibImage(solidIcon(32, 32, 0), 24)}}};
    const std::vector<CursorGroupSpec> cursors = {
        {{{dibImage(solidIcon(32, 32, 0xFF000000), 32), 1, 1}}}};
    const std::vector<AnimationSpec> animations = {
        {21, busy, {}}, {22, pointer, {}}, {21, pointer, u"BUSY"}};
    for (bool ne : {false, true}) {
        SCOPED_TRACE(ne ? "NE" : "PE");
        const Bytes file =
            ne ? makeNe(icons, cursors, animations) : makePe(icons, cursors, animations);
        auto set = IconSet::read(ByteSource(file), kAnimations);
        ASSERT_TRUE(set) << why(set);
        EXPECT_EQ(allNotes(*set), "");
        EXPECT_EQ(set->iconCount(), 2);
        EXPECT_EQ(set->cursors().size(), 1u);
        EXPECT_EQ(set->cursors()[0].images[0].hotspotX, 1);
        ASSERT_EQ(set->animations().size(), 3u);
        // In the order the file stores them.
        const Animation& numbered = set->animations()[0];
        const Animation& named = set->animations()[1];
        const Animation& icon = set->animations()[2];
        EXPECT_EQ(named.identity.kind, ResourceKind::Cursor);
        ASSERT_TRUE(named.identity.name);
        EXPECT_EQ(named.identity.name->display(), "BUSY");
        EXPECT_EQ(named.identity.position, 1);
        EXPECT_EQ(numbered.identity.name->display(), "1");
        EXPECT_EQ(numbered.identity.position, 0);
        EXPECT_EQ(icon.identity.kind, ResourceKind::Icon);
        EXPECT_EQ(icon.identity.position, 0);
        EXPECT_EQ(icon.label(), "animated icon 0");
        if (ne)
            EXPECT_FALSE(numbered.identity.language);
        else
            EXPECT_EQ(numbered.identity.language, 0x409);
        EXPECT_EQ(numbered.steps.size(), 4u);
        EXPECT_EQ(numbered.title, "Busy");
        EXPECT_EQ(named.frames.size(), 2u);
        EXPECT_EQ(named.frames[1].images.at(0).hotspotY, 10);
        // The resource is an .ani file's bytes, and is written as it is.
        for (const auto& [animation, form] :
             {std::pair(&numbered, &busy), std::pair(&named, &pointer),
              std::pair(&icon, &pointer)}) {
            const Result<OutputFile> out = storedAnimationFile(*set, *animation);
            ASSERT_TRUE(out) << why(out);
            EXPECT_EQ(joined(*out), *form);
        }
        const Result<Icon> image =
            chosenImage(set->loadAnimation(0).frames[1], 32, SizePolicy::LikeWindows);
        ASSERT_TRUE(image) << why(image);
        EXPECT_EQ(image->pixel(4, 4), 0xFF00FF00u);
    }
}

// Reading animations changes nothing of what was read before: the groups, their
// positions and images, and the notes.
TEST(Animation, ReadingAnimationsMovesNoGroup) {
    const Bytes ani = makeAni(Sample().layout());
    const Bytes pe = makePe({{{dibImage(solidIcon(16, 16, 0xFF102030), 32)}, u"MAIN"},
                             {{dibImage(solidIcon(32, 32, 0xFF102030), 8)}}},
                            {{{{dibImage(solidIcon(32, 32, 0), 32), 4, 5}}}},
                            {{21, ani, {}}, {22, ani, u"SPIN"}});
    auto without = IconSet::read(ByteSource(pe));
    auto with = IconSet::read(ByteSource(pe), kAnimations);
    ASSERT_TRUE(without && with);
    EXPECT_EQ(with->animations().size(), 2u);
    EXPECT_EQ(allNotes(*with), allNotes(*without));
    for (ResourceKind kind : {ResourceKind::Icon, ResourceKind::Cursor}) {
        const auto& a = without->groups(kind);
        const auto& b = with->groups(kind);
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].identity.position, b[i].identity.position);
            EXPECT_EQ(a[i].identity.name, b[i].identity.name);
            ASSERT_EQ(a[i].images.size(), b[i].images.size());
            for (std::size_t k = 0; k < a[i].images.size(); ++k) {
                EXPECT_EQ(a[i].images[k].offset, b[i].images[k].offset);
                EXPECT_EQ(a[i].images[k].hotspotX, b[i].images[k].hotspotX);
            }
        }
    }
}

TEST(Animation, ResourcePastTheFileIsToldAndTheRestRead) {
    const Bytes ani = makeAni(Sample().layout());
    Bytes pe = makePe({{{dibImage(solidIcon(16, 16, 0xFF102030), 32)}}}, {},
                      {{21, ani, {}}, {21, ani, {}}});
    put32(pe, dataEntryOf(pe, 21, 0) + 4, 0x00FFFFFF);
    auto set = IconSet::read(ByteSource(pe), kAnimations);
    ASSERT_TRUE(set) << why(set);
    EXPECT_EQ(set->iconCount(), 1);
    ASSERT_EQ(set->animations().size(), 2u);
    ASSERT_TRUE(set->animations()[0].failure);
    EXPECT_EQ(set->animations()[0].failure->fault, Fault::BadValue);  // no section holds it
    EXPECT_FALSE(storedAnimationFile(*set, set->animations()[0]));
    EXPECT_FALSE(set->animations()[1].failure);
    EXPECT_EQ(set->animations()[1].identity.position, 1);
}

// ---- Hostile forms

Bytes withFrames(std::vector<Bytes> chunks) {
    return riffForm(std::move(chunks));
}

Bytes oneFrameList() {
    return riffList("fram", {riffChunk("icon", cursorFrame(16, 0xFF000000, 0, 0))});
}

struct HostileCase {
    const char* name;
    Bytes file;
    const char* failure;  // of the animation; "" when it is shown
    const char* note;     // a note the set has; "" for none looked for
};

std::vector<HostileCase> hostileCases() {
    const Bytes frame = cursorFrame(16, 0xFF000000, 0, 0);
    Bytes cutHeader = riffForm({riffChunk("anih", Bytes(20, 0)), oneFrameList()});
    Bytes sizePastEnd = riffForm({aniHeaderChunk(1, 1, 1, 1), oneFrameList()});
    put32(sizePastEnd, sizePastEnd.size() - riffChunk("icon", frame).size() + 4, 0x7FFFFFF0);
    Bytes formPastEnd = riffForm({aniHeaderChunk(1, 1, 1, 1), oneFrameList()});
    put32(formPastEnd, 4, 0xFFFFFFF0);
    Bytes oddFrame = frame;
    oddFrame.push_back(0xAB);  // an odd size: a pad byte follows it
    Bytes badFrame = {0, 0, 7, 0, 1, 0};
    return {
        {"no header", withFrames({oneFrameList()}), "the animation has no header", ""},
        {"header cut short", cutHeader, "animation header cut off", ""},
        {"frame count 0", withFrames({aniHeaderChunk(0, 1, 1, 1), oneFrameList()}),
         "frame count 0 is not valid", ""},
        {"frame count 65535", withFrames({aniHeaderChunk(65535, 1, 1, 1), oneFrameList()}), "",
         "frame count 65535 (the file holds 1)"},
        {"step count 0", withFrames({aniHeaderChunk(1, 0, 1, 1), oneFrameList()}),
         "step count 0 is not valid", ""},
        {"step count 65535", withFrames({aniHeaderChunk(1, 65535, 1, 1), oneFrameList()}),
         "4096 steps of one animation (it states 65535)", ""},
        {"sequence naming a missing frame",
         withFrames({aniHeaderChunk(1, 2, 1, 3), riffChunk("seq ", {0, 0, 0, 0, 7, 0, 0, 0}),
                     oneFrameList()}),
         "frame 7, which step 1 shows, is not in the file", ""},
        {"sequence shorter than the steps",
         withFrames({aniHeaderChunk(1, 3, 1, 3), riffChunk("seq ", {0, 0, 0, 0}), oneFrameList()}),
         "chunk 'seq ' cut off", ""},
        {"rates shorter than the steps",
         withFrames({aniHeaderChunk(1, 2, 1, 1), riffChunk("rate", {1, 0, 0, 0}), oneFrameList()}),
         "chunk 'rate' cut off", ""},
        {"raw frames", withFrames({aniHeaderChunk(1, 1, 1, 0), oneFrameList()}),
         "frames stored as raw pixels", ""},
        {"no frame list", withFrames({aniHeaderChunk(1, 1, 1, 1)}), "has no frames", ""},
        {"chunk size past the end", sizePastEnd, "", "chunk 'icon' cut off"},
        {"form size past the end", formPastEnd, "", "RIFF form cut off"},
        {"nested list",
         withFrames({aniHeaderChunk(2, 2, 1, 1),
                     riffList("fram", {riffChunk("icon", frame), riffList("fram", {oneFrameList()}),
                                       riffChunk("icon", frame)})}),
         "", "list inside the list 'fram' (not entered)"},
        {"odd padding",
         withFrames({aniHeaderChunk(2, 2, 1, 1),
                     riffList("fram", {riffChunk("icon", oddFrame), riffChunk("icon", frame)})}),
         "", ""},
        {"second header",
         withFrames({aniHeaderChunk(1, 1, 1, 1), aniHeaderChunk(0, 0, 0, 0), oneFrameList()}), "",
         "second chunk 'anih' (left out)"},
        {"frame that is no icon file",
         withFrames({aniHeaderChunk(1, 1, 1, 1), riffList("fram", {riffChunk("icon", badFrame)})}),
         "", ""},
    };
}

TEST(Animation, HostileFormsAreToldAndBounded) {
    for (const HostileCase& c : hostileCases()) {
        SCOPED_TRACE(c.name);
        auto set = readAni(c.file);
        ASSERT_TRUE(set) << why(set);
        ASSERT_EQ(set->animations().size(), 1u);
        const Animation& a = set->loadAnimation(0);
        if (*c.failure) {
            ASSERT_TRUE(a.failure);
            EXPECT_TRUE(contains(a.failure->message(), c.failure)) << a.failure->message();
            EXPECT_FALSE(storedAnimationFile(*set, a));
        } else {
            EXPECT_FALSE(a.failure) << a.failure->message();
        }
        if (*c.note)
            EXPECT_TRUE(contains(allNotes(*set), c.note)) << allNotes(*set);
        else
            EXPECT_EQ(allNotes(*set), "");
    }
}

TEST(Animation, FramesAroundOddAndNestedChunksAreRead) {
    for (const HostileCase& c : hostileCases()) {
        const std::string name = c.name;
        if (name != "odd padding" && name != "nested list") continue;
        SCOPED_TRACE(name);
        auto set = readAni(c.file);
        ASSERT_TRUE(set) << why(set);
        const Animation& a = set->loadAnimation(0);
        ASSERT_EQ(a.frames.size(), 2u);
        for (const IconGroup& frame : a.frames) {
            EXPECT_FALSE(frame.failure);
            EXPECT_TRUE(chosenImage(frame, 16, SizePolicy::LikeWindows));
        }
    }
}

TEST(Animation, FrameThatIsNoIconFileCarriesWhy) {
    const Bytes file = withFrames(
        {aniHeaderChunk(1, 1, 1, 1), riffList("fram", {riffChunk("icon", {0, 0, 7, 0, 1, 0})})});
    auto set = readAni(file);
    ASSERT_TRUE(set);
    const IconGroup& frame = set->animations()[0].frames.at(0);
    ASSERT_TRUE(frame.failure);
    EXPECT_EQ(frame.failure->message(), "frame's file header is not valid at byte 0x4C");
    EXPECT_FALSE(storedFrameFile(*set, set->animations()[0], 0));
}

TEST(Animation, EveryCutOfAFileIsReadWithoutHarm) {
    const Bytes ani = makeAni(Sample().layout());
    for (std::size_t length = 0; length < ani.size(); length += 3) {
        const Bytes cut(ani.begin(), ani.begin() + std::ptrdiff_t(length));
        auto set = readAni(cut);
        if (length < 12) {
            EXPECT_FALSE(set) << length;
            continue;
        }
        ASSERT_TRUE(set) << length;
        const Animation& a = set->loadAnimation(0);
        // Cut anywhere, something is told: a failure, or a note.
        EXPECT_TRUE(a.failure || !set->notes().empty()) << length;
        for (const IconGroup& frame : a.frames)
            (void)chosenImage(frame, 32, SizePolicy::LikeWindows);
    }
}

TEST(Animation, ChunksOfOneFileAreCapped) {
    std::vector<Bytes> chunks(kMaxAnimationChunks + 10, riffChunk("junk", {}));
    chunks.push_back(aniHeaderChunk(1, 1, 1, 1));
    chunks.push_back(oneFrameList());
    auto set = readAni(riffForm(chunks));
    ASSERT_TRUE(set);
    const Animation& a = set->animations()[0];
    ASSERT_TRUE(a.failure);
    EXPECT_TRUE(contains(allNotes(*set), "65536 chunks of one file's animations"))
        << allNotes(*set);
    EXPECT_EQ(set->notes().at(0).cap, Cap::AnimationChunks);
}

}  // namespace
}  // namespace pellimar
