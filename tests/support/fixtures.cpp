#include "support/fixtures.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>

#include "platform/png_codec.h"

namespace pellimar::fixtures {

namespace fs = std::filesystem;

// ---- Pictures -------------------------------------------------------------

std::uint32_t patternColor(int k) {
    if (k == 0) return 0xFF000000u;
    if (k == 1) return 0xFFFFFFFFu;
    // Channel values that 5-bit and 6-bit storage give back unchanged.
    static const std::uint32_t levels[8] = {0, 8, 16, 24, 231, 239, 247, 255};
    std::uint32_t r = levels[k & 7], g = levels[(k >> 3) & 7], b = levels[((k >> 6) + k) & 7];
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

Icon patternIcon(int width, int height, int colors) {
    Icon icon;
    icon.width = width;
    icon.height = height;
    icon.bitCount = 32;
    icon.color.resize(std::size_t(width) * height);
    icon.mask.resize(std::size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::size_t i = std::size_t(y) * width + x;
            if (x == 0) {
                icon.color[i] = 0xFF000000u;
                icon.mask[i] = 1;
            } else if (colors > 0) {
                icon.color[i] = patternColor((x + 3 * y) % colors);
            } else {
                icon.color[i] = 0xFF000000u | (std::uint32_t(x * 7 & 0xFF) << 16) |
                                (std::uint32_t(y * 13 & 0xFF) << 8) |
                                std::uint32_t((x + y) * 5 & 0xFF);
            }
        }
    return icon;
}

Icon alphaPatternIcon(int width, int height) {
    Icon icon = patternIcon(width, height, 0);
    icon.hasAlpha = true;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::size_t i = std::size_t(y) * width + x;
            std::uint32_t a = x == 0 ? 0 : 255 - 8 * (x % 32);
            icon.color[i] = (icon.color[i] & 0x00FFFFFFu) | (a << 24);
            icon.mask[i] = a == 0;
        }
    return icon;
}

Icon solidIcon(int width, int height, std::uint32_t argb) {
    Icon icon;
    icon.width = width;
    icon.height = height;
    icon.color.assign(std::size_t(width) * height, argb);
    icon.mask.assign(std::size_t(width) * height, 0);
    return icon;
}

// ---- Byte helpers ----------------------------------------------------------

void put16(Bytes& b, std::size_t at, std::uint16_t v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    put16(b, at, std::uint16_t(v));
    put16(b, at + 2, std::uint16_t(v >> 16));
}
std::uint16_t get16(const Bytes& b, std::size_t at) {
    return std::uint16_t(b.at(at) | (b.at(at + 1) << 8));
}
std::uint32_t get32(const Bytes& b, std::size_t at) {
    return get16(b, at) | (std::uint32_t(get16(b, at + 2)) << 16);
}

std::size_t dataEntryOf(const Bytes& pe, std::uint32_t type, std::size_t index) {
    const std::size_t root = kResourceFileOffset;
    const std::size_t types = std::size_t(get16(pe, root + 12)) + get16(pe, root + 14);
    for (std::size_t t = 0; t < types; ++t) {
        if (get32(pe, root + 16 + 8 * t) != type) continue;
        const std::size_t typeDir = root + (get32(pe, root + 20 + 8 * t) & 0x7FFFFFFFu);
        const std::size_t langDir = root + (get32(pe, typeDir + 16 + 8 * index + 4) & 0x7FFFFFFFu);
        return root + get32(pe, langDir + 20);
    }
    throw std::logic_error("no resource of that type");
}

namespace {

void append16(Bytes& b, std::uint16_t v) {
    put16(b, b.size(), v);
}
void append32(Bytes& b, std::uint32_t v) {
    put32(b, b.size(), v);
}
void padTo(Bytes& b, std::size_t alignment) {
    while (b.size() % alignment) b.push_back(0);
}

IconImage describe(Bytes data, int width, int height, int bits) {
    IconImage image;
    image.data = std::move(data);
    image.width = std::uint8_t(width >= 256 ? 0 : width);
    image.height = std::uint8_t(height >= 256 ? 0 : height);
    image.colorCount = std::uint8_t(bits < 8 ? 1 << bits : 0);
    image.planes = 1;
    image.bitCount = std::uint16_t(bits);
    return image;
}

}  // namespace

// ---- Stored images -----------------------------------------------------------

IconImage dibImage(const Icon& picture, int bits, DibOptions options) {
    const int w = picture.width, h = picture.height;
    std::vector<std::uint32_t> palette;
    if (bits <= 8) {
        for (std::uint32_t c : picture.color) {
            std::uint32_t rgb = c & 0x00FFFFFFu;
            if (std::find(palette.begin(), palette.end(), rgb) == palette.end())
                palette.push_back(rgb);
        }
        if (palette.size() > (1u << bits))
            throw std::invalid_argument("too many colours for the depth");
        palette.resize(std::size_t(1) << bits, 0);
    }
    const bool bitfields = options.bitfields && (bits == 16 || bits == 32);
    Bytes out;
    append32(out, 40);
    append32(out, std::uint32_t(w));
    append32(out, std::uint32_t(2 * h));
    append16(out, 1);
    append16(out, std::uint16_t(bits));
    append32(out, bitfields ? 3 : 0);
    const std::size_t stride = ((std::size_t(w) * bits + 31) / 32) * 4;
    const std::size_t maskStride = ((std::size_t(w) + 31) / 32) * 4;
    append32(out, std::uint32_t(stride * h));
    append32(out, 0);
    append32(out, 0);
    append32(out, 0);  // biClrUsed 0: a full table
    append32(out, 0);
    if (bitfields) {
        if (bits == 16) {
            append32(out, 0xF800), append32(out, 0x07E0), append32(out, 0x001F);
        } else {
            append32(out, 0x00FF0000), append32(out, 0x0000FF00), append32(out, 0x000000FF);
        }
    }
    for (std::uint32_t c : palette) append32(out, c);
    for (int row = h - 1; row >= 0; --row) {
        Bytes line(stride, 0);
        for (int x = 0; x < w; ++x) {
            std::uint32_t c = picture.pixel(x, row);
            std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            switch (bits) {
                case 1:
                case 4:
                case 8: {
                    std::uint32_t idx =
                        std::uint32_t(std::find(palette.begin(), palette.end(), c & 0x00FFFFFFu) -
                                      palette.begin());
                    if (bits == 8)
                        line[x] = std::uint8_t(idx);
                    else if (bits == 4)
                        line[x / 2] |= std::uint8_t(idx << ((x & 1) ? 0 : 4));
                    else
                        line[x / 8] |= std::uint8_t(idx << (7 - (x & 7)));
                    break;
                }
                case 16: {
                    std::uint16_t v =
                        bitfields ? std::uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                                  : std::uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
                    line[x * 2] = std::uint8_t(v), line[x * 2 + 1] = std::uint8_t(v >> 8);
                    break;
                }
                case 24:
                    line[x * 3] = std::uint8_t(b), line[x * 3 + 1] = std::uint8_t(g),
                             line[x * 3 + 2] = std::uint8_t(r);
                    break;
                case 32: {
                    std::uint32_t a = options.zeroAlpha ? 0 : (picture.hasAlpha ? c >> 24 : 0);
                    line[x * 4] = std::uint8_t(b), line[x * 4 + 1] = std::uint8_t(g),
                             line[x * 4 + 2] = std::uint8_t(r);
                    line[x * 4 + 3] = std::uint8_t(a);
                    break;
                }
                default:
                    throw std::invalid_argument("unsupported depth");
            }
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    if (options.withMask) {
        for (int row = h - 1; row >= 0; --row) {
            Bytes line(maskStride, 0);
            for (int x = 0; x < w; ++x)
                if (!picture.mask.empty() && picture.maskBit(x, row))
                    line[x / 8] |= std::uint8_t(0x80 >> (x & 7));
            out.insert(out.end(), line.begin(), line.end());
        }
    }
    return describe(std::move(out), w, h, bits);
}

IconImage pngImage(const Icon& picture) {
    RgbaImage rgba;
    rgba.width = picture.width;
    rgba.height = picture.height;
    for (std::size_t i = 0; i < picture.color.size(); ++i) {
        std::uint32_t c = picture.color[i];
        std::uint32_t a =
            picture.hasAlpha ? c >> 24 : (!picture.mask.empty() && picture.mask[i] ? 0 : 255);
        rgba.rgba.push_back(std::uint8_t(c >> 16));
        rgba.rgba.push_back(std::uint8_t(c >> 8));
        rgba.rgba.push_back(std::uint8_t(c));
        rgba.rgba.push_back(std::uint8_t(a));
    }
    auto png = encodePng(rgba);
    if (!png) throw std::runtime_error("PNG encoding failed");
    return describe(std::move(*png), picture.width, picture.height, 32);
}

// ---- .ico files ----------------------------------------------------------------

Bytes makeIco(const std::vector<IconImage>& images, std::uint16_t type) {
    Bytes out;
    append16(out, 0);
    append16(out, type);
    append16(out, std::uint16_t(images.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * images.size());
    for (const IconImage& im : images) {
        out.push_back(im.width), out.push_back(im.height), out.push_back(im.colorCount),
            out.push_back(0);
        append16(out, im.planes);
        append16(out, im.bitCount);
        append32(out, std::uint32_t(im.data.size()));
        append32(out, offset);
        offset += std::uint32_t(im.data.size());
    }
    for (const IconImage& im : images) out.insert(out.end(), im.data.begin(), im.data.end());
    return out;
}

Bytes makeCur(const std::vector<CursorImage>& images) {
    Bytes out;
    append16(out, 0);
    append16(out, 2);
    append16(out, std::uint16_t(images.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * images.size());
    for (const CursorImage& c : images) {
        out.push_back(c.image.width), out.push_back(c.image.height), out.push_back(0),
            out.push_back(0);
        append16(out, c.hotspotX);
        append16(out, c.hotspotY);
        append32(out, std::uint32_t(c.image.data.size()));
        append32(out, offset);
        offset += std::uint32_t(c.image.data.size());
    }
    for (const CursorImage& c : images)
        out.insert(out.end(), c.image.data.begin(), c.image.data.end());
    return out;
}

// ---- Animated cursors -------------------------------------------------------------

Bytes riffChunk(const char (&id)[5], const Bytes& data) {
    Bytes out(id, id + 4);
    append32(out, std::uint32_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2) out.push_back(0);
    return out;
}

Bytes riffList(const char (&type)[5], const std::vector<Bytes>& chunks) {
    Bytes data(type, type + 4);
    for (const Bytes& c : chunks) data.insert(data.end(), c.begin(), c.end());
    return riffChunk("LIST", data);
}

Bytes riffForm(const std::vector<Bytes>& chunks) {
    Bytes data = {'A', 'C', 'O', 'N'};
    for (const Bytes& c : chunks) data.insert(data.end(), c.begin(), c.end());
    Bytes out = {'R', 'I', 'F', 'F'};
    append32(out, std::uint32_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes aniHeaderChunk(std::uint32_t frames, std::uint32_t steps, std::uint32_t rate,
                     std::uint32_t flags) {
    Bytes h;
    append32(h, 36);
    append32(h, frames);
    append32(h, steps);
    for (int i = 0; i < 4; ++i) append32(h, 0);  // width, height, bits, planes
    append32(h, rate);
    append32(h, flags);
    return riffChunk("anih", h);
}

Bytes makeAni(const AniSpec& layout) {
    auto words = [](const std::vector<std::uint32_t>& values) {
        Bytes b;
        for (std::uint32_t v : values) append32(b, v);
        return b;
    };
    const std::uint32_t frames = layout.frameCount.value_or(std::uint32_t(layout.frames.size()));
    const std::uint32_t steps = layout.stepCount.value_or(
        std::uint32_t(layout.sequence.empty() ? layout.frames.size() : layout.sequence.size()));
    const std::uint32_t flags = layout.flags.value_or(1u | (layout.sequence.empty() ? 0u : 2u));
    std::vector<Bytes> chunks;
    if (!layout.title.empty() || !layout.artist.empty()) {
        std::vector<Bytes> info;
        auto text = [](const std::string& s) {
            Bytes b(s.begin(), s.end());
            b.push_back(0);
            return b;
        };
        if (!layout.title.empty()) info.push_back(riffChunk("INAM", text(layout.title)));
        if (!layout.artist.empty()) info.push_back(riffChunk("IART", text(layout.artist)));
        chunks.push_back(riffList("INFO", info));
    }
    std::vector<Bytes> frameChunks;
    for (const Bytes& f : layout.frames) frameChunks.push_back(riffChunk("icon", f));
    const Bytes list = riffList("fram", frameChunks);
    if (layout.listFirst) chunks.push_back(list);
    chunks.push_back(aniHeaderChunk(frames, steps, layout.rate, flags));
    if (!layout.rates.empty()) chunks.push_back(riffChunk("rate", words(layout.rates)));
    if (!layout.sequence.empty()) chunks.push_back(riffChunk("seq ", words(layout.sequence)));
    if (!layout.listFirst) chunks.push_back(list);
    return riffForm(chunks);
}

// ---- Executables -------------------------------------------------------------

namespace {

struct Resource {
    std::uint16_t type = 0;
    std::u16string name;  // empty: numbered by id
    std::uint16_t id = 0;
    std::vector<std::pair<std::uint16_t, Bytes>> languages;
};

// The images are stored in the group's language, as resource compilers store them.
Bytes groupData(const std::vector<IconImage>& images, std::uint16_t& nextId,
                std::vector<Resource>& icons, std::uint16_t language = 0x409) {
    Bytes g;
    append16(g, 0);
    append16(g, 1);
    append16(g, std::uint16_t(images.size()));
    for (const IconImage& im : images) {
        std::uint16_t id = nextId++;
        g.push_back(im.width), g.push_back(im.height), g.push_back(im.colorCount), g.push_back(0);
        append16(g, im.planes);
        append16(g, im.bitCount);
        append32(g, std::uint32_t(im.data.size()));
        append16(g, id);
        icons.push_back({3, {}, id, {{language, im.data}}});
    }
    return g;
}

// A cursor group's directory; its images become RT_CURSOR resources that lead
// with their hotspots.
Bytes cursorGroupData(const std::vector<CursorImage>& images, std::uint16_t& nextId,
                      std::vector<Resource>& cursors) {
    Bytes g;
    append16(g, 0);
    append16(g, 2);
    append16(g, std::uint16_t(images.size()));
    for (const CursorImage& c : images) {
        const std::uint16_t id = nextId++;
        Bytes data;
        append16(data, c.hotspotX);
        append16(data, c.hotspotY);
        data.insert(data.end(), c.image.data.begin(), c.image.data.end());
        append16(g, std::uint16_t(c.image.width == 0 ? 256 : c.image.width));
        append16(g, std::uint16_t(2 * (c.image.height == 0 ? 256 : c.image.height)));
        append16(g, c.image.planes);
        append16(g, c.image.bitCount);
        append32(g, std::uint32_t(data.size()));
        append16(g, id);
        cursors.push_back({1, {}, id, {{0x409, std::move(data)}}});
    }
    return g;
}

// The groups and their images as a flat list of resources, by type in ascending
// order: cursor images, icon images, cursor groups, icon groups.
std::vector<Resource> collect(const std::vector<IconGroupSpec>& groups,
                              const std::vector<CursorGroupSpec>& cursorGroups = {},
                              const std::vector<AnimationSpec>& animations = {}) {
    std::vector<Resource> cursors, icons, cursorGroupRes, groupRes;
    std::uint16_t nextIconId = 1, nextGroupId = 1, nextCursorId = 1, nextCursorGroupId = 1;
    for (const IconGroupSpec& group : groups) {
        Resource r;
        r.type = 14;
        r.name = group.name;
        r.id = group.name.empty() ? nextGroupId++ : 0;
        std::uint16_t language = group.language;
        const std::uint16_t firstImageId = nextIconId;
        r.languages.push_back({language, groupData(group.images, nextIconId, icons, language)});
        for (const auto& other : group.otherLanguages) {
            --language;
            if (!group.otherLanguagesShareIds) {
                r.languages.push_back({language, groupData(other, nextIconId, icons, language)});
                continue;
            }
            // The same numbers again, each image a further language of its number.
            std::uint16_t id = firstImageId;
            std::vector<Resource> translated;
            r.languages.push_back({language, groupData(other, id, translated, language)});
            for (Resource& t : translated)
                for (Resource& icon : icons)
                    if (icon.id == t.id) icon.languages.push_back(std::move(t.languages[0]));
        }
        groupRes.push_back(std::move(r));
    }
    for (const CursorGroupSpec& group : cursorGroups) {
        Resource r;
        r.type = 12;
        r.name = group.name;
        r.id = group.name.empty() ? nextCursorGroupId++ : 0;
        r.languages.push_back({0x409, cursorGroupData(group.images, nextCursorId, cursors)});
        cursorGroupRes.push_back(std::move(r));
    }
    std::vector<Resource> animated;
    for (std::uint16_t type : {21, 22}) {
        std::uint16_t nextId = 1;
        for (const AnimationSpec& a : animations)
            if (a.type == type)
                animated.push_back({type,
                                    a.name,
                                    a.name.empty() ? nextId++ : std::uint16_t(0),
                                    {{0x409, a.form}}});
    }
    std::vector<Resource> out = std::move(cursors);
    for (auto* part : {&icons, &cursorGroupRes, &groupRes, &animated})
        out.insert(out.end(), std::make_move_iterator(part->begin()),
                   std::make_move_iterator(part->end()));
    return out;
}

// A resource section (based at kResourceRva) holding `resources`, its types in
// the order they first appear.
Bytes sectionOf(const std::vector<Resource>& resources) {
    std::vector<std::uint16_t> types;
    for (const Resource& r : resources)
        if (std::find(types.begin(), types.end(), r.type) == types.end()) types.push_back(r.type);

    Bytes out;
    std::vector<std::pair<std::size_t, const Bytes*>> dataEntries;  // data entry position, data
    std::vector<std::pair<std::size_t, std::u16string>> names;      // entry name field, string

    auto directory = [&](std::size_t named, std::size_t numbered) {
        std::size_t at = out.size();
        out.resize(at + 16 + 8 * (named + numbered), 0);
        put16(out, at + 12, std::uint16_t(named));
        put16(out, at + 14, std::uint16_t(numbered));
        return at;
    };

    std::size_t root = directory(0, types.size());
    for (std::size_t t = 0; t < types.size(); ++t) {
        std::vector<const Resource*> ofType;
        std::size_t named = 0;
        for (const Resource& r : resources)
            if (r.type == types[t]) {
                ofType.push_back(&r);
                named += !r.name.empty();
            }
        std::size_t typeDir = directory(named, ofType.size() - named);
        put32(out, root + 16 + 8 * t, types[t]);
        put32(out, root + 20 + 8 * t, 0x80000000u | std::uint32_t(typeDir));
        for (std::size_t i = 0; i < ofType.size(); ++i) {
            const Resource& r = *ofType[i];
            std::size_t entry = typeDir + 16 + 8 * i;
            if (r.name.empty())
                put32(out, entry, r.id);
            else
                names.push_back({entry, r.name});
            std::size_t langDir = directory(0, r.languages.size());
            put32(out, entry + 4, 0x80000000u | std::uint32_t(langDir));
            for (std::size_t l = 0; l < r.languages.size(); ++l) {
                put32(out, langDir + 16 + 8 * l, r.languages[l].first);
                std::size_t dataEntry = out.size();
                out.resize(dataEntry + 16, 0);
                put32(out, langDir + 20 + 8 * l, std::uint32_t(dataEntry));
                dataEntries.push_back({dataEntry, &r.languages[l].second});
            }
        }
    }
    for (const auto& [entry, name] : names) {
        put32(out, entry, 0x80000000u | std::uint32_t(out.size()));
        append16(out, std::uint16_t(name.size()));
        for (char16_t c : name) append16(out, std::uint16_t(c));
    }
    for (const auto& [entry, data] : dataEntries) {
        padTo(out, 8);
        put32(out, entry, kResourceRva + std::uint32_t(out.size()));
        put32(out, entry + 4, std::uint32_t(data->size()));
        out.insert(out.end(), data->begin(), data->end());
    }
    padTo(out, 8);
    return out;
}

}  // namespace

Bytes makeResourceSection(const std::vector<IconGroupSpec>& groups) {
    return sectionOf(collect(groups));
}

Bytes makeResourceSection(const std::vector<IconGroupSpec>& groups,
                          const std::vector<CursorGroupSpec>& cursors) {
    return sectionOf(collect(groups, cursors));
}

Bytes makeSharedGroupPe(std::uint16_t groups, std::uint16_t entries, std::size_t imageBytes) {
    IconImage image = dibImage(solidIcon(32, 32, 0xFF3060A0), 32);
    if (imageBytes > image.data.size()) image.data.resize(imageBytes, 0);
    return makeSharedGroupPe(groups, entries, image);
}

Bytes makeSharedGroupPe(std::uint16_t groups, std::uint16_t entries, const IconImage& stored) {
    const Bytes& image = stored.data;
    // Root (two types), RT_ICON directory (one entry), RT_GROUP_ICON directory,
    // the two data entries, the group directory, the image.
    const std::uint32_t root = 0, iconDir = 32, groupDir = iconDir + 16 + 8;
    const std::uint32_t iconData = groupDir + 16 + std::uint32_t(groups) * 8;
    const std::uint32_t groupData = iconData + 16, group = groupData + 16;
    const std::uint32_t pixels = group + 6 + std::uint32_t(entries) * 14;
    Bytes section(pixels + image.size(), 0);
    put16(section, root + 14, 2);
    put32(section, root + 16, 3);
    put32(section, root + 20, 0x80000000u | iconDir);
    put32(section, root + 24, 14);
    put32(section, root + 28, 0x80000000u | groupDir);
    put16(section, iconDir + 14, 1);
    put32(section, iconDir + 16, 1);
    put32(section, iconDir + 20, iconData);
    put16(section, groupDir + 14, groups);
    for (std::uint32_t i = 0; i < groups; ++i) {
        put32(section, groupDir + 16 + i * 8, i + 1);
        put32(section, groupDir + 20 + i * 8, groupData);
    }
    put32(section, iconData, kResourceRva + pixels);
    put32(section, iconData + 4, std::uint32_t(image.size()));
    put32(section, groupData, kResourceRva + group);
    put32(section, groupData + 4, 6 + std::uint32_t(entries) * 14);
    put16(section, group + 2, 1);
    put16(section, group + 4, entries);
    for (std::uint32_t e = 0; e < entries; ++e) {
        const std::size_t at = group + 6 + std::size_t(e) * 14;
        section[at] = stored.width, section[at + 1] = stored.height;
        put16(section, at + 4, 1);
        put16(section, at + 6, stored.bitCount);
        put32(section, at + 8, std::uint32_t(image.size()));
        put16(section, at + 12, 1);
    }
    std::copy(image.begin(), image.end(), section.begin() + pixels);
    return wrapPe(section);
}

Bytes makeManyLanguagesPe(std::uint16_t languages, std::uint16_t groups, std::uint16_t entries) {
    const Bytes image = dibImage(solidIcon(16, 16, 0xFF3060A0), 32).data;
    // Root (two types); the RT_ICON directory (id 1) and its language directory
    // of `languages` entries (1, 2, ...), each leading to the one image's data
    // entry; the RT_GROUP_ICON directory, one language directory of one entry
    // (language 0) for every group, all leading to one data entry and one group
    // directory; the image.
    const std::uint32_t root = 0, iconDir = 32, imageLanguages = iconDir + 24;
    const std::uint32_t groupDir = imageLanguages + 16 + std::uint32_t(languages) * 8;
    const std::uint32_t groupLanguages = groupDir + 16 + std::uint32_t(groups) * 8;
    const std::uint32_t iconData = groupLanguages + std::uint32_t(groups) * 24;
    const std::uint32_t groupData = iconData + 16, group = groupData + 16;
    const std::uint32_t pixels = group + 6 + std::uint32_t(entries) * 14;
    Bytes section(pixels + image.size(), 0);
    put16(section, root + 14, 2);
    put32(section, root + 16, 3);
    put32(section, root + 20, 0x80000000u | iconDir);
    put32(section, root + 24, 14);
    put32(section, root + 28, 0x80000000u | groupDir);
    put16(section, iconDir + 14, 1);
    put32(section, iconDir + 16, 1);
    put32(section, iconDir + 20, 0x80000000u | imageLanguages);
    put16(section, imageLanguages + 14, languages);
    for (std::uint32_t i = 0; i < languages; ++i) {
        put32(section, imageLanguages + 16 + i * 8, i + 1);
        put32(section, imageLanguages + 20 + i * 8, iconData);
    }
    put16(section, groupDir + 14, groups);
    for (std::uint32_t i = 0; i < groups; ++i) {
        const std::uint32_t languageDir = groupLanguages + i * 24;
        put32(section, groupDir + 16 + i * 8, i + 1);
        put32(section, groupDir + 20 + i * 8, 0x80000000u | languageDir);
        put16(section, languageDir + 14, 1);
        put32(section, languageDir + 16, 0);
        put32(section, languageDir + 20, groupData);
    }
    put32(section, iconData, kResourceRva + pixels);
    put32(section, iconData + 4, std::uint32_t(image.size()));
    put32(section, groupData, kResourceRva + group);
    put32(section, groupData + 4, 6 + std::uint32_t(entries) * 14);
    put16(section, group + 2, 1);
    put16(section, group + 4, entries);
    for (std::uint32_t e = 0; e < entries; ++e) {
        const std::size_t at = group + 6 + std::size_t(e) * 14;
        section[at] = 16, section[at + 1] = 16;
        put16(section, at + 4, 1);
        put16(section, at + 6, 32);
        put32(section, at + 8, std::uint32_t(image.size()));
        put16(section, at + 12, 1);
    }
    std::copy(image.begin(), image.end(), section.begin() + pixels);
    return wrapPe(section);
}

std::uint32_t manyIdsColour(std::uint16_t id) {
    return 0xFF000000u | (std::uint32_t(id) << 4);
}

Bytes makeManyIdsPe(std::uint16_t ids, int groups, int perGroup) {
    std::vector<Resource> resources;
    resources.reserve(std::size_t(ids) + std::size_t(groups));
    for (std::uint32_t id = 1; id <= ids; ++id)
        resources.push_back(
            {3,
             {},
             std::uint16_t(id),
             {{0x409, dibImage(solidIcon(1, 1, manyIdsColour(std::uint16_t(id))), 32).data}}});
    const Bytes image = resources.empty() ? Bytes() : resources.front().languages[0].second;
    Bytes directory;
    append16(directory, 0);
    append16(directory, 1);
    append16(directory, std::uint16_t(perGroup));
    for (int k = 0; k < perGroup; ++k) {
        directory.insert(directory.end(), {1, 1, 0, 0});
        append16(directory, 1);
        append16(directory, 32);
        append32(directory, std::uint32_t(image.size()));
        append16(directory, std::uint16_t(ids - k));
    }
    for (int g = 1; g <= groups; ++g)
        resources.push_back({14, {}, std::uint16_t(g), {{0x409, directory}}});
    return wrapPe(sectionOf(resources));
}

Bytes wrapPe(const Bytes& section, PeKind kind) {
    const bool plus = kind == PeKind::Pe32Plus;
    Bytes out(0x80, 0);
    out[0] = 'M', out[1] = 'Z';
    put32(out, 0x3C, 0x80);
    const std::size_t pe = 0x80;
    out.resize(pe + 24, 0);
    out[pe] = 'P', out[pe + 1] = 'E';
    put16(out, pe + 4, plus ? 0x8664 : 0x14C);
    put16(out, pe + 6, 1);
    const std::uint16_t optionalSize = plus ? 240 : 224;
    put16(out, pe + 20, optionalSize);
    put16(out, pe + 22, 0x2102);
    const std::size_t opt = pe + 24;
    out.resize(opt + optionalSize, 0);
    put16(out, opt, plus ? 0x20B : 0x10B);
    put32(out, opt + 32, 0x1000);  // section alignment
    put32(out, opt + 36, 0x200);   // file alignment
    const std::uint32_t rawSize = std::uint32_t((section.size() + 0x1FF) & ~std::size_t(0x1FF));
    put32(out, opt + 56, kResourceRva + ((rawSize + 0xFFF) & ~0xFFFu));  // size of image
    put32(out, opt + 60, kResourceFileOffset);                           // size of headers
    const std::size_t dirs = opt + (plus ? 112 : 96);
    put32(out, dirs - 4, 16);
    put32(out, dirs + 2 * 8, kResourceRva);
    put32(out, dirs + 2 * 8 + 4, std::uint32_t(section.size()));
    const std::size_t sec = opt + optionalSize;
    out.resize(sec + 40, 0);
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, out.begin() + std::ptrdiff_t(sec));
    put32(out, sec + 8, std::uint32_t(section.size()));
    put32(out, sec + 12, kResourceRva);
    put32(out, sec + 16, rawSize);
    put32(out, sec + 20, kResourceFileOffset);
    put32(out, sec + 36, 0x40000040);  // initialised data, readable
    out.resize(kResourceFileOffset, 0);
    out.insert(out.end(), section.begin(), section.end());
    out.resize(kResourceFileOffset + rawSize, 0);
    return out;
}

Bytes makePe(const std::vector<IconGroupSpec>& groups, PeKind kind) {
    return wrapPe(makeResourceSection(groups), kind);
}

Bytes makePe(const std::vector<IconGroupSpec>& groups, const std::vector<CursorGroupSpec>& cursors,
             PeKind kind) {
    return wrapPe(makeResourceSection(groups, cursors), kind);
}

Bytes makeNe(const std::vector<IconGroupSpec>& groups, int alignShift) {
    return makeNe(groups, {}, alignShift);
}

Bytes makePe(const std::vector<IconGroupSpec>& groups, const std::vector<CursorGroupSpec>& cursors,
             const std::vector<AnimationSpec>& animations, PeKind kind) {
    return wrapPe(sectionOf(collect(groups, cursors, animations)), kind);
}

namespace {

Bytes neOf(const std::vector<Resource>& resources, int alignShift) {
    const std::size_t ne = 0x40;
    Bytes out(ne, 0);
    out[0] = 'M', out[1] = 'Z';
    put32(out, 0x3C, ne);
    out.resize(ne + 0x40, 0);
    out[ne] = 'N', out[ne + 1] = 'E';
    const std::size_t table = ne + 0x40;
    put16(out, ne + 0x24, 0x40);
    append16(out, std::uint16_t(alignShift));
    std::vector<std::pair<std::size_t, const Bytes*>> records;
    std::vector<std::pair<std::size_t, std::u16string>> names;
    for (std::uint16_t type : {1, 3, 12, 14, 16, 21, 22}) {
        std::vector<const Resource*> ofType;
        for (const Resource& r : resources)
            if (r.type == type) ofType.push_back(&r);
        if (ofType.empty()) continue;
        append16(out, std::uint16_t(0x8000 | type));
        append16(out, std::uint16_t(ofType.size()));
        append32(out, 0);
        for (const Resource* r : ofType) {
            std::size_t rec = out.size();
            out.resize(rec + 12, 0);
            put16(out, rec + 4, 0x1C30);  // moveable, pure, discardable
            if (r->name.empty())
                put16(out, rec + 6, std::uint16_t(0x8000 | r->id));
            else
                names.push_back({rec + 6, r->name});
            records.push_back({rec, &r->languages[0].second});  // NE resources have no languages
        }
    }
    append16(out, 0);
    for (const auto& [field, name] : names) {
        put16(out, field, std::uint16_t(out.size() - table));
        out.push_back(std::uint8_t(name.size()));
        for (char16_t c : name) out.push_back(std::uint8_t(c));
    }
    out.push_back(0);
    put16(out, ne + 0x26, std::uint16_t(out.size() - ne));  // resident names follow
    out.push_back(0);
    const std::size_t align = std::size_t(1) << alignShift;
    for (const auto& [rec, data] : records) {
        padTo(out, align);
        put16(out, rec, std::uint16_t(out.size() >> alignShift));
        put16(out, rec + 2, std::uint16_t((data->size() + align - 1) >> alignShift));
        out.insert(out.end(), data->begin(), data->end());
    }
    padTo(out, align);
    return out;
}

// The code points of UTF-8 text (well-formed, as tests write it).
std::u32string codePoints(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = std::uint8_t(text[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + std::size_t(k) < text.size(); ++k)
            c = c << 6 | (std::uint8_t(text[i + std::size_t(k)]) & 0x3F);
        out += c;
        i += std::size_t(extra) + 1;
    }
    return out;
}

// `text` and its NUL as the block's texts are stored.
void appendText(Bytes& out, std::string_view text, bool wide) {
    for (char32_t c : codePoints(text)) {
        if (!wide) {
            out.push_back(c < 0x100 ? std::uint8_t(c) : std::uint8_t('?'));
        } else if (c >= 0x10000) {
            append16(out, std::uint16_t(0xD800 + ((c - 0x10000) >> 10)));
            append16(out, std::uint16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            append16(out, std::uint16_t(c));
        }
    }
    if (wide)
        append16(out, 0);
    else
        out.push_back(0);
}

// One block: header, key, value and children, each part aligned to four bytes.
// `valueLength` as the header states it (characters for a text value).
Bytes versionBlock(bool wide, std::string_view key, const Bytes& value, bool text,
                   std::uint16_t valueLength, const std::vector<Bytes>& children) {
    Bytes out;
    append16(out, 0);
    append16(out, valueLength);
    if (wide) append16(out, text ? 1 : 0);
    appendText(out, key, wide);
    padTo(out, 4);
    out.insert(out.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        padTo(out, 4);
        out.insert(out.end(), child.begin(), child.end());
    }
    put16(out, 0, std::uint16_t(out.size()));
    return out;
}

}  // namespace

Bytes makeNe(const std::vector<IconGroupSpec>& groups, const std::vector<CursorGroupSpec>& cursors,
             int alignShift) {
    return neOf(collect(groups, cursors), alignShift);
}

Bytes makeNe(const std::vector<IconGroupSpec>& groups, const std::vector<CursorGroupSpec>& cursors,
             const std::vector<AnimationSpec>& animations, int alignShift) {
    return neOf(collect(groups, cursors, animations), alignShift);
}

Bytes makeVersionResource(const VersionSpec& layout, bool wide) {
    Bytes fixed(52, 0);  // VS_FIXEDFILEINFO: its signature and structure version
    put32(fixed, 0, 0xFEEF04BDu);
    put32(fixed, 4, 0x00010000u);
    std::vector<Bytes> tables;
    for (const VersionTableSpec& table : layout.tables) {
        std::vector<Bytes> strings;
        for (const auto& [key, value] : table.strings) {
            Bytes text;
            appendText(text, value, wide);
            const std::size_t units = wide ? text.size() / 2 : text.size();
            strings.push_back(versionBlock(wide, key, text, true, std::uint16_t(units), {}));
        }
        char name[9];
        std::snprintf(name, sizeof name, "%04X%04X", table.language, table.codePage);
        tables.push_back(versionBlock(wide, name, {}, true, 0, strings));
    }
    std::vector<Bytes> children = {versionBlock(wide, "StringFileInfo", {}, true, 0, tables)};
    if (!layout.translations.empty()) {
        Bytes pairs;
        for (const auto& [language, codePage] : layout.translations) {
            append16(pairs, language);
            append16(pairs, codePage);
        }
        children.push_back(versionBlock(
            wide, "VarFileInfo", {}, true, 0,
            {versionBlock(wide, "Translation", pairs, false, std::uint16_t(pairs.size()), {})}));
    }
    return versionBlock(wide, "VS_VERSION_INFO", fixed, false, 52, children);
}

Bytes makePeWithVersion(const std::vector<IconGroupSpec>& groups, const Bytes& version,
                        PeKind kind) {
    std::vector<Resource> resources = collect(groups);
    resources.push_back({16, {}, 1, {{0x409, version}}});
    return wrapPe(sectionOf(resources), kind);
}

Bytes makeNeWithVersion(const std::vector<IconGroupSpec>& groups, const Bytes& version) {
    std::vector<Resource> resources = collect(groups);
    resources.push_back({16, {}, 1, {{0, version}}});
    return neOf(resources, 4);
}

// ---- Files -------------------------------------------------------------------

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "pellimar-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

fs::path TempDir::write(const std::string& name, const Bytes& bytes) const {
    fs::path file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file;
}

Bytes readWholeFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fs::path plantLinkInSharedFolder(const fs::path& dir, const std::string& name,
                                 const std::string& linkName, const fs::path& target,
                                 unsigned uid) {
    if (::geteuid() != 0) return {};
    const fs::path shared = dir / name;
    fs::create_directories(shared);
    ::chmod(dir.c_str(), 0755);
    ::chmod(shared.c_str(), 01777);
    const fs::path link = shared / linkName;
    const pid_t child = ::fork();
    if (child == 0) {
        const bool ok = ::setgroups(0, nullptr) == 0 && ::setresgid(uid, uid, uid) == 0 &&
                        ::setresuid(uid, uid, uid) == 0 &&
                        ::symlink(target.c_str(), link.c_str()) == 0;
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        throw std::runtime_error("cannot plant a link as another user in " + shared.string());
    return link;
}

bool canActAsOthers() {
    return ::geteuid() == 0;
}

void makeFolderOf(const fs::path& dir, unsigned uid, mode_t mode) {
    fs::create_directories(dir);
    if (::chown(dir.c_str(), uid, uid) != 0 || ::chmod(dir.c_str(), mode) != 0)
        throw std::runtime_error("cannot give " + dir.string() + " to another user");
}

void plantLink(const fs::path& link, const fs::path& target, unsigned uid) {
    if (::symlink(target.c_str(), link.c_str()) != 0 || ::lchown(link.c_str(), uid, uid) != 0)
        throw std::runtime_error("cannot plant a link at " + link.string());
}

int runAs(unsigned uid, const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(uid, uid, uid) != 0 ||
            ::setresuid(uid, uid, uid) != 0)
            ::_exit(255);
        ::_exit(body() & 0xFF);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

std::string LinkPlacement::describe() const {
    return std::string(folder) + (onTheWay ? ", link on the way" : ", link at the name");
}

const std::vector<LinkPlacement>& sharedLinkPlacements() {
    static const std::vector<LinkPlacement> all = {
        {"root's 1777 folder", 0, 01777, true},
        {"root's 1777 folder", 0, 01777, false},
        {"uid 1001's 0777 folder", 1001, 0777, true},
        {"uid 1001's 0777 folder", 1001, 0777, false},
    };
    return all;
}

LinkScene plantLinkScene(const fs::path& base, const LinkPlacement& where,
                         const fs::path& firstFile) {
    LinkScene scene;
    ::chmod(base.c_str(), 0755);
    scene.victim = base / "victim";
    fs::create_directories(scene.victim / "sub" / firstFile.parent_path());
    std::ofstream(scene.victim / "key", std::ios::binary) << "key";
    const fs::path shared = base / "shared";
    makeFolderOf(shared, where.owner, where.mode);
    if (where.onTheWay) {
        scene.link = shared / "d";
        plantLink(scene.link, scene.victim, 1001);
        scene.out = shared / "d" / "sub";
    } else {
        // A tree that user made, down to the folder of the name.
        if (firstFile.has_parent_path()) makeFolderOf(shared / firstFile.parent_path(), 1001, 0755);
        scene.link = shared / firstFile;
        plantLink(scene.link, scene.victim / "key", 1001);
        scene.out = shared;
    }
    return scene;
}

std::map<std::string, Bytes> treeOf(const fs::path& dir) {
    std::map<std::string, Bytes> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        files[fs::relative(e.path(), dir).string()] =
            e.is_regular_file() ? readWholeFile(e.path()) : Bytes{};
    return files;
}

namespace {
constexpr const char* kProtectedSymlinks = "/proc/sys/fs/protected_symlinks";
}

ProtectedSymlinks::ProtectedSymlinks(int value) {
    std::ifstream in(kProtectedSymlinks);
    if (!(in >> old_)) return;
    std::ofstream out(kProtectedSymlinks);
    if (!(out << value << "\n") || !out.flush()) return;
    std::ifstream check(kProtectedSymlinks);
    int now = -1;
    set_ = (check >> now) && now == value;
}

ProtectedSymlinks::~ProtectedSymlinks() {
    if (old_ < 0) return;
    std::ofstream out(kProtectedSymlinks);
    out << old_ << "\n";
}

}  // namespace pellimar::fixtures
