// Reading PE, NE, icon and cursor files into icon and cursor groups: what each
// group is, its images and their depths, loading their bytes, the caps, and the
// reasons given for whatever cannot be read.
#include "platform/icon_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include "platform/byte_reader.h"
#include "platform/image_choice.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

const std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                    kYellow = 0xFFFFFF00, kCyan = 0xFF00FFFF;

// Groups told apart by the solid colour of their only 32x32 image.
IconGroupSpec coloured(std::uint32_t argb, std::u16string name = {}) {
    return {{dibImage(solidIcon(32, 32, argb), 24)}, std::move(name), {}};
}

std::uint32_t centre(const Result<Icon>& icon) {
    return !icon || icon->empty() ? 0 : icon->pixel(icon->width / 2, icon->height / 2);
}

// The bytes must outlive the set.
Result<IconSet> readSet(const Bytes& bytes) {
    return IconSet::read(ByteSource(bytes));
}

std::vector<std::uint8_t> bytesOf(const StoredImage& image) {
    return {image.data.begin(), image.data.end()};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The image's bytes are `stored` (without the hotspot of a cursor). NE files give
// the lengths of resources in units of their alignment: their images run on to it.
void expectStored(const StoredImage& image, const Bytes& stored, bool aligned) {
    if (!aligned) {
        EXPECT_EQ(bytesOf(image), stored);
        return;
    }
    ASSERT_GE(image.data.size(), stored.size());
    EXPECT_LT(image.data.size(), stored.size() + 16);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), image.data.begin()));
}

// Where the directory of `type` of a makePe file lies.
std::size_t typeDirectoryOf(const Bytes& pe, std::uint32_t type) {
    const std::size_t root = kResourceFileOffset;
    for (std::size_t t = 0; t < get16(pe, root + 14); ++t)
        if (get32(pe, root + 16 + 8 * t) == type)
            return root + (get32(pe, root + 20 + 8 * t) & 0x7FFFFFFFu);
    throw std::logic_error("no resource of that type");
}

constexpr std::size_t kPe32Sections = 0x80 + 24 + 224;

// ---- Groups of programs and libraries ---------------------------------------

class ExecutableKinds : public ::testing::TestWithParam<int> {
  protected:
    bool isNe() const { return GetParam() == 2; }
    Bytes build(const std::vector<IconGroupSpec>& groups,
                const std::vector<CursorGroupSpec>& cursors = {}) const {
        switch (GetParam()) {
            case 0:
                return makePe(groups, cursors, PeKind::Pe32);
            case 1:
                return makePe(groups, cursors, PeKind::Pe32Plus);
            default:
                return makeNe(groups, cursors, 4);
        }
    }
};

TEST_P(ExecutableKinds, CountsGroupsInStoredOrderAndReadsEach) {
    const std::vector<std::uint32_t> colours = {kRed, kGreen, kBlue, kYellow, kCyan};
    std::vector<IconGroupSpec> groups;
    for (auto c : colours) groups.push_back(coloured(c));
    const Bytes file = build(groups);
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    EXPECT_EQ(set->container(), isNe() ? IconContainer::Ne : IconContainer::Pe);
    EXPECT_TRUE(set->notes().empty());
    EXPECT_TRUE(set->cursors().empty());
    ASSERT_EQ(set->iconCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(centre(iconAtSize(*set, i, 32)), colours[std::size_t(i)]) << i;
    for (int index : {5, -1}) {
        const Result<Icon> none = iconAtSize(*set, index, 32);
        ASSERT_FALSE(none) << index;
        EXPECT_EQ(none.failure().fault, Fault::NoSuchIcon);
        EXPECT_EQ(none.failure().message(), "no icon " + std::to_string(index));
    }
}

TEST_P(ExecutableKinds, ChoosesTheImageForEachSize) {
    IconGroupSpec group{
        {dibImage(solidIcon(16, 16, kGreen), 4), dibImage(solidIcon(32, 32, kBlue), 8),
         dibImage(solidIcon(32, 32, kRed), 32), dibImage(solidIcon(48, 48, kCyan), 24)},
        {},
        {}};
    const Bytes file = build({group});
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    const auto& images = set->icons()[0].images;
    ASSERT_EQ(images.size(), 4u);
    EXPECT_EQ(set->icons()[0].statedCount, 4);
    EXPECT_EQ(images[1].width(), 32);
    EXPECT_EQ(images[1].entry.bitCount, 8);
    EXPECT_EQ(images[1].depth, 8);
    const Result<Icon> large = iconAtSize(*set, 0, 32);
    ASSERT_TRUE(large) << why(large);
    EXPECT_EQ(large->width, 32);
    EXPECT_EQ(centre(large), kRed);  // the 32-bit one
    const Result<Icon> small = iconAtSize(*set, 0, 16);
    ASSERT_TRUE(small) << why(small);
    EXPECT_EQ(small->width, 16);
    EXPECT_EQ(centre(small), kGreen);
    EXPECT_EQ(centre(iconAtSize(*set, 0, 48)), kCyan);
}

// Named groups come first, as stored, then numbered ones; PE groups carry the
// language of their first language entry, NE groups none.
TEST_P(ExecutableKinds, GroupsCarryTheirNamesAndPositions) {
    const Bytes file = build(
        {coloured(kRed, u"ZEBRA"), coloured(kGreen, u"APPLE"), coloured(kBlue), coloured(kYellow)});
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    struct Expected {
        std::uint32_t colour;
        bool numeric;
        std::string display;
    };
    const std::vector<Expected> expected = {
        {kRed, false, "ZEBRA"}, {kGreen, false, "APPLE"}, {kBlue, true, "1"}, {kYellow, true, "2"}};
    ASSERT_EQ(set->iconCount(), 4);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const GroupIdentity& id = set->icons()[i].identity;
        EXPECT_EQ(id.kind, ResourceKind::Icon);
        EXPECT_EQ(id.position, int(i));
        ASSERT_TRUE(id.name) << i;
        EXPECT_EQ(id.name->numeric, expected[i].numeric) << i;
        EXPECT_EQ(id.name->display(), expected[i].display) << i;
        EXPECT_EQ(id.language, isNe() ? std::nullopt : std::optional<std::uint16_t>(0x409)) << i;
        EXPECT_EQ(centre(iconAtSize(*set, int(i), 32)), expected[i].colour) << i;  // not sorted
    }
}

