#include "platform/cursor_theme.h"

#include <algorithm>
#include <map>
#include <system_error>
#include <utility>

#include "platform/animation.h"
#include "platform/byte_source.h"
#include "platform/icon_set.h"
#include "platform/utf8_text.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

struct RoleFacts {
    const char* name;
    const char* title;
    std::vector<const char*> xcursorNames;  // the file's first
    // What a file of the role may be called, lower case without spaces, "_" or "-".
    std::vector<const char*> fileStems;
};

const std::array<RoleFacts, kCursorRoles>& roles() {
    static const std::array<RoleFacts, kCursorRoles> table = {{
        {"Arrow",
         "Normal select",
         {"left_ptr", "default", "arrow", "top_left_arrow"},
         {"arrow", "normal", "normalselect", "leftptr", "default"}},
        {"Help",
         "Help select",
         {"question_arrow", "help", "whats_this", "left_ptr_help"},
         {"help", "helpselect", "questionarrow"}},
        {"AppStarting",
         "Working in background",
         {"left_ptr_watch", "progress", "half-busy"},
         {"appstarting", "working", "workinginbackground", "background", "progress",
          "leftptrwatch"}},
        {"Wait", "Busy", {"watch", "wait"}, {"wait", "busy", "watch"}},
        {"Crosshair",
         "Precision select",
         {"crosshair", "cross", "tcross"},
         {"crosshair", "cross", "precision", "precisionselect"}},
        {"IBeam",
         "Text select",
         {"xterm", "text", "ibeam"},
         {"ibeam", "beam", "text", "textselect", "xterm"}},
        {"NWPen", "Handwriting", {"pencil"}, {"nwpen", "pen", "handwriting", "pencil"}},
        {"No",
         "Unavailable",
         {"circle", "not-allowed", "no-drop", "forbidden", "crossed_circle"},
         {"no", "unavailable", "notallowed", "forbidden", "circle"}},
        {"SizeNS",
         "Vertical resize",
         {"size_ver", "ns-resize", "v_double_arrow", "sb_v_double_arrow", "n-resize", "s-resize",
          "top_side", "bottom_side"},
         {"sizens", "vertical", "verticalresize", "vert", "sizever", "nsresize"}},
        {"SizeWE",
         "Horizontal resize",
         {"size_hor", "ew-resize", "h_double_arrow", "sb_h_double_arrow", "e-resize", "w-resize",
          "left_side", "right_side"},
         {"sizewe", "horizontal", "horizontalresize", "horz", "sizehor", "ewresize"}},
        {"SizeNWSE",
         "Diagonal resize 1",
         {"size_fdiag", "nwse-resize", "nw-resize", "se-resize", "top_left_corner",
          "bottom_right_corner"},
         {"sizenwse", "diagonal1", "diagonalresize1", "dgn1", "sizefdiag", "nwseresize"}},
        {"SizeNESW",
         "Diagonal resize 2",
         {"size_bdiag", "nesw-resize", "ne-resize", "sw-resize", "top_right_corner",
          "bottom_left_corner"},
         {"sizenesw", "diagonal2", "diagonalresize2", "dgn2", "sizebdiag", "neswresize"}},
        {"SizeAll",
         "Move",
         {"fleur", "move", "all-scroll", "size_all"},
         {"sizeall", "move", "fleur"}},
        {"UpArrow",
         "Alternate select",
         {"up_arrow", "center_ptr"},
         {"uparrow", "alternate", "alternateselect", "up"}},
        {"Hand",
         "Link select",
         {"hand2", "pointer", "hand1", "hand", "pointing_hand"},
         {"hand", "link", "linkselect", "hand2"}},
        {"Pin", "Location select", {}, {"pin", "location", "locationselect"}},
        {"Person", "Person select", {}, {"person", "personselect"}},
    }};
    return table;
}

const RoleFacts& factsOf(CursorRole role) {
    return roles()[std::size_t(role)];
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

std::string_view trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// ---- install.inf

// The text of an INF file as UTF-8: UTF-16 (little-endian, with its mark) is
// converted; a UTF-8 mark is dropped; other bytes are kept as they are.
std::string infText(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        std::vector<std::uint16_t> units;
        units.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            units.push_back(std::uint16_t(bytes[i] | (bytes[i + 1] << 8)));
        return utf8From16(units);
    }
    std::size_t start = 0;
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) start = 3;
    return std::string(bytes.begin() + std::ptrdiff_t(start), bytes.end());
}

struct InfLine {
    std::string section;  // lower case
    std::string text;     // comment and line breaks taken out
};

