// Builders of test files: icon images (BMP-style DIBs of every depth and PNGs),
// .ico files, and PE32 / PE32+ / NE executables holding given icon groups. Each test
// states the file it needs in a few lines, e.g.
//
//   auto ico = makeIco({dibImage(patternIcon(32, 32, 16), 4), pngImage(patternIcon(256, 256))});
//   auto dll = makePe({{{dibImage(patternIcon(32, 32), 32)}}, {{dibImage(patternIcon(16, 16),
//   8)}}}); TempDir dir; auto path = dir.write("lib.dll", dll);
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/icon.h"

namespace pellimar::fixtures {

using Bytes = std::vector<std::uint8_t>;

// ---- Pictures -------------------------------------------------------------

// The colour (0xFFRRGGBB) that patternIcon uses for palette slot k (k < 256).
// Slot 0 is black and slot 1 white; every colour has its low three bits clear in
// each channel, so it survives 16-bit storage unchanged.
std::uint32_t patternColor(int k);

// A w x h picture whose pixel (x, y) is patternColor((x + 3y) % colors). With
// colors 0 every pixel gets its own colour from (x, y). The mask is 1 (transparent)
// on the first column and the pixels there are black. No alpha.
Icon patternIcon(int width, int height, int colors = 0);

// The same picture with an alpha channel: alpha = 255 - 8 * (x % 32), and fully
// transparent (alpha 0, mask 1) on the first column.
Icon alphaPatternIcon(int width, int height);

// A w x h picture of one colour, no alpha, mask all 0 (opaque).
Icon solidIcon(int width, int height, std::uint32_t argb);

// ---- Stored images -----------------------------------------------------------

// One image as stored in an icon file or icon resource, with what its directory
// entry says about it (width/height stored as 0 for 256).
struct IconImage {
    Bytes data;
    std::uint8_t width = 0, height = 0, colorCount = 0;
    std::uint16_t planes = 1, bitCount = 0;
};

struct DibOptions {
    bool withMask = true;    // write the AND mask after the colour rows
    bool bitfields = false;  // 16 bits: BI_BITFIELDS 5-6-5; 32 bits: BI_BITFIELDS 8-8-8
    bool zeroAlpha = false;  // 32 bits: store 0 in every alpha byte
};

// `picture` as a BITMAPINFOHEADER DIB of `bits` (1, 4, 8, 16, 24 or 32) bits: the
// height doubled, bottom-up rows, palette built from the picture's colours (at most 2^bits
// distinct ones), then the AND mask.
IconImage dibImage(const Icon& picture, int bits, DibOptions options = {});
// `picture` as a PNG (RGBA; alpha from the picture, or 0 where the mask is 1).
IconImage pngImage(const Icon& picture);

// One image of a cursor and its hotspot.
struct CursorImage {
    IconImage image;
    std::uint16_t hotspotX = 0, hotspotY = 0;
};

// ---- Files -------------------------------------------------------------------

// An .ico file: header (0, type, count), one entry per image, the images in order.
Bytes makeIco(const std::vector<IconImage>& images, std::uint16_t type = 1);
// A .cur file: an .ico file of type 2 whose entries give each image's hotspot in
// place of the planes and the bit count.
Bytes makeCur(const std::vector<CursorImage>& images);

// One icon group of an executable. `name` empty: a numbered group (ids 1, 2, ...
// in the order given); otherwise a named one. `otherLanguages` adds further
// language entries after the first, each a group of its own images.
struct IconGroupSpec {
    std::vector<IconImage> images;
    std::u16string name;
    std::vector<std::vector<IconImage>> otherLanguages;
    // The language of the first language entry; each further one is one less.
    // Images are stored in their group's language.
    std::uint16_t language = 0x409;
    // The further languages name the first one's image numbers, each of which
    // then holds an image in every language (at most as many as the first has).
    bool otherLanguagesShareIds = false;
};

// One cursor group of an executable: numbered (ids 1, 2, ... in the order given)
// when `name` is empty. Its images are RT_CURSOR resources of their own ids: the
// hotspot (two words), then the image; the group's entries give width and height
// as words, the height doubled (image and mask), as cursor groups store them.
struct CursorGroupSpec {
    std::vector<CursorImage> images;
    std::u16string name;
};

enum class PeKind { Pe32, Pe32Plus };

// The virtual address of the resource section of makePe/wrapPe files.
inline constexpr std::uint32_t kResourceRva = 0x1000;
// The file offset of the resource section of makePe/wrapPe files.
inline constexpr std::uint32_t kResourceFileOffset = 0x400;

// A resource section (based at kResourceRva) holding the groups as RT_GROUP_ICON
// resources, in the order given, and their images as RT_ICON resources.
Bytes makeResourceSection(const std::vector<IconGroupSpec>& groups);
// The same with cursor groups as RT_GROUP_CURSOR resources and their images as
// RT_CURSOR resources. The types are stored in ascending order (1, 3, 12, 14).
Bytes makeResourceSection(const std::vector<IconGroupSpec>& groups,
                          const std::vector<CursorGroupSpec>& cursors);
// A PE file whose only section is `resourceSection`, named by the resource data directory.
Bytes wrapPe(const Bytes& resourceSection, PeKind kind = PeKind::Pe32);
// A PE library holding the given icon groups.
Bytes makePe(const std::vector<IconGroupSpec>& groups, PeKind kind = PeKind::Pe32);
// A PE library holding icon groups and cursor groups.
Bytes makePe(const std::vector<IconGroupSpec>& groups, const std::vector<CursorGroupSpec>& cursors,
             PeKind kind = PeKind::Pe32);
// A PE library of `groups` icon groups that all share one group directory stating
// `entries` images, each naming the one 32x32 image the file holds (RT_ICON id 1).
// With 65,535 of each it is 1.4 MB and states 4.3 billion images.
// With `imageBytes` above the image's own size, the image is stored padded to it.
Bytes makeSharedGroupPe(std::uint16_t groups, std::uint16_t entries, std::size_t imageBytes = 0);
// The same naming `image` (its entry's width, height and bit count as it states).
Bytes makeSharedGroupPe(std::uint16_t groups, std::uint16_t entries, const IconImage& image);
// A PE library whose one image (RT_ICON id 1, a 16 x 16 32-bit DIB) is stored in
// `languages` languages (1, 2, ...) and whose `groups` icon groups, each in
// language 0, name it in each of `entries` entries: no group's language is one of
// the image's. With 65,535 languages and 256 groups of 256 it is 531 KB.
Bytes makeManyLanguagesPe(std::uint16_t languages, std::uint16_t groups, std::uint16_t entries);
// A PE library whose RT_ICON directory holds `ids` images of ids 1 to `ids`, each
// a 1 x 1 32-bit DIB of colour manyIdsColour(id), stored in id order, and `groups`
// icon groups each naming the `perGroup` highest ids, highest first. With 65,535
// ids, 256 groups and 256 per group it is about 7 MB and names 65,536 images.
Bytes makeManyIdsPe(std::uint16_t ids, int groups, int perGroup);
// The colour (0xFFRRGGBB) of the image makeManyIdsPe stores under `id`.
std::uint32_t manyIdsColour(std::uint16_t id);
// A 16-bit NE library holding the given icon groups with resources aligned to
// 1 << alignShift bytes.
Bytes makeNe(const std::vector<IconGroupSpec>& groups, int alignShift = 4);
// The same with cursor groups (named ones by length-prefixed names, as icons).
Bytes makeNe(const std::vector<IconGroupSpec>& groups, const std::vector<CursorGroupSpec>& cursors,
             int alignShift = 4);

// ---- Animated cursors and icons ------------------------------------------------

// One RIFF chunk: id, size, the data, a pad byte after odd data.
Bytes riffChunk(const char (&id)[5], const Bytes& data);
// A "LIST" chunk of `type` holding `chunks` (each made by riffChunk).
Bytes riffList(const char (&type)[5], const std::vector<Bytes>& chunks);
// A RIFF form "ACON" holding `chunks` as given.
Bytes riffForm(const std::vector<Bytes>& chunks);

// An animated cursor (.ani) file. Its header states the frames and steps given
// (by default, the frames held and the steps of the sequence or the frames).
struct AniSpec {
    std::vector<Bytes> frames;            // each an icon or cursor file (makeIco, makeCur)
    std::vector<std::uint32_t> sequence;  // empty: no "seq " chunk
    std::vector<std::uint32_t> rates;     // empty: no "rate" chunk
    std::uint32_t rate = 6;               // the header's jiffies a step
    std::string title, artist;            // empty: no "INFO" list
    std::optional<std::uint32_t> frameCount, stepCount, flags;  // override what the header states
    bool listFirst = false;  // the "fram" list before the header (chunks in any order)
};
Bytes makeAni(const AniSpec& layout);
// The header chunk of an .ani file.
Bytes aniHeaderChunk(std::uint32_t frames, std::uint32_t steps, std::uint32_t rate,
                     std::uint32_t flags);

// An animated resource of a program: type 21 (animated cursor) or 22 (animated
// icon), numbered in the order given for each type when `name` is empty.
struct AnimationSpec {
    std::uint16_t type = 21;
    Bytes form;  // the .ani file's bytes
    std::u16string name;
};
// A PE library holding icon groups, cursor groups and animations.
Bytes makePe(const std::vector<IconGroupSpec>& groups, const std::vector<CursorGroupSpec>& cursors,
             const std::vector<AnimationSpec>& animations, PeKind kind = PeKind::Pe32);
// An NE library holding the same.
Bytes makeNe(const std::vector<IconGroupSpec>& groups, const std::vector<CursorGroupSpec>& cursors,
             const std::vector<AnimationSpec>& animations, int alignShift = 4);

// A version resource: string tables of a language and code page each (keys and
// values given in UTF-8), and the Translation pairs of language and code page.
struct VersionTableSpec {
    std::uint16_t language = 0x0409;
    std::uint16_t codePage = 1200;
    std::vector<std::pair<std::string, std::string>> strings;
};
struct VersionSpec {
    std::vector<VersionTableSpec> tables;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
};
// Its bytes as a PE file stores them (`wide`: UTF-16, a type word in each block)
// or as an NE file does (8-bit texts, Latin-1 here).
Bytes makeVersionResource(const VersionSpec& layout, bool wide);
// A PE or NE library holding the icon groups and `version` as its version
// resource (type 16, number 1).
Bytes makePeWithVersion(const std::vector<IconGroupSpec>& groups, const Bytes& version,
                        PeKind kind = PeKind::Pe32);
Bytes makeNeWithVersion(const std::vector<IconGroupSpec>& groups, const Bytes& version);

// Where, in a file made by makePe, the data entry (RVA, size) of resource number
// `index` of resource type `type` (3 images, 14 icon groups...), as stored, lies:
// patch its size at the result + 4.
std::size_t dataEntryOf(const Bytes& pe, std::uint32_t type, std::size_t index);

// Little-endian patching of built files.
void put16(Bytes& bytes, std::size_t offset, std::uint16_t value);
void put32(Bytes& bytes, std::size_t offset, std::uint32_t value);
std::uint16_t get16(const Bytes& bytes, std::size_t offset);
std::uint32_t get32(const Bytes& bytes, std::size_t offset);

// A fresh folder removed with everything in it at the end of the test.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Writes `bytes` to path()/name and returns that path.
    std::filesystem::path write(const std::string& name, const Bytes& bytes) const;

