// Icons and cursors chosen by what they are called in the file: their resource
// ID or name and their language, as the commands' --id, --name, --lang and
// --all-languages give them; and how the commands write that identity out.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "platform/icon_set.h"

namespace pellimar::cli {

struct GroupChoice {
    std::optional<std::uint32_t> id;
    std::optional<std::string> name;
    std::optional<std::string> language;  // as given: a number or a tag
    std::optional<int> index;             // a position, as list numbers icons
    bool allLanguages = false;
    bool namesGroup() const { return id || name || index; }
};

// The options of a choice, for readCommandLine.
inline const std::vector<Option> kChoiceOptions = {
    {"id", 0, true}, {"name", 0, true}, {"lang", 0, true}, {"all-languages", 0, false}};

// Reads the choice from the options; what is wrong with them, or nothing.
std::optional<std::string> readChoice(const ParsedArgs& parsed, GroupChoice& choice);

// A group of a set: its kind, its position and, for a further language, its
// index in otherLanguages(kind) (-1 for the group's first language).
struct ChosenGroup {
    ResourceKind kind = ResourceKind::Icon;
    int position = 0;
    int variant = -1;
};

// The groups of the kinds given that the choice takes, in the file's order with
// each group's further languages after its first: without a language, the first
// language of each (every one with allLanguages); with one, the groups that have
// it. Where the file's images cap stopped its reading, that group and the rest of
// its kind are left out; a group that failed otherwise (at a cap of its own, cut
// off) is taken, and says why when it is written.
// When the choice names groups or a language that the file does not have: why,
// with the IDs, names or languages it has.
Result<std::vector<ChosenGroup>> chooseGroups(const IconSet& set,
                                              const std::vector<ResourceKind>& kinds,
                                              const GroupChoice& choice);

// The group a choice stands for.
const IconGroup& groupOf(const IconSet& set, const ChosenGroup& chosen);

// "id:5 lang:1031/de-DE" or "name:\"MAIN\"": what list prints after an icon's
// position (empty for the group of an icon file).
std::string identityText(const GroupIdentity& identity);

// The identity as JSON members: ", \"kind\": \"icon\", \"id\": 5, \"language\":
// {\"id\": 1031, \"tag\": \"de-DE\"}" (name a string; no id or name, language null
// where the file has none).
std::string identityJson(const GroupIdentity& identity);

// "icon 3" or "cursor 0", and with `withLanguage` its language where it has one
// ("icon 3 (lang:1031/de-DE)"): how messages name a group.
std::string groupText(const GroupIdentity& identity, bool withLanguage = false);

}  // namespace pellimar::cli