// The logical lines of an INF file: a ";" outside quotes starts a comment, and
// a "\" that ends a line joins the next to it (quotes may go on across it).
std::vector<InfLine> infLines(std::string_view text) {
    std::vector<InfLine> out;
    std::string section, pending;
    bool quoted = false;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view raw = text.substr(at, end - at);
        at = end + 1;
        std::string line;
        for (char c : raw) {
            if (c == '"') quoted = !quoted;
            if (c == ';' && !quoted) break;
            line += c;
        }
        std::string_view kept = trim(line);
        if (!kept.empty() && kept.back() == '\\' && at <= text.size()) {
            pending += kept.substr(0, kept.size() - 1);
            continue;
        }
        quoted = false;
        std::string whole = pending + std::string(kept);
        pending.clear();
        const std::string_view full = trim(whole);
        if (full.empty()) continue;
        if (full.front() == '[') {
            const std::size_t close = full.find(']');
            section = lower(trim(full.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            continue;
        }
        out.push_back({section, std::string(full)});
    }
    return out;
}

// One value of a line: outer quotes taken off, "" inside them a quote.
std::string unquoted(std::string_view field) {
    field = trim(field);
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '"') {
            if (quoted && i + 1 < field.size() && field[i + 1] == '"') {
                out += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
            continue;
        }
        out += c;
    }
    return std::string(trim(out));
}

// The comma-separated fields of a line, commas inside quotes kept.
std::vector<std::string> fieldsOf(std::string_view line) {
    std::vector<std::string> out;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] == '"') quoted = !quoted;
        if (i == line.size() || (line[i] == ',' && !quoted)) {
            out.push_back(unquoted(line.substr(start, i - start)));
            start = i + 1;
        }
    }
    return out;
}

using Strings = std::map<std::string, std::string>;  // by lower-case key

// `text` with each %key% of [Strings] replaced ("%%" is a "%"; a key not there,
// such as the folder numbers "%10%", stays as written). Nothing when the text
// would grow past the file's cap.
std::optional<std::string> substituted(std::string_view text, const Strings& strings) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('%', at);
        if (open == std::string_view::npos) {
            out += text.substr(at);
            break;
        }
        out += text.substr(at, open - at);
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out += text.substr(open);
            break;
        }
        const std::string_view key = text.substr(open + 1, close - open - 1);
        if (key.empty()) {
            out += '%';
        } else if (auto it = strings.find(lower(key)); it != strings.end()) {
            out += it->second;
        } else {
            out += text.substr(open, close - open + 1);
        }
        at = close + 1;
        if (out.size() > kMaxSchemeFileBytes) return std::nullopt;
    }
    return out;
}

// The file name at the end of a Windows path.
std::string fileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return std::string(trim(slash == std::string_view::npos ? path : path.substr(slash + 1)));
}

// What the role is called in a file's name: lower case, without spaces, "_" and "-".
std::string stemKey(std::string_view stem) {
    std::string out;
    for (char c : stem)
        if (c != ' ' && c != '_' && c != '-') out += lowerAscii(c);
    return out;
}

}  // namespace

const char* cursorRoleName(CursorRole role) {
    return factsOf(role).name;
}

const char* cursorRoleTitle(CursorRole role) {
    return factsOf(role).title;
}

std::span<const char* const> xcursorNamesOf(CursorRole role) {
    return factsOf(role).xcursorNames;
}

Result<CursorScheme> parseCursorScheme(std::string_view text) {
    const std::vector<InfLine> lines = infLines(text);
    Strings strings;
    for (const InfLine& line : lines) {
        if (line.section != "strings") continue;
        const std::size_t equals = line.text.find('=');
        if (equals == std::string::npos) continue;
        strings.emplace(lower(unquoted(std::string_view(line.text).substr(0, equals))),
                        unquoted(std::string_view(line.text).substr(equals + 1)));
    }
    const Failure tooLong =
        capReached(Cap::ProfileBytes,
                   std::to_string(kMaxSchemeFileBytes >> 20) + " MB of an install.inf's text");
    CursorScheme scheme;
    bool found = false;
    // The scheme's own value: every role's file in their order.
    for (const InfLine& line : lines) {
        if (line.section != "scheme.reg") continue;
        const std::vector<std::string> fields = fieldsOf(line.text);
        if (fields.size() < 5 || lower(fields[1]) != "control panel\\cursors\\schemes") continue;
        const auto name = substituted(fields[2], strings);
        const auto value = substituted(fields[4], strings);
        if (!name || !value) return tooLong;
        scheme.name = *name;
        std::size_t role = 0, start = 0;
        for (std::size_t i = 0; i <= value->size() && role < kCursorRoles; ++i)
            if (i == value->size() || (*value)[i] == ',') {
                scheme.files[role++] =
                    fileNameOf(std::string_view(*value).substr(start, i - start));
                start = i + 1;
            }
        found = true;
        break;
    }
    if (!found) {
        // Without it, the values that set each role of the current scheme.
        for (const InfLine& line : lines) {
            const std::vector<std::string> fields = fieldsOf(line.text);
            if (fields.size() < 5 || lower(fields[1]) != "control panel\\cursors") continue;
            for (std::size_t role = 0; role < kCursorRoles; ++role) {
                if (lower(fields[2]) != lower(roles()[role].name)) continue;
                const auto value = substituted(fields[4], strings);
                if (!value) return tooLong;
                scheme.files[role] = fileNameOf(*value);
                found = true;
            }
        }
    }
    if (!found)
        return failure(Fault::NoImage,
                       "the install.inf names no cursor scheme (no line of [Scheme.Reg] adds one)");
    return scheme;
}

