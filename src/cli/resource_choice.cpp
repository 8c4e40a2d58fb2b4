#include "cli/resource_choice.h"

#include <cstdint>
#include <set>

#include "cli/json_text.h"

namespace pellimar::cli {

namespace {

bool sameName(const std::string& a, const std::string& b) {
    // Resource names are compared as the system compares them: ASCII letters in
    // either case.
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto up = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
        if (up(a[i]) != up(b[i])) return false;
    }
    return true;
}

bool named(const GroupChoice& choice, const pellimar_group* group) {
    if (choice.index && int(pellimar_group_position(group)) != *choice.index) return false;
    std::uint32_t id = 0;
    if (choice.id && !(pellimar_group_id(group, &id) && id == *choice.id)) return false;
    const char* name = pellimar_group_name(group);
    if (choice.name && !(name && sameName(name, *choice.name))) return false;
    return true;
}

const char* kindWord(int32_t kind) {
    return kind == PELLIMAR_ICON ? "icon" : "cursor";
}

std::optional<std::uint16_t> languageOf(const pellimar_group* group) {
    std::uint16_t language = 0;
    if (!pellimar_group_language(group, &language)) return std::nullopt;
    return language;
}

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty()) text += ", ";
        text += item;
    }
    return text;
}

}  // namespace

std::optional<std::string> readChoice(const ParsedArgs& parsed, GroupChoice& choice) {
    if (auto text = parsed.last("id")) {
        const auto id = parseNumber(*text, 0, 65535);
        if (!id) return "--id takes a number from 0 to 65535";
        choice.id = std::uint32_t(*id);
    }
    if (auto text = parsed.last("name")) {
        if (text->empty()) return "--name takes a resource name";
        choice.name = *text;
    }
    if (choice.id && choice.name) return "--id and --name cannot both be given";
    if (auto text = parsed.last("lang")) {
        if (!pellimar_language_parse(text->c_str(), nullptr))
            return "--lang takes a language number (1031, 0x407) or a tag such as de-DE, not " +
                   *text;
        choice.language = *text;
    }
    choice.allLanguages = parsed.has("all-languages");
    if (choice.allLanguages && choice.language)
        return "--all-languages and --lang cannot both be given";
    return std::nullopt;
}

GroupsChosen chooseGroups(pellimar_file* file, const std::vector<int32_t>& kinds,
                          const GroupChoice& choice) {
    std::vector<ChosenGroup> candidates;
    std::vector<std::string> ids, names;
    std::set<std::uint16_t> languagesSeen;
    for (const int32_t kind : kinds) {
        const std::uint32_t count = pellimar_file_group_count(file, kind);
        for (std::uint32_t i = 0; i < count; ++i) {
            pellimar_group* group = pellimar_file_group(file, kind, i);
            if (pellimar_group_past_images_cap(group)) break;
            std::uint32_t id = 0;
            if (pellimar_group_id(group, &id))
                ids.push_back(std::string(kindWord(kind)) + " " + std::to_string(id));
            else if (const char* name = pellimar_group_name(group))
                names.push_back(std::string(kindWord(kind)) + " " + jsonString(name));
            if (!named(choice, group)) continue;
            const int position = int(pellimar_group_position(group));
            candidates.push_back({kind, position, group, false});
            // Its further languages, in the file's order.
            const std::uint32_t languages = pellimar_group_language_count(group);
            for (std::uint32_t v = 0; v < languages; ++v) {
                pellimar_group* other = pellimar_group_language_at(group, v);
                if (!pellimar_group_past_images_cap(other))
                    candidates.push_back({kind, position, other, true});
            }
        }
    }
    GroupsChosen out;
    if (candidates.empty() && choice.namesGroup()) {
        std::string asked = choice.index ? "icon " + std::to_string(*choice.index)
                            : choice.id  ? "icon or cursor with ID " + std::to_string(*choice.id)
                                         : "icon or cursor named " + jsonString(*choice.name);
        std::string known;
        if (choice.index)
            known = std::to_string(pellimar_file_group_count(file, PELLIMAR_ICON)) + " icons";
        else if (ids.empty() && names.empty())
            known = "none has an ID or name";
        else
            known = (ids.empty() ? "" : "IDs: " + joined(ids)) +
                    (ids.empty() || names.empty() ? "" : "; ") +
                    (names.empty() ? "" : "names: " + joined(names));
        out.problem = "no " + asked + " (" + known + ")";
        return out;
    }
    for (const ChosenGroup& chosen : candidates) {
        const std::optional<std::uint16_t> language = languageOf(chosen.group);
        if (language) languagesSeen.insert(*language);
        if (choice.language) {
            if (language && pellimar_language_matches(choice.language->c_str(), *language))
                out.groups.push_back(chosen);
        } else if (!chosen.other || choice.allLanguages) {
            out.groups.push_back(chosen);
        }
    }
    if (out.groups.empty() && choice.language && !candidates.empty()) {
        std::vector<std::string> known;
        for (std::uint16_t l : languagesSeen) known.push_back(languageText(l));
        out.problem = "no " + std::string(choice.namesGroup() ? "such group" : "group") +
                      " in the language " + *choice.language +
                      " (languages: " + (known.empty() ? "none stated" : joined(known)) + ")";
    }
    return out;
}

std::string languageText(std::uint16_t language) {
    std::string text = std::to_string(language);
    if (const char* tag = pellimar_language_tag(language)) (text += '/') += tag;
    return text;
}

std::string identityText(const pellimar_group* group) {
    std::string text;
    std::uint32_t id = 0;
    if (pellimar_group_id(group, &id))
        text = "id:" + std::to_string(id);
    else if (const char* name = pellimar_group_name(group))
        text = "name:" + jsonString(name);
    if (const auto language = languageOf(group)) {
        if (!text.empty()) text += ' ';
        text += "lang:" + languageText(*language);
    }
    return text;
}

std::string identityJson(const pellimar_group* group) {
    std::string text = ", \"kind\": \"";
    text += kindWord(pellimar_group_kind(group));
    text += '"';
    std::uint32_t id = 0;
    if (pellimar_group_id(group, &id))
        text += ", \"id\": " + std::to_string(id);
    else if (const char* name = pellimar_group_name(group))
        text += ", \"name\": " + jsonString(name);
    text += ", \"language\": ";
    const auto language = languageOf(group);
    if (!language) return text + "null";
    text += "{\"id\": " + std::to_string(*language) + ", \"tag\": ";
    if (const char* tag = pellimar_language_tag(*language))
        text += jsonString(tag) + "}";
    else
        text += "null}";
    return text;
}

std::string groupText(const pellimar_group* group, bool withLanguage) {
    std::string text = std::string(kindWord(pellimar_group_kind(group))) + " " +
                       std::to_string(pellimar_group_position(group));
    if (withLanguage)
        if (const auto language = languageOf(group))
            text += " (lang:" + languageText(*language) + ")";
    return text;
}

}  // namespace pellimar::cli
