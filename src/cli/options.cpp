#include "cli/options.h"

#include <charconv>
#include <cstring>

namespace pellimar::cli {

namespace {

const Option* findShort(const std::vector<Option>& options, char c) {
    for (const Option& s : options)
        if (s.shortName != 0 && s.shortName == c) return &s;
    return nullptr;
}

// The option a long name stands for: an exact name, or the only name it begins.
const Option* findLong(const std::vector<Option>& options, const std::string& name,
                       std::string& error) {
    const Option* found = nullptr;
    int prefixMatches = 0;
    for (const Option& s : options) {
        const std::string full = s.longName;
        if (full == name) return &s;
        if (full.compare(0, name.size(), name) == 0) {
            found = &s;
            ++prefixMatches;
        }
    }
    if (prefixMatches == 1) return found;
    error = (prefixMatches == 0 ? "unknown option --" : "ambiguous option --") + name;
    return nullptr;
}

}  // namespace

std::optional<std::string> ParsedArgs::last(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end() || it->second.empty()) return std::nullopt;
    return it->second.back();
}

ParsedArgs parseArgs(const std::vector<std::string>& args, const std::vector<Option>& options) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            parsed.operands.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a[1] == '-') {
            const std::size_t eq = a.find('=');
            const std::string name =
                a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
            const Option* option = findLong(options, name, parsed.error);
            if (!option) return parsed;
            const std::string full = std::string("--") + option->longName;
            if (!option->takesValue) {
                if (eq != std::string::npos) {
                    parsed.error = full + " takes no value";
                    return parsed;
                }
                parsed.values[option->longName].push_back({});
            } else if (eq != std::string::npos) {
                parsed.values[option->longName].push_back(a.substr(eq + 1));
            } else if (i + 1 < args.size()) {
                parsed.values[option->longName].push_back(args[++i]);
            } else {
                parsed.error = full + " needs a value";
                return parsed;
            }
            continue;
        }
        // One or more single-letter options; one that takes a value takes the rest.
        for (std::size_t k = 1; k < a.size(); ++k) {
            const Option* option = findShort(options, a[k]);
            if (!option) {
                parsed.error = std::string("unknown option -") + a[k];
                return parsed;
            }
            if (!option->takesValue) {
                parsed.values[option->longName].push_back({});
                continue;
            }
            if (k + 1 < a.size()) {
                parsed.values[option->longName].push_back(a.substr(k + 1));
            } else if (i + 1 < args.size()) {
                parsed.values[option->longName].push_back(args[++i]);
            } else {
                parsed.error = std::string("-") + a[k] + " needs a value";
                return parsed;
            }
            break;
        }
    }
    return parsed;
}

}  // namespace pellimar::cli

namespace pellimar::cli {

std::optional<int> readCommandLine(const std::vector<std::string>& args,
                                   std::vector<Option> options, const CommandText& text,
                                   std::ostream& out, std::ostream& err, ParsedArgs& parsed) {
    options.push_back({"help", 'h', false});
    parsed = parseArgs(args, options);
    if (!parsed.error.empty()) return usageError(text, parsed.error, err);
    if (parsed.has("help")) {
        out << text.usage << "\n" << text.help;
        return 0;
    }
    return std::nullopt;
}

int usageError(const CommandText& text, const std::string& why, std::ostream& err) {
    err << "pellimar-cli " << text.name << ": " << why << "\n"
        << text.usage << "\n"
        << "Try 'pellimar-cli " << text.name << " --help' for more.\n";
    return 2;
}

std::optional<int> parseNumber(const std::string& text, int low, int high) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

std::string systemReason(int error) {
    return std::strerror(error);
}

std::string reasonOf(const pellimar_failure* failure) {
    if (!failure) return "out of memory";
    const pellimar_status code = pellimar_failure_code(failure);
    if (pellimar_failure_errno(failure) != 0 && *pellimar_failure_context(failure) == '\0' &&
        (code == PELLIMAR_CANNOT_OPEN || code == PELLIMAR_READ_FAILED))
        return systemReason(pellimar_failure_errno(failure));
    return pellimar_failure_message(failure);
}

}  // namespace pellimar::cli