  private:
    std::filesystem::path path_;
};

Bytes readWholeFile(const std::filesystem::path& file);

// Another user's doing on a shared machine: a folder `name` in `dir` that everyone
// may write to (mode 1777, as /tmp), with a symbolic link `linkName` in it to
// `target` made by the user `uid` (in a child that takes that uid; `dir` is opened
// to others for it). The link's path, or empty when this process cannot take
// another uid (it does not run as root).
std::filesystem::path plantLinkInSharedFolder(const std::filesystem::path& dir,
                                              const std::string& name, const std::string& linkName,
                                              const std::filesystem::path& target,
                                              unsigned uid = 1001);

// Whether this process may act as another user (it runs as root): the helpers
// below need it.
bool canActAsOthers();

// Makes `dir` (and its missing parents, which stay the caller's) a folder of the
// user `uid` with `mode`: a folder another user made, 0777 or 1777 to let everyone
// write to it.
void makeFolderOf(const std::filesystem::path& dir, unsigned uid, mode_t mode);

// A symbolic link at `link` to `target` that belongs to the user `uid`, as if that
// user had made it.
void plantLink(const std::filesystem::path& link, const std::filesystem::path& target,
               unsigned uid);

// Runs `body` in a child process that has taken the user `uid` (and its group);
// returns what the body returned, or -1 when the child could not take the user
// or did not end by itself. Assertions do not cross the process: the body says
// what it found by the number it returns.
int runAs(unsigned uid, const std::function<int()>& body);