// Cursor groups are read beside the icon groups, with their hotspots, and leave
// the icon groups as they are without them.
TEST_P(ExecutableKinds, CursorGroupsAreReadWithTheirHotspots) {
    const IconImage mono = dibImage(patternIcon(32, 32, 2), 1);
    const IconImage alpha = dibImage(alphaPatternIcon(48, 48), 32);
    const IconImage sixteen = dibImage(patternIcon(16, 16, 16), 4);
    const std::vector<CursorGroupSpec> cursors = {
        {{{mono, 5, 7}, {alpha, 40, 2}}, u"ARROW"},
        {{{sixteen, 0, 15}}, {}},
    };
    const std::vector<IconGroupSpec> icons = {coloured(kRed), coloured(kGreen, u"NAMED")};
    const Bytes withCursors = build(icons, cursors);
    const Bytes without = build(icons);
    auto set = readSet(withCursors);
    auto plain = readSet(without);
    ASSERT_TRUE(set) << why(set);
    ASSERT_TRUE(plain) << why(plain);
    set->loadAll(ResourceKind::Icon);
    set->loadAll(ResourceKind::Cursor);
    plain->loadAll(ResourceKind::Icon);

    ASSERT_EQ(set->iconCount(), plain->iconCount());
    for (std::size_t g = 0; g < set->icons().size(); ++g) {
        const IconGroup& a = set->icons()[g];
        const IconGroup& b = plain->icons()[g];
        EXPECT_EQ(a.identity.name, b.identity.name) << g;
        ASSERT_EQ(a.images.size(), b.images.size()) << g;
        for (std::size_t k = 0; k < a.images.size(); ++k) {
            EXPECT_EQ(a.images[k].entry.resourceId, b.images[k].entry.resourceId);
            EXPECT_EQ(bytesOf(a.images[k]), bytesOf(b.images[k]));
        }
    }
    EXPECT_EQ(centre(iconAtSize(*set, 1, 32)), kGreen);

    struct Expected {
        std::size_t group, image;
        const IconImage* picture;
        int size, depth;
        std::uint16_t x, y;
    };
    const std::vector<Expected> expected = {
        {0, 0, &mono, 32, 1, 5, 7}, {0, 1, &alpha, 48, 32, 40, 2}, {1, 0, &sixteen, 16, 4, 0, 15}};
    ASSERT_EQ(set->cursors().size(), 2u);
    EXPECT_EQ(set->cursors()[0].identity.name->display(), "ARROW");
    EXPECT_EQ(set->cursors()[1].identity.name->display(), "1");
    for (const IconGroup& group : set->cursors()) {
        EXPECT_EQ(group.identity.kind, ResourceKind::Cursor);
        EXPECT_FALSE(group.failure);
    }
    EXPECT_EQ(set->cursors()[1].identity.position, 1);
    for (const Expected& e : expected) {
        const StoredImage& image = set->cursors()[e.group].images[e.image];
        SCOPED_TRACE("cursor " + std::to_string(e.group) + " image " + std::to_string(e.image));
        EXPECT_EQ(image.width(), e.size);
        EXPECT_EQ(image.height(), e.size);
        EXPECT_EQ(image.depth, e.depth);
        EXPECT_EQ(image.entry.colorCount, 0);
        EXPECT_EQ(image.hotspotX, e.x);
        EXPECT_EQ(image.hotspotY, e.y);
        ASSERT_TRUE(image.loaded()) << (image.failure ? image.failure->message() : "");
        expectStored(image, e.picture->data, isNe());
    }
    const Result<Icon> large =
        chosenImage(*set, ResourceKind::Cursor, 0, 48, SizePolicy::LikeWindows);
    ASSERT_TRUE(large) << why(large);
    EXPECT_EQ(large->width, 48);
    EXPECT_TRUE(large->hasAlpha);
}

// Cursor groups are written with the height of each image doubled (image and
// mask) or not; either way the image's own header gives its size.
TEST_P(ExecutableKinds, CursorSizesComeFromTheImagesThemselves) {
    const IconImage square = dibImage(patternIcon(32, 32, 2), 1);
    const IconImage wide = dibImage(patternIcon(48, 16), 32);
    const IconImage png = pngImage(alphaPatternIcon(256, 256));
    Bytes file = build({}, {{{{square, 1, 2}, {wide, 3, 4}, {png, 5, 6}}, {}}});
    auto doubled = readSet(file);
    ASSERT_TRUE(doubled) << why(doubled);
    // The same group with the heights as the images have them.
    const std::uint8_t header[] = {0, 0, 2, 0, 3, 0};
    const auto at = std::search(file.begin(), file.end(), std::begin(header), std::end(header));
    ASSERT_NE(at, file.end());
    const std::size_t entries = std::size_t(at - file.begin()) + 6;
    put16(file, entries + 2, 32);
    put16(file, entries + 14 + 2, 16);
    put16(file, entries + 28 + 2, 256);
    auto single = readSet(file);
    ASSERT_TRUE(single) << why(single);
    for (const IconSet* set : {&*doubled, &*single}) {
        const auto& images = set->cursors()[0].images;
        ASSERT_EQ(images.size(), 3u);
        EXPECT_EQ(images[0].width(), 32);
        EXPECT_EQ(images[0].height(), 32);
        EXPECT_EQ(images[1].width(), 48);
        EXPECT_EQ(images[1].height(), 16);
        EXPECT_EQ(images[2].width(), 256);
        EXPECT_EQ(images[2].height(), 256);
    }
}

INSTANTIATE_TEST_SUITE_P(PeAndNe, ExecutableKinds, ::testing::Values(0, 1, 2));

TEST(PeGroups, NamesAsTextAndTheLanguageOfTheFirstLanguageEntry) {
    IconGroupSpec german = coloured(kRed, u"HAUPT");
    german.language = 0x407;
    IconGroupSpec neutral = coloured(kGreen, u"\u00C9t\u00E9 \U0001F600");
    neutral.language = 0;
    IconGroupSpec broken = coloured(kBlue, std::u16string{u'a', char16_t(0xD800), u'b'});
    IconGroupSpec numbered = coloured(kYellow);
    numbered.otherLanguages.push_back({dibImage(solidIcon(32, 32, kCyan), 24)});
    const Bytes file = makePe({german, neutral, broken, numbered});
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    struct Expected {
        std::string text;
        std::uint16_t language;
        std::uint32_t colour;
    };
    const std::vector<Expected> expected = {
        {"HAUPT", 0x407, kRed},
        {"\xC3\x89t\xC3\xA9 \xF0\x9F\x98\x80", 0, kGreen},  // a pair of surrogates: one character
        {"a\xEF\xBF\xBD"
         "b",
         0x409, kBlue},  // an unpaired surrogate: U+FFFD
        {"1", 0x409, kYellow},
    };
    ASSERT_EQ(set->iconCount(), 4);  // languages are not icons of their own
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const GroupIdentity& id = set->icons()[i].identity;
        EXPECT_EQ(id.name->display(), expected[i].text) << i;
        EXPECT_EQ(id.language, expected[i].language) << i;
        EXPECT_EQ(centre(iconAtSize(*set, int(i), 32)), expected[i].colour) << i;
    }
    EXPECT_TRUE(set->notes().empty());
}

TEST(PeGroups, FurtherLanguagesAreHeldApartWithTheirGroupsPosition) {
    IconGroupSpec first = coloured(kRed);
    IconGroupSpec named = coloured(kGreen, u"MAIN");
    named.language = 0x408;
    named.otherLanguages.push_back({dibImage(solidIcon(16, 16, kBlue), 24)});
    named.otherLanguages.push_back({dibImage(solidIcon(48, 48, kCyan), 8)});
    const Bytes pe = makePe({first, named});  // images are read from it as they are loaded
    auto set = readSet(pe);
    ASSERT_TRUE(set) << why(set);
    ASSERT_EQ(set->iconCount(), 2);  // the positions are those of the first languages
    EXPECT_EQ(set->icons()[1].identity.language, 0x408);
    const auto& others = set->otherLanguages(ResourceKind::Icon);
    ASSERT_EQ(others.size(), 2u);
    const struct {
        std::uint16_t language;
        int size;
        std::uint32_t colour;
    } expected[] = {{0x407, 16, kBlue}, {0x406, 48, kCyan}};
    for (int i = 0; i < 2; ++i) {
        const IconGroup& g = set->loadOtherLanguage(ResourceKind::Icon, i);
        EXPECT_EQ(g.identity.position, 1);
        EXPECT_EQ(g.identity.name->display(), "MAIN");
        EXPECT_EQ(g.identity.language, expected[i].language);
        ASSERT_EQ(g.images.size(), 1u);
        EXPECT_EQ(g.images[0].width(), expected[i].size);
        EXPECT_EQ(centre(decodeStoredImage(g.images[0])), expected[i].colour);
    }
    EXPECT_TRUE(set->otherLanguages(ResourceKind::Cursor).empty());

    // Languages that name the same image numbers each take the image of their own.
    IconGroupSpec shared = coloured(kRed);
    shared.otherLanguages.push_back({dibImage(solidIcon(32, 32, kBlue), 24)});
    shared.otherLanguagesShareIds = true;
    const Bytes sharedPe = makePe({shared});
    auto translated = readSet(sharedPe);
    ASSERT_TRUE(translated) << why(translated);
    EXPECT_EQ(centre(iconAtSize(*translated, 0, 32)), kRed);
    ASSERT_EQ(translated->otherLanguages(ResourceKind::Icon).size(), 1u);
    const IconGroup& german = translated->loadOtherLanguage(ResourceKind::Icon, 0);
    ASSERT_EQ(german.images.size(), 1u);
    EXPECT_EQ(centre(decodeStoredImage(german.images[0])), kBlue);
}

