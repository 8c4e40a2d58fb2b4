#include "platform/language_tags.h"

#include <array>
#include <charconv>
#include <utility>

namespace pellimar {

namespace {

constexpr std::array<std::pair<std::uint16_t, std::string_view>, 71> kTags = {{
    {0x0401, "ar-SA"}, {0x0402, "bg-BG"},      {0x0403, "ca-ES"}, {0x0404, "zh-TW"},
    {0x0405, "cs-CZ"}, {0x0406, "da-DK"},      {0x0407, "de-DE"}, {0x0408, "el-GR"},
    {0x0409, "en-US"}, {0x040A, "es-ES"},      {0x040B, "fi-FI"}, {0x040C, "fr-FR"},
    {0x040D, "he-IL"}, {0x040E, "hu-HU"},      {0x040F, "is-IS"}, {0x0410, "it-IT"},
    {0x0411, "ja-JP"}, {0x0412, "ko-KR"},      {0x0413, "nl-NL"}, {0x0414, "nb-NO"},
    {0x0415, "pl-PL"}, {0x0416, "pt-BR"},      {0x0417, "rm-CH"}, {0x0418, "ro-RO"},
    {0x0419, "ru-RU"}, {0x041A, "hr-HR"},      {0x041B, "sk-SK"}, {0x041C, "sq-AL"},
    {0x041D, "sv-SE"}, {0x041E, "th-TH"},      {0x041F, "tr-TR"}, {0x0420, "ur-PK"},
    {0x0421, "id-ID"}, {0x0422, "uk-UA"},      {0x0423, "be-BY"}, {0x0424, "sl-SI"},
    {0x0425, "et-EE"}, {0x0426, "lv-LV"},      {0x0427, "lt-LT"}, {0x0429, "fa-IR"},
    {0x042A, "vi-VN"}, {0x042B, "hy-AM"},      {0x042D, "eu-ES"}, {0x042F, "mk-MK"},
    {0x0436, "af-ZA"}, {0x0437, "ka-GE"},      {0x0439, "hi-IN"}, {0x043E, "ms-MY"},
    {0x043F, "kk-KZ"}, {0x0441, "sw-KE"},      {0x0445, "bn-IN"}, {0x0456, "gl-ES"},
    {0x0804, "zh-CN"}, {0x0807, "de-CH"},      {0x0809, "en-GB"}, {0x080A, "es-MX"},
    {0x080C, "fr-BE"}, {0x0810, "it-CH"},      {0x0813, "nl-BE"}, {0x0814, "nn-NO"},
    {0x0816, "pt-PT"}, {0x081A, "sr-Latn-CS"}, {0x0C04, "zh-HK"}, {0x0C07, "de-AT"},
    {0x0C09, "en-AU"}, {0x0C0A, "es-ES"},      {0x0C0C, "fr-CA"}, {0x0C1A, "sr-Cyrl-CS"},
    {0x1004, "zh-SG"}, {0x1009, "en-CA"},      {0x100C, "fr-CH"},
}};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::optional<std::uint16_t> parseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > 0xFFFF)
        return std::nullopt;
    return std::uint16_t(value);
}

}  // namespace

std::optional<std::string_view> languageTag(std::uint16_t language) {
    for (const auto& [number, tag] : kTags)
        if (number == language) return tag;
    return std::nullopt;
}

std::string languageText(std::uint16_t language) {
    std::string text = std::to_string(language);
    if (auto tag = languageTag(language)) (text += '/') += *tag;
    return text;
}

std::optional<std::uint16_t> parseLanguage(std::string_view text) {
    if (auto number = parseNumber(text)) return number;
    for (const auto& [number, tag] : kTags)
        if (sameIgnoringCase(tag, text)) return number;
    return std::nullopt;
}

bool namesLanguage(std::string_view text, std::uint16_t language) {
    if (auto number = parseNumber(text)) return *number == language;
    const auto tag = languageTag(language);
    return tag && sameIgnoringCase(*tag, text);
}

}  // namespace pellimar
