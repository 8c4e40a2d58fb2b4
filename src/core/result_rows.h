// Plain helpers of the result list: the number format of captions and locations,
// and the text comparison its sorting uses.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pellimar {

// n with leading zeros up to three digits ("007", "042", "123", "1024"); a
// negative n gives the empty text.
std::string formatIconNumber(int n);

// Compares two texts ignoring the case of the ASCII letters a-z only; every other
// byte by its value; a text that begins a longer one comes first. <0, 0 or >0.
int compareAsciiNoCase(std::string_view a, std::string_view b);

// "app.exe-001" for the first icon (position 0) of /some/where/app.exe.
std::string rowCaption(const std::filesystem::path& source, int position);

// One row as the save command and the row preview see it.
struct ResultRowInfo {
    std::filesystem::path source;  // the file the icon was read from
    int iconPosition = 0;          // 0-based position of the icon in that file
    bool selected = false;
};

}  // namespace pellimar