Result<CursorSet> readCursorSet(const fs::path& folder) {
    CursorSet set;
    set.folder = folder;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) return systemFailure(Fault::CannotOpen, error.value(), folder.string());
    // The folder's files by their names in lower case; of names that differ
    // only in case, the first in order.
    std::map<std::string, std::string> byLowerName;
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) return systemFailure(Fault::ReadFailed, error.value(), folder.string());
        if (names.size() >= kMaxCursorSetEntries) {
            set.notes.push_back(capReached(Cap::CursorSetEntries,
                                           std::to_string(kMaxCursorSetEntries) +
                                               " entries of the folder are looked at; the rest are "
                                               "left out"));
            break;
        }
        std::error_code kind;
        if (!it->is_regular_file(kind)) continue;
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) byLowerName.emplace(lower(name), name);

    auto say = [&](std::string text) {
        set.notes.push_back(failure(Fault::NotChosen, std::move(text)));
    };
    if (auto inf = byLowerName.find("install.inf"); inf != byLowerName.end()) {
        set.schemeFile = folder / inf->second;
        auto source = ByteSource::open(set.schemeFile);
        if (!source) return source.failure().within(inf->second);
        auto bytes = source->fetch(0, source->size(), kMaxSchemeFileBytes);
        if (!bytes) return bytes.failure().within(inf->second);
        auto scheme = parseCursorScheme(infText(*bytes));
        if (!scheme) return scheme.failure().within(inf->second);
        set.schemeName = scheme->name;
        for (std::size_t role = 0; role < kCursorRoles; ++role) {
            const std::string& file = scheme->files[role];
            if (file.empty()) continue;
            if (auto held = byLowerName.find(lower(file)); held != byLowerName.end())
                set.files[role] = folder / held->second;
            else
                say(std::string(roles()[role].name) + ": the scheme names \"" + file +
                    "\", which the folder does not hold");
        }
    } else {
        // Files named for their roles: "Arrow.cur", "Text Select.ani", "busy.ani".
        for (const std::string& name : names) {
            const fs::path path(name);
            const std::string extension = lower(path.extension().string());
            if (extension != ".cur" && extension != ".ani") continue;
            const std::string key = stemKey(path.stem().string());
            for (std::size_t role = 0; role < kCursorRoles; ++role) {
                const auto& stems = roles()[role].fileStems;
                if (std::find(stems.begin(), stems.end(), key) == stems.end()) continue;
                if (set.files[role])
                    say(std::string(roles()[role].name) + ": \"" + name + "\" is left out for \"" +
                        set.files[role]->filename().string() + "\"");
                else
                    set.files[role] = folder / name;
                break;
            }
        }
    }
    for (std::size_t role = 0; role < kCursorRoles; ++role)
        if (!set.files[role])
            say(std::string(roles()[role].name) + " (" + roles()[role].title +
                "): the set has no cursor for it");
    return set;
}

