#include "platform/file_names.h"

namespace pellimar {

std::string upperCaseExtension(const std::filesystem::path& path) {
    const std::string& text = path.native();
    const std::size_t slash = text.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = text.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return {};
    std::string ext = text.substr(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return ext;
}

}  // namespace pellimar