TEST(PeGroups, LongNamesAreCutWithANote) {
    const Bytes file = makePe({coloured(kRed, std::u16string(300, u'N')), coloured(kGreen)});
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    EXPECT_EQ(set->icons()[0].identity.name->text, std::string(kMaxResourceNameLength, 'N'));
    ASSERT_EQ(set->notes().size(), 1u);
    EXPECT_EQ(set->notes()[0].cap, Cap::NameLength);
    EXPECT_EQ(set->notes()[0].message(),
              "stopped at a limit: resource names are cut to 256 characters");
    EXPECT_EQ(centre(iconAtSize(*set, 1, 32)), kGreen);
}

TEST(NeGroups, NamesAreLengthPrefixedBytesOfTheCodePage) {
    const Bytes file =
        makeNe({coloured(kRed, u"\u00E9cran"), coloured(kGreen, u"X"), coloured(kBlue)});
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    ASSERT_EQ(set->iconCount(), 3);
    EXPECT_EQ(set->icons()[0].identity.name->display(),
              "\xC3\xA9"
              "cran");
    EXPECT_EQ(set->icons()[1].identity.name->display(), "X");
    EXPECT_TRUE(set->icons()[2].identity.name->numeric);
    EXPECT_EQ(set->icons()[2].identity.name->id, 1u);
    EXPECT_EQ(centre(iconAtSize(*set, 0, 32)), kRed);
}

TEST(PeGroups, GroupWithoutTheRequestedSizeIsResampled) {
    Icon picture = alphaPatternIcon(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 128; ++x) {
            picture.color[std::size_t(y) * 256 + x] = 0;
            picture.mask[std::size_t(y) * 256 + x] = 1;
        }
    const Bytes file = makePe({{{pngImage(picture)}, {}, {}}});
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    const Result<Icon> icon = iconAtSize(*set, 0, 32);
    ASSERT_TRUE(icon) << why(icon);
    ASSERT_EQ(icon->width, 32);
    EXPECT_TRUE(icon->hasAlpha);
    EXPECT_TRUE(icon->maskBit(15, 5));  // the transparent left half survives
    EXPECT_EQ(icon->pixel(15, 5) >> 24, 0u);
    EXPECT_FALSE(icon->maskBit(16, 5));
    EXPECT_NE(icon->pixel(16, 5) >> 24, 0u);
}

TEST(NeGroups, AlignmentShiftIsApplied) {
    for (int shift : {0, 1, 4, 9}) {
        const Bytes file = makeNe({coloured(kRed), coloured(kBlue)}, shift);
        auto set = readSet(file);
        ASSERT_TRUE(set) << shift;
        ASSERT_EQ(set->iconCount(), 2) << shift;
        EXPECT_EQ(centre(iconAtSize(*set, 1, 32)), kBlue) << shift;
    }
}

// Resources padded to their alignment hold their images whole: the bytes of an
// image are those its header sizes (a DIB) or its group states (a PNG).
TEST(NeGroups, ImagesAreTheirOwnBytesWithoutThePadding) {
    const std::vector<IconImage> images = {
        dibImage(patternIcon(32, 32, 16), 4), dibImage(patternIcon(17, 17, 200), 8),
        dibImage(alphaPatternIcon(24, 24), 32, {.bitfields = true}),
        pngImage(alphaPatternIcon(20, 20))};
    std::vector<CursorImage> cursors;
    for (const IconImage& image : images) cursors.push_back({image, 1, 2});
    for (int shift : {4, 9}) {
        const Bytes file = makeNe({{images, {}, {}}}, {{cursors, {}}}, shift);  // outlives the set
        auto set = readSet(file);
        ASSERT_TRUE(set) << shift;
        for (ResourceKind kind : {ResourceKind::Icon, ResourceKind::Cursor}) {
            const IconGroup& group = set->load(kind, 0);
            ASSERT_EQ(group.images.size(), images.size());
            for (std::size_t i = 0; i < images.size(); ++i)
                EXPECT_EQ(Bytes(group.images[i].data.begin(), group.images[i].data.end()),
                          images[i].data)
                    << shift << " " << i;
        }
    }
}

// ---- Icon and cursor files, and recognising files ----------------------------

TEST(IconFiles, AreOneIconAtPositionZeroWhateverTheirName) {
    const Bytes ico =
        makeIco({dibImage(solidIcon(16, 16, kGreen), 4), dibImage(solidIcon(32, 32, kRed), 8)});
    TempDir dir;
    const auto path = dir.write("misnamed.exe", ico);
    auto set = IconSet::open(path);
    ASSERT_TRUE(set) << why(set);
    EXPECT_EQ(set->container(), IconContainer::IconFile);
    ASSERT_EQ(set->iconCount(), 1);
    const GroupIdentity& id = set->icons()[0].identity;
    EXPECT_EQ(id.position, 0);
    EXPECT_FALSE(id.name);
    EXPECT_FALSE(id.language);
    EXPECT_EQ(centre(iconAtSize(*set, 0, 32)), kRed);
    EXPECT_EQ(centre(iconAtSize(*set, 0, 16)), kGreen);
    EXPECT_EQ(iconAtSize(*set, 1, 32).failure().fault, Fault::NoSuchIcon);
}

TEST(IconFiles, CursorFilesAreOneCursorWithTheHotspotsOfTheirEntries) {
    const IconImage mono = dibImage(patternIcon(32, 32, 2), 1);
    const IconImage png = pngImage(alphaPatternIcon(64, 64));
    const Bytes cur = makeCur({{mono, 3, 30}, {png, 63, 0}});
    auto set = readSet(cur);
    ASSERT_TRUE(set) << why(set);
    EXPECT_EQ(set->container(), IconContainer::CursorFile);
    EXPECT_TRUE(set->icons().empty());
    ASSERT_EQ(set->cursors().size(), 1u);
    const IconGroup& group = set->load(ResourceKind::Cursor, 0);
    EXPECT_EQ(group.identity.kind, ResourceKind::Cursor);
    ASSERT_EQ(group.images.size(), 2u);
    EXPECT_EQ(group.images[0].hotspotX, 3);
    EXPECT_EQ(group.images[0].hotspotY, 30);
    EXPECT_EQ(group.images[1].hotspotX, 63);
    EXPECT_EQ(group.images[1].hotspotY, 0);
    for (const StoredImage& image : group.images) {
        // The fields that held the hotspot read as an icon's would.
        EXPECT_EQ(image.entry.planes, 1);
        EXPECT_EQ(image.entry.bitCount, 0);
    }
    EXPECT_EQ(group.images[0].depth, 1);  // from the image's own header
    EXPECT_EQ(group.images[1].depth, 32);
    EXPECT_EQ(bytesOf(group.images[0]), mono.data);
    EXPECT_EQ(bytesOf(group.images[1]), png.data);
}

