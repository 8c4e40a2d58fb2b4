// Windows cursor sets made into X cursor themes, the kind desktops on Linux
// use: NAME/cursors/ holds one X cursor file for each role, under the X11 core
// name, with links of the freedesktop names (and older aliases) to it, and
// NAME/index.theme names the theme.
//
// A set is a folder of .cur and .ani files. Its install.inf says which file is
// which role, as the desktop's scheme installer reads it: the registry value
// that [Scheme.Reg] adds under "Control Panel\Cursors\Schemes" lists the files
// of the roles in their fixed order (Arrow, Help, AppStarting, Wait,
// Crosshair, IBeam, NWPen, No, SizeNS, SizeWE, SizeNWSE, SizeNESW, SizeAll,
// UpArrow, Hand, then Pin and Person), %strings% replaced from [Strings].
// Without one, files are taken by the role their names say ("Arrow.cur",
// "Text Select.ani", "busy.ani"...). Every role without a file is named.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/caps.h"
#include "platform/failure.h"
#include "platform/xcursor_file.h"

namespace pellimar {

enum class CursorRole : std::uint8_t {
    Arrow,
    Help,
    AppStarting,
    Wait,
    Crosshair,
    IBeam,
    NWPen,
    No,
    SizeNS,
    SizeWE,
    SizeNWSE,
    SizeNESW,
    SizeAll,
    UpArrow,
    Hand,
    Pin,
    Person,
};
inline constexpr std::size_t kCursorRoles = 17;

// The role as the scheme's registry values name it: "Arrow", "IBeam"...
const char* cursorRoleName(CursorRole role);
// The role as a person knows it: "Normal select", "Text select"...
const char* cursorRoleTitle(CursorRole role);
// The X cursor names of a role: the file's first, then the names linked to it.
// Empty for the roles X has no cursor for (Pin, Person).
std::span<const char* const> xcursorNamesOf(CursorRole role);

// What an install.inf says: the scheme's name and the file named for each role
// (as written, %strings% replaced; empty where it names none).
struct CursorScheme {
    std::string name;
    std::array<std::string, kCursorRoles> files;
};
// Why not when it holds no cursor scheme.
Result<CursorScheme> parseCursorScheme(std::string_view text);

struct CursorSet {
    std::filesystem::path folder;
    std::filesystem::path schemeFile;  // the install.inf read; empty without one
    std::string schemeName;
    std::array<std::optional<std::filesystem::path>, kCursorRoles> files;
    // Roles without a file (each named), files the scheme names that the folder
    // lacks, files of one role left out for another, the cap of entries.
    std::vector<Failure> notes;
};
// The set in `folder`; why not when the folder cannot be read, or its
// install.inf cannot be read or holds no scheme.
Result<CursorSet> readCursorSet(const std::filesystem::path& folder);

struct ThemeCursor {
    CursorRole role;
    std::filesystem::path source;
    std::string name;                  // the file's name in cursors/
    std::vector<std::string> aliases;  // links in cursors/ to it
};
struct ThemePlan {
    std::string name;
    std::vector<ThemeCursor> cursors;
    std::vector<CursorRole> missing;  // roles the set has no file for
    std::string indexTheme;           // the text of NAME/index.theme
    std::vector<Failure> notes;       // the set's notes, and roles X has no name for
};
// What the theme `name` made of `set` holds. Why not when the name cannot name
// a folder (empty, ".", "..", a "/" or a control character in it) or the set
// has no file of any role X has a cursor for.
Result<ThemePlan> planCursorTheme(const CursorSet& set, const std::string& name);

// What writing a theme did: every file and link written (or why not), in order,
// and what was left out or changed of each cursor.
struct ThemeOutcome {
    std::vector<WriteOutcome> written;
    std::vector<Failure> notes;
    int cursors = 0;  // X cursor files written
};
// Writes the plan into `folder`/NAME: each cursor's file (read again and made an
// X cursor file with `options`: by default the common sizes 24, 32 and 48 are
// shrunk from larger images where the set lacks them), synced together as one
// batch, then the links of those placed, then index.theme, through the one
// writer (atomic_file.h); folders are made as needed. A cursor whose file cannot be read or made is
// told, and neither it nor its links are written. Why not when nothing could be written.
Result<ThemeOutcome> writeCursorTheme(const ThemePlan& plan, const std::filesystem::path& folder,
                                      const XcursorOptions& options = {{24, 32, 48}},
                                      WriteOptions write = {});

}  // namespace pellimar
