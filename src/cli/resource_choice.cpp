#include "cli/resource_choice.h"

#include <map>
#include <set>

#include "cli/json_text.h"
#include "platform/language_tags.h"

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

bool named(const GroupChoice& choice, const GroupIdentity& identity) {
    if (choice.index && identity.position != *choice.index) return false;
    if (choice.id && !(identity.name && identity.name->numeric && identity.name->id == *choice.id))
        return false;
    if (choice.name &&
        !(identity.name && !identity.name->numeric && sameName(identity.name->text, *choice.name)))
        return false;
    return true;
}

const char* kindWord(ResourceKind kind) {
    return kind == ResourceKind::Icon ? "icon" : "cursor";
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
        if (!parseLanguage(*text))
            return "--lang takes a language number (1031, 0x407) or a tag such as de-DE, not " +
                   *text;
        choice.language = *text;
    }
    choice.allLanguages = parsed.has("all-languages");
    if (choice.allLanguages && choice.language)
        return "--all-languages and --lang cannot both be given";
    return std::nullopt;
}

const IconGroup& groupOf(const IconSet& set, const ChosenGroup& chosen) {
    return chosen.variant < 0 ? set.groups(chosen.kind)[std::size_t(chosen.position)]
                              : set.otherLanguages(chosen.kind)[std::size_t(chosen.variant)];
}

Result<std::vector<ChosenGroup>> chooseGroups(const IconSet& set,
                                              const std::vector<ResourceKind>& kinds,
                                              const GroupChoice& choice) {
    std::vector<ChosenGroup> candidates;
    std::vector<std::string> ids, names;
    std::set<std::uint16_t> languagesSeen;
    for (ResourceKind kind : kinds) {
        // The further languages of each position, in the file's order.
        std::map<int, std::vector<int>> variants;
        const auto& others = set.otherLanguages(kind);
        for (std::size_t v = 0; v < others.size(); ++v)
            if (!others[v].pastImagesCap()) variants[others[v].identity.position].push_back(int(v));
        for (const IconGroup& group : set.groups(kind)) {
            if (group.pastImagesCap()) break;
            const GroupIdentity& identity = group.identity;
            if (identity.name) {
                const std::string shown = identity.name->numeric ? identity.name->display()
                                                                 : jsonString(identity.name->text);
                (identity.name->numeric ? ids : names)
                    .push_back(std::string(kindWord(kind)) + " " + shown);
            }
            if (!named(choice, identity)) continue;
            candidates.push_back({kind, identity.position, -1});
            for (int v : variants[identity.position])
                candidates.push_back({kind, identity.position, v});
        }
    }
    if (candidates.empty() && choice.namesGroup()) {
        std::string asked = choice.index ? "icon " + std::to_string(*choice.index)
                            : choice.id  ? "icon or cursor with ID " + std::to_string(*choice.id)
                                         : "icon or cursor named " + jsonString(*choice.name);
        std::string known;
        if (choice.index)
            known = std::to_string(set.iconCount()) + " icons";
        else if (ids.empty() && names.empty())
            known = "none has an ID or name";
        else
            known = (ids.empty() ? "" : "IDs: " + joined(ids)) +
                    (ids.empty() || names.empty() ? "" : "; ") +
                    (names.empty() ? "" : "names: " + joined(names));
        return failure(Fault::NoSuchIcon, "no " + asked + " (" + known + ")");
    }
    std::vector<ChosenGroup> out;
    for (const ChosenGroup& chosen : candidates) {
        const GroupIdentity& identity = groupOf(set, chosen).identity;
        if (identity.language) languagesSeen.insert(*identity.language);
        if (choice.language) {
            if (identity.language && namesLanguage(*choice.language, *identity.language))
                out.push_back(chosen);
        } else if (chosen.variant < 0 || choice.allLanguages) {
            out.push_back(chosen);
        }
    }
    if (out.empty() && choice.language && !candidates.empty()) {
        std::vector<std::string> known;
        for (std::uint16_t l : languagesSeen) known.push_back(languageText(l));
        return failure(Fault::NoSuchIcon,
                       "no " + std::string(choice.namesGroup() ? "such group" : "group") +
                           " in the language " + *choice.language +
                           " (languages: " + (known.empty() ? "none stated" : joined(known)) + ")");
    }
    return out;
}

std::string identityText(const GroupIdentity& identity) {
    std::string text;
    if (identity.name)
        text = identity.name->numeric ? "id:" + identity.name->display()
                                      : "name:" + jsonString(identity.name->text);
    if (identity.language) {
        if (!text.empty()) text += ' ';
        text += "lang:" + languageText(*identity.language);
    }
    return text;
}

std::string identityJson(const GroupIdentity& identity) {
    std::string text = ", \"kind\": \"";
    text += kindWord(identity.kind);
    text += '"';
    if (identity.name)
        text += identity.name->numeric ? ", \"id\": " + identity.name->display()
                                       : ", \"name\": " + jsonString(identity.name->text);
    text += ", \"language\": ";
    if (!identity.language) return text + "null";
    text += "{\"id\": " + std::to_string(*identity.language) + ", \"tag\": ";
    if (auto tag = languageTag(*identity.language))
        text += jsonString(*tag) + "}";
    else
        text += "null}";
    return text;
}

std::string groupText(const GroupIdentity& identity, bool withLanguage) {
    std::string text =
        std::string(kindWord(identity.kind)) + " " + std::to_string(identity.position);
    if (withLanguage && identity.language)
        text += " (lang:" + languageText(*identity.language) + ")";
    return text;
}

}  // namespace pellimar::cli
