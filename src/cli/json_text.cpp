#include "cli/json_text.h"

namespace pellimar::cli {

namespace {

// The length of the valid UTF-8 sequence starting at `i`, or 0 when there is none
// (stray continuation bytes, overlong forms, surrogates, values above U+10FFFF).
std::size_t utf8Length(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n;
    unsigned char low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    if (b(i + 1) < low || b(i + 1) > high) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
    return n;
}

}  // namespace

std::string jsonString(std::string_view text) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = utf8Length(text, i);
            if (n == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
            } else {
                out.append(text.substr(i, n));
                i += n;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += "\\u00";
                    out += hex[c >> 4];
                    out += hex[c & 0xF];
                } else {
                    out += char(c);
                }
        }
        ++i;
    }
    out += '"';
    return out;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = utf8Length(text, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string jsonNameMembers(std::string_view key, std::string_view name) {
    std::string out = "\"" + std::string(key) + "\": " + jsonString(name);
    if (isValidUtf8(name)) return out;
    static const char hex[] = "0123456789abcdef";
    out += ", \"" + std::string(key) + "_hex\": \"";
    for (const char c : name) {
        out += hex[static_cast<unsigned char>(c) >> 4];
        out += hex[static_cast<unsigned char>(c) & 0xF];
    }
    out += '"';
    return out;
}

std::string quotedName(std::string_view name) {
    const auto isControl = [](unsigned char c) { return c < 0x20 || c == 0x7F; };
    bool plain = true;
    for (const char c : name) plain = plain && !isControl(static_cast<unsigned char>(c));
    if (plain) return std::string(name);
    // As ls quotes for the shell: 'text' with each control character as $'\n' or
    // $'\ooo' between, and each ' as \'.
    std::string out;
    bool open = false;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (isControl(c)) {
            if (open) out += '\'';
            open = false;
            out += "$'";
            switch (c) {
                case '\n':
                    out += "\\n";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                default:
                    out += '\\';
                    out += char('0' + (c >> 6));
                    out += char('0' + ((c >> 3) & 7));
                    out += char('0' + (c & 7));
            }
            out += '\'';
        } else if (ch == '\'') {
            if (open) out += '\'';
            open = false;
            out += "\\'";
        } else {
            if (!open) out += '\'';
            open = true;
            out += ch;
        }
    }
    if (open) out += '\'';
    return out;
}

}  // namespace pellimar::cli