// Where another user has put a symbolic link for a writer to meet: in which
// folder (its owner and mode), and whether at a folder of the output path or at
// the output's own name.
struct LinkPlacement {
    const char* folder;
    unsigned owner;
    mode_t mode;
    bool onTheWay;
    std::string describe() const;
};
// A sticky folder of root's (as /tmp) and an open folder of uid 1001, each with
// the link on the way and at the name.
const std::vector<LinkPlacement>& sharedLinkPlacements();

// A scene under `base` for a writer that writes `firstFile` (a path relative to
// the folder it writes into): a folder "victim" of the caller's holding a file
// "key" and the folders a writer would reach through a followed link, and a
// folder "shared" as `where` says with uid 1001's link in it. `out` is the folder
// to give the writer: shared/d/sub, where d is the link to victim, or shared with
// the link at `firstFile` to victim/key (the folders down to it made by uid 1001).
struct LinkScene {
    std::filesystem::path out, victim, link;
};
LinkScene plantLinkScene(const std::filesystem::path& base, const LinkPlacement& where,
                         const std::filesystem::path& firstFile);

// What `dir` holds, path by path, with each file's bytes: to tell that nothing
// in it changed.
std::map<std::string, Bytes> treeOf(const std::filesystem::path& dir);

// The kernel's fs.protected_symlinks set to `value` for as long as this lives, and
// then put back; where the process may not set it, it is left alone and set()
// is false.
class ProtectedSymlinks {
  public:
    explicit ProtectedSymlinks(int value);
    ~ProtectedSymlinks();
    ProtectedSymlinks(const ProtectedSymlinks&) = delete;
    ProtectedSymlinks& operator=(const ProtectedSymlinks&) = delete;
    bool set() const { return set_; }

  private:
    int old_ = -1;
    bool set_ = false;
};

// Why a result failed, or "" when it did not: a test's message on a failed check.
template <typename T>
std::string why(const Result<T>& result) {
    return result ? std::string() : result.failure().message();
}

}  // namespace pellimar::fixtures