Result<ThemePlan> planCursorTheme(const CursorSet& set, const std::string& name) {
    const bool control = std::any_of(name.begin(), name.end(),
                                     [](char c) { return std::uint8_t(c) < 0x20 || c == 0x7F; });
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        control)
        return failure(Fault::BadValue, "theme name \"" + name + "\"");
    ThemePlan plan;
    plan.name = name;
    plan.notes = set.notes;
    for (std::size_t role = 0; role < kCursorRoles; ++role) {
        const auto cursorRole = CursorRole(role);
        if (!set.files[role]) {
            plan.missing.push_back(cursorRole);
            continue;
        }
        const auto names = xcursorNamesOf(cursorRole);
        if (names.empty()) {
            plan.notes.push_back(failure(
                Fault::NotChosen, std::string(roles()[role].name) + " (" + roles()[role].title +
                                      "): X cursor themes have no cursor for it; \"" +
                                      set.files[role]->filename().string() + "\" is left out"));
            continue;
        }
        ThemeCursor cursor{cursorRole, *set.files[role], names[0], {}};
        cursor.aliases.assign(names.begin() + 1, names.end());
        plan.cursors.push_back(std::move(cursor));
    }
    if (plan.cursors.empty())
        return failure(Fault::NoImage,
                       "the cursor set has no cursor of a role X cursor themes have");
    plan.indexTheme = "[Icon Theme]\nName=" + name + "\n";
    if (!set.schemeName.empty() && std::none_of(set.schemeName.begin(), set.schemeName.end(),
                                                [](char c) { return std::uint8_t(c) < 0x20; }))
        plan.indexTheme += "Comment=" + set.schemeName + "\n";
    return plan;
}

namespace {

// The X cursor file of one cursor of the set: a cursor or icon file's group,
// or an .ani file's animation.
Result<XcursorFile> xcursorOfFile(const fs::path& source, const XcursorOptions& options) {
    auto set = IconSet::open(source, ReadScope{true});
    if (!set) return set.failure();
    switch (set->container()) {
        case IconContainer::CursorFile:
        case IconContainer::IconFile: {
            const ResourceKind kind = set->container() == IconContainer::CursorFile
                                          ? ResourceKind::Cursor
                                          : ResourceKind::Icon;
            if (set->groups(kind).empty())
                return set->notes().empty() ? failure(Fault::NoImage) : set->notes().front();
            return xcursorFromGroup(set->load(kind, 0), options);
        }
        case IconContainer::AnimatedCursorFile:
            if (set->animations().empty()) return failure(Fault::NoImage);
            return xcursorFromAnimation(set->loadAnimation(0), options);
        case IconContainer::Pe:
        case IconContainer::Ne:
            break;
    }
    return failure(Fault::NotIconContainer, "a program or library, not a cursor file");
}

}  // namespace

Result<ThemeOutcome> writeCursorTheme(const ThemePlan& plan, const fs::path& folder,
                                      const XcursorOptions& options, WriteOptions write) {
    ThemeOutcome outcome;
    const fs::path theme = folder / plan.name;
    const fs::path cursors = theme / "cursors";
    write.createFolders = true;
    // The files first, synced together; then the links of those that are there.
    std::vector<std::pair<const ThemeCursor*, fs::path>> files;
    std::vector<WriteOutcome> placed;
    {
        WriteBatch batch;
        for (const ThemeCursor& cursor : plan.cursors) {
            const std::string label = cursor.name + " (" + cursorRoleName(cursor.role) + ", " +
                                      cursor.source.filename().string() + ")";
            auto made = xcursorOfFile(cursor.source, options);
            if (!made) {
                outcome.notes.push_back(made.failure().within(label));
                continue;
            }
            for (const Failure& note : made->notes) outcome.notes.push_back(note.within(label));
            const fs::path target = cursors / cursor.name;
            Result<Placed> result =
                writeFile(target, std::span<const std::uint8_t>(made->bytes), write);
            files.emplace_back(&cursor, target);
            if (!result || *result != Placed::Pending)
                placed.push_back({target, std::move(result)});
        }
        for (WriteOutcome& done : batch.commit()) placed.push_back(std::move(done));
    }
    for (const auto& file : files) {
        const ThemeCursor* cursor = file.first;
        const auto done = std::find_if(placed.begin(), placed.end(), [&](const WriteOutcome& w) {
            return w.target == file.second;
        });
        if (done == placed.end()) continue;
        const bool there = bool(done->placed);
        outcome.written.push_back(std::move(*done));
        if (!there) continue;
        ++outcome.cursors;
        for (const std::string& alias : cursor->aliases) {
            const fs::path link = cursors / alias;
            outcome.written.push_back({link, writeSymbolicLink(link, cursor->name, write)});
        }
    }
    if (outcome.cursors == 0) {
        for (const WriteOutcome& w : outcome.written)
            if (!w.placed) return w.placed.failure().within(w.target.string());
        if (!outcome.notes.empty()) return outcome.notes.front();
        return failure(Fault::NoImage, "no cursor of the set could be made");
    }
    const fs::path index = theme / "index.theme";
    outcome.written.push_back({index, writeFile(index, std::string_view(plan.indexTheme), write)});
    return outcome;
}

}  // namespace pellimar