TEST(IconFiles, FilesAreRecognisedByTheirBytes) {
    TempDir dir;
    const auto cpl = dir.write("applet.cpl", makePe({coloured(kRed)}));
    const auto noName = dir.write("noextension", makeNe({coloured(kBlue)}));
    auto fromCpl = IconSet::open(cpl);
    auto fromNoName = IconSet::open(noName);
    ASSERT_TRUE(fromCpl) << why(fromCpl);
    ASSERT_TRUE(fromNoName) << why(fromNoName);
    EXPECT_EQ(centre(iconAtSize(*fromCpl, 0, 32)), kRed);
    EXPECT_EQ(centre(iconAtSize(*fromNoName, 0, 32)), kBlue);

    struct Case {
        const char* name;
        std::filesystem::path path;
        Fault fault;
        const char* message;
    };
    Bytes mzOnly(0x80, 0);
    mzOnly[0] = 'M', mzOnly[1] = 'Z';
    put32(mzOnly, 0x3C, 0x40);
    const std::vector<Case> cases = {
        {"text", dir.write("readme.exe", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}),
         Fault::NotIconContainer, "not a Windows program, library, icon or cursor file"},
        {"MZ header alone", dir.write("dos.exe", mzOnly), Fault::NotIconContainer,
         "not a Windows program, library, icon or cursor file"},
        {"empty file", dir.write("empty.dll", Bytes{}), Fault::NotIconContainer,
         "not a Windows program, library, icon or cursor file"},
        {"missing", dir.path() / "missing.dll", Fault::CannotOpen,
         "cannot open: No such file or directory"},
        {"folder", dir.path(), Fault::NotRegularFile, "not a regular file"},
    };
    for (const Case& c : cases) {
        auto set = IconSet::open(c.path);
        ASSERT_FALSE(set) << c.name;
        EXPECT_EQ(set.failure().fault, c.fault) << c.name;
        EXPECT_EQ(set.failure().message(), c.message) << c.name;
    }
}

// The depth of an image: the entry's bit count, or, when that is 0, what the
// image's own header says; the colour count only when the header cannot tell.
TEST(ImageDepth, ComesFromTheImagesOwnHeaderWhenTheEntrySaysNone) {
    struct Case {
        const char* name;
        IconImage image;
        int depth;
    };
    auto withEntry = [](IconImage image, int colours, int planes, int bits) {
        image.colorCount = std::uint8_t(colours);
        image.planes = std::uint16_t(planes);
        image.bitCount = std::uint16_t(bits);
        return image;
    };
    IconImage rgbPng = pngImage(patternIcon(24, 24));
    rgbPng.data[25] = 2;  // IHDR colour type: RGB, 8 bits a sample
    IconImage shortDib;
    shortDib.data = Bytes(20, 0);
    shortDib.width = shortDib.height = 16;
    const std::vector<Case> cases = {
        {"256 colours, entry: 8 colours, 0 planes, 0 bits",
         withEntry(dibImage(patternIcon(16, 16, 200), 8), 8, 0, 0), 8},
        {"16 colours, entry: 0 bits", withEntry(dibImage(patternIcon(16, 16, 16), 4), 0, 1, 0), 4},
        {"PNG of RGBA, entry: 0 bits", withEntry(pngImage(patternIcon(20, 20)), 0, 1, 0), 32},
        {"PNG of RGB, entry: 0 bits", withEntry(rgbPng, 0, 1, 0), 24},
        {"the entry's bit count wins", withEntry(dibImage(patternIcon(16, 16, 200), 8), 0, 1, 4),
         4},
        {"a header too short to tell: the colour count", withEntry(shortDib, 16, 1, 0), 4},
    };
    for (const Case& c : cases) {
        const Bytes ico = makeIco({c.image});
        const Bytes pe = makePe({{{c.image}, {}, {}}});
        for (const Bytes* file : {&ico, &pe}) {
            auto set = readSet(*file);
            ASSERT_TRUE(set) << c.name;
            ASSERT_EQ(set->icons()[0].images.size(), 1u) << c.name;
            EXPECT_EQ(set->icons()[0].images[0].depth, c.depth)
                << c.name << (file == &ico ? " (icon file)" : " (PE)");
            EXPECT_EQ(set->imageBytesRead(), 0u) << c.name;  // the depth reads no image
        }
    }
}

// ---- What cannot be read, and why --------------------------------------------

enum class Place { Open, Note, Group, Image };

struct ReasonCase {
    const char* name;
    Bytes bytes;
    Place place;
    Fault fault;
    std::string says;  // a part of the failure's message
    Cap cap = Cap::None;
};

std::vector<ReasonCase> reasonCases() {
    const IconImage a = dibImage(patternIcon(16, 16, 16), 4);
    const IconImage b = dibImage(patternIcon(32, 32), 32);
    const Bytes ico = makeIco({a, b});
    const Bytes pe = makePe({coloured(kRed)});
    auto patched = [](Bytes bytes, std::size_t at, std::uint32_t value, bool wide = true) {
        wide ? put32(bytes, at, value) : put16(bytes, at, std::uint16_t(value));
        return bytes;
    };
    auto cut = [](const Bytes& bytes, std::size_t length) {
        return Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
    };
    // A section that claims more than the file holds, and the image placed past the end.
    Bytes pastEnd = patched(patched(pe, kPe32Sections + 8, 0x100000), kPe32Sections + 16, 0x100000);
    put32(pastEnd, dataEntryOf(pastEnd, kRtIcon, 0), kResourceRva + 0x80000);
    // A group directory that names image 0x4444.
    Bytes missing = pe;
    const std::size_t groupData =
        get32(pe, dataEntryOf(pe, kRtGroupIcon, 0)) - kResourceRva + kResourceFileOffset;
    put16(missing, groupData + 6 + 12, 0x4444);
    Bytes emptyLanguages = pe;
    {
        const std::size_t typeDir = typeDirectoryOf(pe, kRtGroupIcon);
        const std::size_t langDir =
            kResourceFileOffset + (get32(pe, typeDir + 16 + 4) & 0x7FFFFFFFu);
        put16(emptyLanguages, langDir + 14, 0);
    }
    const Bytes withCursor = makePe({}, {{{{a, 1, 1}}, {}}});
    const Bytes ne = makeNe({coloured(kRed)}, 4);
    return {
        {"not a container", Bytes{'h', 'e', 'l', 'l', 'o'}, Place::Open, Fault::NotIconContainer,
         "not a Windows program"},
        {"icon file header cut off", Bytes{0, 0, 1, 0, 2}, Place::Open, Fault::CutOff,
         "icon file header cut off at byte 0x0"},
        {"icon directory cut off", cut(ico, 6 + 16 + 4), Place::Open, Fault::CutOff,
         "icon directory cut off at byte 0x6"},
        {"cursor directory cut off", patched(cut(ico, 6 + 16 + 4), 2, 2, false), Place::Open,
         Fault::CutOff, "cursor directory cut off at byte 0x6"},
        {"an icon file of no image", makeIco({}), Place::Note, Fault::NoImage,
         "the file's directory states no image"},
        {"image data past the end", patched(ico, 6 + 16 + 12, std::uint32_t(ico.size()) - 10),
         Place::Image, Fault::CutOff, "image data cut off at byte 0x"},
        {"image size 0", patched(ico, 6 + 8, 0), Place::Image, Fault::BadValue,
         "image size 0 is not valid"},
        {"image of 4 GB", patched(ico, 6 + 8, 0xFFFFFFFFu), Place::Image, Fault::CapReached,
         "stopped at a limit: 64 MB of one image", Cap::ResourceBytes},
        {"a group names an id the file lacks", missing, Place::Image, Fault::MissingImage,
         "image resource 17476 is not in the file"},
        {"resource data past the end", pastEnd, Place::Image, Fault::CutOff,
         "resource data cut off at byte 0x80400"},
        {"resource of 0 bytes", patched(pe, dataEntryOf(pe, kRtIcon, 0) + 4, 0), Place::Image,
         Fault::BadValue, "image size 0"},
        {"cursor resource of its hotspot alone",
         patched(withCursor, dataEntryOf(withCursor, kRtCursor, 0) + 4, 4), Place::Image,
         Fault::BadValue, "image size 0"},
        {"resource of 4 GB", patched(pe, dataEntryOf(pe, kRtIcon, 0) + 4, 0xFFFFFFFFu),
         Place::Image, Fault::CapReached, "64 MB of one resource", Cap::ResourceBytes},
        {"resource outside every section", patched(pe, dataEntryOf(pe, kRtIcon, 0), 0x90000000u),
         Place::Image, Fault::BadValue, "resource address is not valid"},
        {"group directory shorter than its header",
         patched(pe, dataEntryOf(pe, kRtGroupIcon, 0) + 4, 4), Place::Group, Fault::CutOff,
         "group directory cut off"},
        {"empty language directory", emptyLanguages, Place::Group, Fault::BadValue,
         "empty language directory"},
        {"group directory past the end", cut(pe, groupData + 3), Place::Group, Fault::CutOff,
         "resource data cut off"},
        {"type directory claims more than the file holds",
         patched(pe, typeDirectoryOf(pe, kRtGroupIcon) + 14, 0xFFFF, false), Place::Note,
         Fault::CutOff, "icon group directory cut off"},
        {"resource directory outside every section", patched(pe, 0x80 + 24 + 96 + 16, 0x90000000u),
         Place::Note, Fault::BadValue, "resource directory address"},
        {"unknown optional header", patched(pe, 0x80 + 24, 0x1234, false), Place::Note,
         Fault::BadValue, "PE optional header kind"},
        {"cursor resource shorter than its hotspot",
         patched(withCursor, dataEntryOf(withCursor, kRtCursor, 0) + 4, 2), Place::Image,
         Fault::CutOff, "cursor hotspot cut off"},
        {"NE resource table cut off", patched(ne, 0x84, 0xFFFF, false), Place::Note, Fault::CutOff,
         "resource table cut off"},
        {"NE alignment of 2^60", patched(ne, 0x80, 60, false), Place::Note, Fault::BadValue,
         "resource alignment is not valid"},
        {"65,536 images in one file", makeSharedGroupPe(300, 256), Place::Group, Fault::CapReached,
         "stopped at a limit: 65536 images read of one file's groups", Cap::ImagesPerFile},
    };
}

