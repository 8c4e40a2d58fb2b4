// Icons and cursors chosen by what they are called in the file: their resource
// ID or name and their language, as the commands' --id, --name, --lang and
// --all-languages give them; and how the commands write that identity out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "lib/pellimar.h"

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

// A group of a file: a first language, or a further language of one.
struct ChosenGroup {
    int32_t kind = PELLIMAR_ICON;
    int position = 0;
    pellimar_group* group = nullptr;
    bool other = false;  // a further language
};

// The groups a choice takes, or why none: `problem` names what the file lacks.
struct GroupsChosen {
    std::vector<ChosenGroup> groups;
    std::optional<std::string> problem;
    explicit operator bool() const { return !problem; }
};

// The groups of the kinds given that the choice takes, in the file's order with
// each group's further languages after its first: without a language, the first
// language of each (every one with allLanguages); with one, the groups that have
// it. Where the file's images cap stopped its reading, that group and the rest of
// its kind are left out; a group that failed otherwise (at a cap of its own, cut
// off) is taken, and says why when it is written.
// When the choice names groups or a language that the file does not have: why,
// with the IDs, names or languages it has.
GroupsChosen chooseGroups(pellimar_file* file, const std::vector<int32_t>& kinds,
                          const GroupChoice& choice);

// "1031/de-DE", or the number alone where the table has no tag for it.
std::string languageText(std::uint16_t language);

// "id:5 lang:1031/de-DE" or "name:\"MAIN\"": what list prints after an icon's
// position (empty for the group of an icon file).
std::string identityText(const pellimar_group* group);

// The identity as JSON members: ", \"kind\": \"icon\", \"id\": 5, \"language\":
// {\"id\": 1031, \"tag\": \"de-DE\"}" (name a string; no id or name, language null
// where the file has none).
std::string identityJson(const pellimar_group* group);

// "icon 3" or "cursor 0", and with `withLanguage` its language where it has one
// ("icon 3 (lang:1031/de-DE)"): how messages name a group.
std::string groupText(const pellimar_group* group, bool withLanguage = false);

}  // namespace pellimar::cli
