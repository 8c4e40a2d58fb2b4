// Command-line options read the GNU way: options and operands in any order,
// "--name value", "--name=value", unique prefixes of long names, "-x value",
// "-xvalue", single-letter flags grouped ("-rj"), "--" ending the options, and
// "-" alone taken as an operand (standard input or output).
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "lib/pellimar.h"

namespace pellimar::cli {

struct Option {
    const char* longName;  // without the dashes
    char shortName;        // 0 for none
    bool takesValue;
};

struct ParsedArgs {
    // Every value given, by long name, in command-line order; flags record "".
    std::map<std::string, std::vector<std::string>> values;
    std::vector<std::string> operands;
    // Empty when the arguments could be read; otherwise what is wrong with them.
    std::string error;

    bool has(const std::string& name) const { return values.count(name) != 0; }
    // The last value given for `name` (a later option overrides an earlier one).
    std::optional<std::string> last(const std::string& name) const;
};

ParsedArgs parseArgs(const std::vector<std::string>& args, const std::vector<Option>& options);

}  // namespace pellimar::cli

namespace pellimar::cli {

// What a command says about itself: its name, its usage line(s), and the rest of
// its help (what it does, its options, its exit status).
struct CommandText {
    const char* name;
    const char* usage;
    const char* help;
};

// Reads a command's arguments with its options and -h/--help. A status to exit
// with when the command is done already: 0 after its help went to `out`, 2 after
// a usage error went to `err`; nothing when the command goes on with `parsed`.
std::optional<int> readCommandLine(const std::vector<std::string>& args,
                                   std::vector<Option> options, const CommandText& text,
                                   std::ostream& out, std::ostream& err, ParsedArgs& parsed);

// Names what is wrong on `err`, then the usage and where to find more; returns 2.
int usageError(const CommandText& text, const std::string& why, std::ostream& err);

// A whole decimal number from `low` to `high`; nothing for anything else.
std::optional<int> parseNumber(const std::string& text, int low, int high);

// The system's reason for error number `error` ("No such file or directory").
std::string systemReason(int error);

// What a failure says after "cannot read FILE: ": the system's reason when the
// system failed ("No such file or directory"), else the failure's message.
std::string reasonOf(const pellimar_failure* failure);

}  // namespace pellimar::cli