std::optional<Failure> firstFailure(IconSet& set, Place place) {
    if (place == Place::Note)
        return set.notes().empty() ? std::nullopt : std::optional(set.notes().front());
    for (ResourceKind kind : {ResourceKind::Icon, ResourceKind::Cursor}) {
        set.loadAll(kind);
        for (const IconGroup& group : set.groups(kind)) {
            if (place == Place::Group && group.failure) return group.failure;
            if (place == Place::Image)
                for (const StoredImage& image : group.images)
                    if (image.failure) return image.failure;
        }
    }
    return std::nullopt;
}

void expectReason(const ReasonCase& c) {
    SCOPED_TRACE(c.name);
    auto set = readSet(c.bytes);
    std::optional<Failure> found;
    if (c.place == Place::Open) {
        ASSERT_FALSE(set);
        found = set.failure();
    } else {
        ASSERT_TRUE(set) << why(set);
        found = firstFailure(*set, c.place);
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(found->fault, c.fault);
    EXPECT_EQ(found->cap, c.cap);
    EXPECT_TRUE(contains(found->message(), c.says)) << found->message();
}

TEST(Reasons, WhatCannotBeReadSaysWhyAndNamesTheStructure) {
    for (const ReasonCase& c : reasonCases()) expectReason(c);
}

// Whatever part of a file is missing, reading what is left never faults, and
// every image either has its bytes or says why not.
TEST(Reasons, EveryTruncationGivesFewerIconsAndReasons) {
    const std::vector<IconGroupSpec> groups = {coloured(kRed, u"NAMED"), coloured(kGreen)};
    const std::vector<CursorGroupSpec> cursors = {
        {{{dibImage(patternIcon(32, 32, 2), 1), 1, 2}}, {}}};
    for (const Bytes& full :
         {makePe(groups, cursors), makePe(groups, cursors, PeKind::Pe32Plus),
          makeNe(groups, cursors, 4), makeIco({dibImage(patternIcon(32, 32, 16), 4)}),
          makeCur({{dibImage(patternIcon(32, 32, 2), 1), 4, 4}})}) {
        for (std::size_t length = 0; length < full.size(); length += 7) {
            const Bytes cut(full.begin(), full.begin() + std::ptrdiff_t(length));
            auto set = readSet(cut);
            if (!set) {
                EXPECT_FALSE(set.failure().message().empty());
                continue;
            }
            ASSERT_LE(set->iconCount(), 2);
            ASSERT_LE(set->cursors().size(), 1u);
            for (ResourceKind kind : {ResourceKind::Icon, ResourceKind::Cursor}) {
                set->loadAll(kind);
                for (const IconGroup& group : set->groups(kind)) {
                    if (group.failure) {
                        EXPECT_FALSE(group.failure->message().empty());
                    }
                    for (const StoredImage& image : group.images)
                        EXPECT_NE(image.loaded(), image.failure.has_value()) << length;
                    (void)chosenImage(group, 32, SizePolicy::LikeWindows);
                }
            }
        }
    }
}

TEST(Reasons, ResourceDirectoryPointingBackAtItselfEnds) {
    Bytes section = makeResourceSection({coloured(kRed), coloured(kGreen)});
    // Root entry 1 (RT_GROUP_ICON) leads to the group directory; make its first
    // name entry lead back to the root and the second to the group directory itself.
    const std::uint32_t groupDir = get32(section, 16 + 8 + 4) & 0x7FFFFFFF;
    put32(section, groupDir + 16 + 4, 0x80000000u);
    put32(section, groupDir + 16 + 8 + 4, 0x80000000u | groupDir);
    const Bytes file = wrapPe(section);
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    ASSERT_EQ(set->iconCount(), 2);  // still two entries, neither readable
    for (int i = 0; i < 2; ++i) {
        const IconGroup& group = set->icons()[std::size_t(i)];
        ASSERT_TRUE(group.failure) << i;
        EXPECT_EQ(group.failure->fault, Fault::BadValue) << i;
        EXPECT_TRUE(group.images.empty());
        const Result<Icon> icon = iconAtSize(*set, i, 32);
        ASSERT_FALSE(icon) << i;
        EXPECT_EQ(icon.failure().fault, Fault::BadValue) << i;
    }
}

// Fields of the headers set to what no loader takes: some leave nothing to read,
// others are read as far as the file goes.
TEST(Reasons, HostileHeaderFields) {
    const Bytes pe = makePe({coloured(kRed)});
    auto patch32 = [&](std::size_t at, std::uint32_t v) {
        Bytes b = pe;
        put32(b, at, v);
        return b;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        bool readable;
    };
    const std::vector<Case> cases = {
        {"header offset past end", patch32(0x3C, 0xFFFFFFF0u), false},
        {"resource RVA outside sections", patch32(0x80 + 24 + 96 + 16, 0x90000000u), false},
        {"section raw offset past end", patch32(kPe32Sections + 20, 0x7FFFFFF0u), false},
        {"unknown optional header", patch32(0x80 + 24, 0x1234), false},
        {"sections count huge", patch32(0x80 + 4, 0xFFFF014C), true},
        {"root directory claims 2 x 65535 entries", patch32(kResourceFileOffset + 12, 0xFFFFFFFFu),
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto set = readSet(c.bytes);
        if (!set) {
            EXPECT_FALSE(c.readable);
            EXPECT_EQ(set.failure().fault, Fault::NotIconContainer);
            continue;
        }
        EXPECT_LE(set->iconCount(), 1);
        const Result<Icon> icon = iconAtSize(*set, 0, 32);
        EXPECT_EQ(bool(icon), c.readable);
        if (c.readable) {
            EXPECT_EQ(centre(icon), kRed);
        } else {
            EXPECT_EQ(set->iconCount(), 0);
            EXPECT_FALSE(set->notes().empty());  // why there is nothing
        }
    }
}

// A section table of 65,535 entries in front of a resource directory of 131,070
// icon groups: every group is looked up through the sections, so reading the
// whole table for each one took tens of seconds to list one file. Only the first
// 96 entries of a section table are taken, as the loader does.
TEST(Reasons, HugeSectionTableDoesNotMultiplyTheWork) {
    constexpr std::uint32_t kSections = 0xFFFF, kEntries = 2 * 0xFFFF;
    constexpr std::uint32_t kRsrcRva = 0x20000000;
    const std::size_t pe = 0x40, opt = pe + 24, optionalSize = 224;
    const std::size_t sections = opt + optionalSize;
    const std::size_t rsrc = (sections + std::size_t(kSections) * 40 + 0xFFF) & ~std::size_t(0xFFF);
    const std::uint32_t typeDir = 24, dataEntry = typeDir + 16 + kEntries * 8;
    const std::uint32_t rsrcSize = dataEntry + 32;
    Bytes file(rsrc + rsrcSize, 0);
    file[0] = 'M', file[1] = 'Z';
    put32(file, 0x3C, pe);
    file[pe] = 'P', file[pe + 1] = 'E';
    put16(file, pe + 4, 0x14C);
    put16(file, pe + 6, kSections);
    put16(file, pe + 20, optionalSize);
    put16(file, opt, 0x10B);
    put32(file, opt + 92, 16);
    put32(file, opt + 96 + 16, kRsrcRva);
    put32(file, opt + 96 + 20, rsrcSize);
    // The last section holds the resources; all before it are tiny and elsewhere.
    for (std::uint32_t i = 0; i < kSections; ++i) {
        const std::size_t s = sections + std::size_t(i) * 40;
        const bool resources = i == kSections - 1;
        put32(file, s + 8, resources ? rsrcSize : 0x10);
        put32(file, s + 12, resources ? kRsrcRva : 0x1000 * (i + 1));
        put32(file, s + 16, resources ? rsrcSize : 0);
        put32(file, s + 20, resources ? std::uint32_t(rsrc) : 0);
    }
    // Root: one entry, RT_GROUP_ICON, whose directory lists every entry at one data entry.
    put16(file, rsrc + 14, 1);
    put32(file, rsrc + 16, 14);
    put32(file, rsrc + 20, 0x80000000u | typeDir);
    put16(file, rsrc + typeDir + 12, 0xFFFF);
    put16(file, rsrc + typeDir + 14, 0xFFFF);
    for (std::uint32_t i = 0; i < kEntries; ++i) {
        put32(file, rsrc + typeDir + 16 + i * 8, i < 0xFFFF ? 0x80000000u : i - 0xFFFF + 1);
        put32(file, rsrc + typeDir + 20 + i * 8, dataEntry);
    }
    put32(file, rsrc + dataEntry, kRsrcRva + dataEntry + 16);
    put32(file, rsrc + dataEntry + 4, 16);

    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    set->loadAll();
    EXPECT_EQ(set->container(), IconContainer::Pe);
    EXPECT_EQ(set->iconCount(), 0);  // the resources lie in section 65,535
    ASSERT_FALSE(set->notes().empty());
    EXPECT_EQ(set->notes()[0].message(), "resource directory address is not valid");
}

// 131,070 icon groups and as many RT_ICON entries in a file of 3 MB, every group
// naming the one real image. The directories are read once, at open; the groups
// past the 65,536 images one file may name say so instead of being read.
TEST(Reasons, ManyGroupsAreReadOnceUpToTheImageCap) {
    constexpr std::uint32_t kEntries = 2 * 0xFFFF;
    const Bytes image = dibImage(solidIcon(32, 32, 0xFF3060A0), 32).data;
    const std::uint32_t root = 0, iconDir = 32, groupDir = iconDir + 16 + kEntries * 8;
    const std::uint32_t iconData = groupDir + 16 + kEntries * 8, groupData = iconData + 16;
    const std::uint32_t group = groupData + 16, pixels = group + 6 + 14 + 2;
    Bytes section(pixels + image.size(), 0);
    put16(section, root + 14, 2);
    put32(section, root + 16, 3);
    put32(section, root + 20, 0x80000000u | iconDir);
    put32(section, root + 24, 14);
    put32(section, root + 28, 0x80000000u | groupDir);
    for (std::uint32_t dir : {iconDir, groupDir}) {
        put16(section, dir + 12, 0xFFFF);
        put16(section, dir + 14, 0xFFFF);
        for (std::uint32_t i = 0; i < kEntries; ++i) {
            // Named entries first, then ids 1, 2, ...; each image entry leads to the
            // one image and each group entry to the one group, which names image 1.
            put32(section, dir + 16 + i * 8, i < 0xFFFF ? 0x80000000u : i - 0xFFFF + 1);
            put32(section, dir + 20 + i * 8, dir == groupDir ? groupData : iconData);
        }
    }
    put32(section, iconData, kResourceRva + pixels);
    put32(section, iconData + 4, std::uint32_t(image.size()));
    put32(section, groupData, kResourceRva + group);
    put32(section, groupData + 4, 6 + 14);
    put16(section, group + 2, 1);
    put16(section, group + 4, 1);
    section[group + 6] = 32, section[group + 7] = 32;
    put16(section, group + 6 + 4, 1);
    put16(section, group + 6 + 6, 32);
    put32(section, group + 6 + 8, std::uint32_t(image.size()));
    put16(section, group + 6 + 12, 1);
    std::copy(image.begin(), image.end(), section.begin() + pixels);
    const Bytes file = wrapPe(section);

    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    ASSERT_EQ(set->iconCount(), int(kEntries));
    for (int index : {0, 1, 65534, 65535})
        EXPECT_EQ(centre(iconAtSize(*set, index, 32)), 0xFF3060A0u) << index;
    for (int index : {65536, 100000, int(kEntries) - 1}) {
        const Result<Icon> icon = iconAtSize(*set, index, 32);
        ASSERT_FALSE(icon) << index;
        EXPECT_EQ(icon.failure().cap, Cap::ImagesPerFile) << index;
    }
    set->loadAll();
    EXPECT_EQ(set->imageBytesRead(), image.size());
    EXPECT_EQ(set->notes().size(), 1u);
}

// ---- Caps ----------------------------------------------------------------------

TEST(Caps, AGroupKeepsItsFirst256ImagesAndItsStatedCount) {
    const Bytes file = makeSharedGroupPe(2, 300);
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    ASSERT_EQ(set->iconCount(), 2);
    for (const IconGroup& group : set->icons()) {
        EXPECT_EQ(group.statedCount, 300);
        EXPECT_EQ(group.images.size(), std::size_t(kMaxImagesPerIcon));
        EXPECT_FALSE(group.failure);
    }
    // Said once a file, of the first group that states more.
    ASSERT_EQ(set->notes().size(), 1u);
    EXPECT_EQ(set->notes()[0].cap, Cap::ImagesPerGroup);
    EXPECT_EQ(set->notes()[0].message(),
              "icon 0: stopped at a limit: 256 images of one group (it states 300; the rest are "
              "left out)");
}

// Every group of a file may carry a long name: the text one file makes the reader
// hold is bounded, the groups past it are unnamed, and a note says so once.
TEST(Caps, ResourceNamesStopAtTheirCapWithANote) {
    constexpr int kGroups = 4100;  // 4,096 names of 256 characters fill the cap
    std::vector<IconGroupSpec> groups;
    for (int g = 0; g < kGroups; ++g) {
        std::u16string name(256, u'A' + char16_t(g % 26));
        const std::u16string number = std::u16string(u"0000") + char16_t(u'0' + g % 10);
        name.replace(0, number.size(), number);
        groups.push_back({{}, name, {}});
    }
    auto set = readSet(makePe(groups));
    ASSERT_TRUE(set) << why(set);
    ASSERT_EQ(set->iconCount(), kGroups);
    int named = 0;
    for (const IconGroup& group : set->icons()) {
        if (!group.identity.name) continue;
        ++named;
        EXPECT_EQ(group.identity.name->text.size(), 256u);
    }
    EXPECT_EQ(named, 4096);
    EXPECT_FALSE(set->icons().back().identity.name);
    int capNotes = 0;
    for (const Failure& note : set->notes()) capNotes += note.cap == Cap::NameCharacters;
    EXPECT_EQ(capNotes, 1);
}

// A group whose directory, or whose image, is a resource past the cap of one
// resource is left out with that reason; the groups after it are read. Only the
// images cap of the file stops the file.
TEST(Caps, AGroupPastACapOfItsOwnHidesNoOtherGroup) {
    const Bytes pe = makePe({coloured(kRed), coloured(kGreen), coloured(kBlue), coloured(kYellow)});
    for (const std::uint32_t type : {std::uint32_t(kRtGroupIcon), std::uint32_t(kRtIcon)}) {
        SCOPED_TRACE(type);
        Bytes file = pe;
        put32(file, dataEntryOf(file, type, 1) + 4, 80u << 20);  // 80 MB, inside no file
        auto set = readSet(file);
        ASSERT_TRUE(set) << why(set);
        ASSERT_EQ(set->iconCount(), 4);
        const std::uint32_t colours[] = {kRed, kGreen, kBlue, kYellow};
        for (int i : {0, 2, 3}) EXPECT_EQ(centre(iconAtSize(*set, i, 32)), colours[i]) << i;
        const Result<Icon> lost = iconAtSize(*set, 1, 32);
        ASSERT_FALSE(lost);
        EXPECT_EQ(lost.failure().cap, Cap::ResourceBytes);
        EXPECT_NE(lost.failure().message().find("stopped at a limit: 64 MB of one resource"),
                  std::string::npos)
            << lost.failure().message();
        EXPECT_FALSE(set->icons()[1].pastImagesCap());
        EXPECT_TRUE(set->notes().empty());
    }
}

TEST(Caps, GroupsPastTheImagesOfOneFileSayTheCapOnce) {
    // 300 groups of 256 images: the first 256 groups name 65,536 images.
    const Bytes file = makeSharedGroupPe(300, 256);
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    ASSERT_EQ(set->iconCount(), 300);
    EXPECT_FALSE(set->icons()[255].failure);
    EXPECT_EQ(set->icons()[255].images.size(), 256u);
    for (std::size_t g = 256; g < 300; ++g) {
        ASSERT_TRUE(set->icons()[g].failure) << g;
        EXPECT_EQ(set->icons()[g].failure->cap, Cap::ImagesPerFile);
        EXPECT_TRUE(set->icons()[g].pastImagesCap());
        EXPECT_TRUE(set->icons()[g].images.empty());
    }
    EXPECT_FALSE(set->icons()[255].pastImagesCap());
    ASSERT_EQ(set->notes().size(), 1u);
    EXPECT_EQ(set->notes()[0].cap, Cap::ImagesPerFile);
}

// ---- Loading ------------------------------------------------------------------

TEST(Loading, AnImageNamedManyTimesIsReadOnce) {
    const Bytes file = makeSharedGroupPe(3, 200);
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    const IconGroup& group = set->load(ResourceKind::Icon, 0);
    ASSERT_EQ(group.images.size(), 200u);
    const std::uint64_t one = group.images[0].length;
    EXPECT_EQ(set->imageBytesRead(), one);
    for (const StoredImage& image : group.images) {
        ASSERT_TRUE(image.loaded());
        EXPECT_EQ(image.data.data(), group.images[0].data.data());
    }
    set->loadAll();  // the other groups name the same image
    EXPECT_EQ(set->imageBytesRead(), one);
    EXPECT_EQ(centre(iconAtSize(*set, 2, 32)), 0xFF3060A0u);
}

TEST(Loading, ReleasedImagesAreLetGoAndReadAgainWhole) {
    const IconImage a = dibImage(patternIcon(16, 16, 16), 4);
    const IconImage b = pngImage(alphaPatternIcon(48, 48));
    const Bytes pe = makePe({{{a}, {}, {}}, {{b}, {}, {}}});
    auto set = readSet(pe);
    ASSERT_TRUE(set) << why(set);
    set->loadAll();
    const std::uint64_t both = set->imageBytesHeld();
    EXPECT_GE(both, a.data.size() + b.data.size());
    std::weak_ptr<const std::vector<std::uint8_t>> held = set->icons()[1].images[0].storage;

    set->releaseImages();
    EXPECT_EQ(set->imageBytesHeld(), 0u);
    EXPECT_TRUE(held.expired());  // nothing of the set keeps the bytes alive
    for (const IconGroup& group : set->icons()) {
        EXPECT_FALSE(group.images[0].loaded());
        EXPECT_TRUE(group.images[0].data.empty());
        EXPECT_FALSE(group.images[0].failure);
    }
    // Read again when next loaded, one group at a time.
    const IconGroup& second = set->load(ResourceKind::Icon, 1);
    EXPECT_EQ(bytesOf(second.images[0]), b.data);
    EXPECT_FALSE(set->icons()[0].images[0].loaded());
    EXPECT_EQ(set->imageBytesRead(), both + set->imageBytesHeld());
}

TEST(Loading, ImagesThatLieTogetherAreReadInOneRead) {
    const IconImage a = dibImage(patternIcon(16, 16, 16), 4);
    const IconImage b = dibImage(patternIcon(32, 32), 32);
    const IconImage c = pngImage(alphaPatternIcon(48, 48));
    const Bytes pe = makePe({{{a, b, c}, {}, {}}});
    auto set = readSet(pe);
    ASSERT_TRUE(set) << why(set);
    const IconGroup& group = set->load(ResourceKind::Icon, 0);
    const std::uint64_t sum = a.data.size() + b.data.size() + c.data.size();
    EXPECT_GE(set->imageBytesRead(), sum);
    EXPECT_LE(set->imageBytesRead(), sum + 2 * 7);  // and the padding between them
    ASSERT_TRUE(group.images[0].loaded());
    for (const StoredImage& image : group.images)
        EXPECT_EQ(image.storage, group.images[0].storage);  // one range read
    EXPECT_EQ(bytesOf(group.images[0]), a.data);
    EXPECT_EQ(bytesOf(group.images[1]), b.data);
    EXPECT_EQ(bytesOf(group.images[2]), c.data);

    // 100 bytes apart, two images are two reads, and the gap is not read.
    Bytes apart = makeIco({a, b});
    apart.insert(apart.begin() + std::ptrdiff_t(6 + 32 + a.data.size()), 100, 0xEE);
    put32(apart, 6 + 16 + 12, get32(apart, 6 + 16 + 12) + 100);
    auto two = readSet(apart);
    ASSERT_TRUE(two) << why(two);
    const IconGroup& icon = two->load(ResourceKind::Icon, 0);
    EXPECT_NE(icon.images[0].storage, icon.images[1].storage);
    EXPECT_EQ(two->imageBytesRead(), a.data.size() + b.data.size());
    EXPECT_EQ(bytesOf(icon.images[1]), b.data);
}

// Groups in a language none of their images is stored in take each image in its
// first language; the one of a group's own language where there is one.
TEST(Loading, ImagesInTheGroupsLanguageElseTheirFirst) {
    const Bytes file = makeManyLanguagesPe(300, 3, 4);
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    ASSERT_EQ(set->iconCount(), 3);
    for (int g = 0; g < 3; ++g) {
        const IconGroup& group = set->load(ResourceKind::Icon, g);
        ASSERT_EQ(group.images.size(), 4u);
        for (const StoredImage& image : group.images) {
            const Result<Icon> icon = decodeStoredImage(image);
            ASSERT_TRUE(icon) << why(icon);
            EXPECT_EQ(icon->pixel(0, 0), 0xFF3060A0u);
        }
    }
}

TEST(Loading, OneImageAloneAndImagesSharedBetweenGroupsOnce) {
    // Three groups each naming ids 8, 7, 6 and 5 of eight.
    const Bytes file = makeManyIdsPe(8, 3, 4);
    auto alone = readSet(file);
    ASSERT_TRUE(alone) << why(alone);
    const std::uint64_t one = alone->icons()[0].images[0].length;
    const IconGroup& first = alone->load(ResourceKind::Icon, 0, 2);
    EXPECT_EQ(alone->imageBytesRead(), one);
    EXPECT_TRUE(first.images[2].loaded());
    EXPECT_FALSE(first.images[0].loaded());
    EXPECT_FALSE(first.images[0].failure);

    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    for (int g = 0; g < 3; ++g) set->load(ResourceKind::Icon, g);
    EXPECT_EQ(set->imageBytesRead(), 4 * one);
    for (const IconGroup& group : set->icons())
        for (std::size_t k = 0; k < 4; ++k) {
            const Result<Icon> icon = decodeStoredImage(group.images[k]);
            ASSERT_TRUE(icon) << why(icon);
            EXPECT_EQ(icon->pixel(0, 0), manyIdsColour(std::uint16_t(8 - k)));
        }
}

// Images whose ranges overlap, loaded in two steps: every image of the second
// step gets its bytes even where an earlier range starts inside the new one.
TEST(Loading, OverlappingRangesLoadedInStepsAllGetTheirBytes) {
    Bytes file(1300);
    for (std::size_t i = 0; i < file.size(); ++i) file[i] = std::uint8_t(i * 7 + i / 256);
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges = {
        {1000, 100}, {900, 150}, {1050, 150}, {1210, 40}};
    put16(file, 0, 0);
    put16(file, 2, 1);
    put16(file, 4, std::uint16_t(ranges.size()));
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const std::size_t e = 6 + 16 * i;
        file[e] = file[e + 1] = 16;
        file[e + 2] = file[e + 3] = 0;
        put16(file, e + 4, 1);
        put16(file, e + 6, 32);
        put32(file, e + 8, ranges[i].second);
        put32(file, e + 12, ranges[i].first);
    }
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    set->load(ResourceKind::Icon, 0, 0);
    const IconGroup& group = set->load(ResourceKind::Icon, 0);
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const StoredImage& image = group.images[i];
        ASSERT_TRUE(image.loaded()) << i;
        EXPECT_EQ(bytesOf(image), Bytes(file.begin() + ranges[i].first,
                                        file.begin() + ranges[i].first + ranges[i].second))
            << i;
    }
}

// Past 256 MB of image bytes held for one file, the images not read yet say so;
// those read stay. The file is sparse: five images of 64 MB that take no disk.
TEST(Loading, HeldImageBytesStopAtTheirCap) {
    constexpr std::uint32_t kImage = std::uint32_t(kMaxImageBytes);
    constexpr int kImages = 5;
    Bytes header(6 + 16 * kImages, 0);
    put16(header, 2, 1);
    put16(header, 4, kImages);
    const std::uint32_t first = 4096;
    for (int i = 0; i < kImages; ++i) {
        const std::size_t e = 6 + 16 * std::size_t(i);
        put16(header, e + 4, 1);
        put16(header, e + 6, 32);
        put32(header, e + 8, kImage);
        put32(header, e + 12, first + std::uint32_t(i) * kImage);
    }
    TempDir dir;
    const auto path = dir.write("huge.ico", header);
    std::filesystem::resize_file(path, first + std::uint64_t(kImages) * kImage);

    auto set = IconSet::open(path);
    ASSERT_TRUE(set) << why(set);
    set->loadAll();
    const auto& images = set->icons()[0].images;
    ASSERT_EQ(images.size(), std::size_t(kImages));
    EXPECT_EQ(set->imageBytesRead(), kMaxHeldImageBytes);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(images[std::size_t(i)].loaded()) << i;
    ASSERT_TRUE(images[4].failure);
    EXPECT_EQ(images[4].failure->cap, Cap::HeldImageBytes);
    EXPECT_EQ(images[4].failure->message(),
              "stopped at a limit: 256 MB of image data held of one file");
}

TEST(Loading, IsPngReadsEightBytesAndNoImage) {
    const IconImage png = pngImage(patternIcon(32, 32));
    const IconImage dib = dibImage(patternIcon(16, 16, 16), 4);
    Bytes file = makeIco({png, dib, dib});
    put32(file, 6 + 32 + 12, std::uint32_t(file.size()) + 5);  // image 2 past the end
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    const auto& images = set->icons()[0].images;
    EXPECT_EQ(set->isPng(images[0]), true);
    EXPECT_EQ(set->isPng(images[1]), false);
    EXPECT_EQ(set->isPng(images[2]), std::nullopt);
    EXPECT_EQ(set->imageBytesRead(), 0u);
    set->loadAll();
    EXPECT_EQ(set->isPng(set->icons()[0].images[0]), true);
}

// A group's images told apart in one pass: images whose starts lie close are
// looked at through one read, others alone; every answer equals isPng's.
TEST(Loading, PngImagesOfAGroupAnswerAsIsPngDoes) {
    const IconImage png = pngImage(patternIcon(32, 32));
    const IconImage small = dibImage(patternIcon(16, 16, 16), 4);
    const IconImage large = dibImage(alphaPatternIcon(64, 64), 32);  // 16 KB: the next start is far
    Bytes file = makeIco({small, png, large, png, small, small, png});
    put32(file, 6 + 5 * 16 + 12, std::uint32_t(file.size()) + 5);  // image 5 past the end
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    const auto& images = set->icons()[0].images;
    const std::vector<std::optional<bool>> pngs = set->pngImages(ResourceKind::Icon, 0);
    ASSERT_EQ(pngs.size(), images.size());
    const std::vector<std::optional<bool>> expected = {false, true,         false, true,
                                                       false, std::nullopt, true};
    EXPECT_EQ(pngs, expected);
    for (std::size_t i = 0; i < images.size(); ++i) EXPECT_EQ(pngs[i], set->isPng(images[i])) << i;
    EXPECT_EQ(set->imageBytesRead(), 0u);  // no image was loaded for it
}

// A PE whose RT_ICON directory holds 65,535 distinct ids and 256 groups each naming
// the 256 highest: every image is found through one index of the ids, and the
// 256 images the groups share are read once, in one read.
TEST(ManyIds, EveryGroupFindsItsImagesThroughOneIndex) {
    static const Bytes file = makeManyIdsPe(0xFFFF, 256, 256);
    auto set = readSet(file);
    ASSERT_TRUE(set) << why(set);
    set->loadAll();
    EXPECT_TRUE(set->notes().empty());
    ASSERT_EQ(set->iconCount(), 256);

    std::map<std::uint16_t, Bytes> expected;
    for (std::uint16_t id = 0xFFFF - 255; id != 0; ++id)
        expected[id] = dibImage(solidIcon(1, 1, manyIdsColour(id)), 32).data;
    int wrong = 0;
    for (const IconGroup& group : set->icons()) {
        ASSERT_FALSE(group.failure) << group.identity.position;
        ASSERT_EQ(group.images.size(), 256u) << group.identity.position;
        for (std::size_t k = 0; k < 256; ++k) {
            const StoredImage& image = group.images[k];
            const auto id = std::uint16_t(0xFFFF - k);
            if (image.entry.resourceId != id || !image.loaded() || bytesOf(image) != expected[id])
                ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(set->imageBytesRead(), 256 * expected.begin()->second.size());
    EXPECT_EQ(centre(chosenImage(set->icons()[255], 1, SizePolicy::LikeWindows)),
              manyIdsColour(0xFFFF));
}

}  // namespace
}  // namespace pellimar
