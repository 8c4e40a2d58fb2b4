// The program's conventions: options read the GNU way, help and version on
// standard output, usage errors on standard error with status 2.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <sstream>

#include "cli/json_text.h"
#include "cli/options.h"
#include "cli/program.h"

using namespace pellimar::cli;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

Result run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Result r;
    r.status = runProgram(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

const std::vector<Option> kOptions = {
    {"out", 'o', true}, {"format", 'f', true}, {"recursive", 'r', false}, {"json", 'j', false}};

}  // namespace

TEST(Options, OperandsAndOptionsInAnyOrderWithEveryGnuSpelling) {
    ParsedArgs p = parseArgs(
        {"a.dll", "--out=dir", "-rj", "b.dll", "--form", "png", "-fico", "-", "--", "--json"},
        kOptions);
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.operands, (std::vector<std::string>{"a.dll", "b.dll", "-", "--json"}));
    EXPECT_EQ(p.last("out"), "dir");
    EXPECT_EQ(p.last("format"), "ico");  // the later one wins
    EXPECT_EQ(p.values.at("format").size(), 2u);
    EXPECT_TRUE(p.has("recursive"));
    EXPECT_EQ(p.values.at("json").size(), 1u);  // the one after "--" is an operand

    p = parseArgs({"-o", "x", "-r"}, kOptions);
    EXPECT_EQ(p.error, "");
    EXPECT_EQ(p.last("out"), "x");
    p = parseArgs({"-o", "-"}, kOptions);  // a value may be "-"
    EXPECT_EQ(p.last("out"), "-");
    p = parseArgs({"--out="}, kOptions);  // an empty value is a value
    EXPECT_EQ(p.last("out"), "");
}

TEST(Options, WhatCannotBeReadIsNamed) {
    EXPECT_EQ(parseArgs({"--colour", "red"}, kOptions).error, "unknown option --colour");
    EXPECT_EQ(parseArgs({"-x"}, kOptions).error, "unknown option -x");
    EXPECT_EQ(parseArgs({"-rx"}, kOptions).error, "unknown option -x");
    EXPECT_EQ(parseArgs({"--out"}, kOptions).error, "--out needs a value");
    EXPECT_EQ(parseArgs({"-ro"}, kOptions).error, "-o needs a value");
    EXPECT_EQ(parseArgs({"--json=yes"}, kOptions).error, "--json takes no value");
    // "--f" could be --format only; "--" + "" is the end of the options, but "--=x"
    // names every option at once.
    EXPECT_EQ(parseArgs({"--f", "png"}, kOptions).last("format"), "png");
    EXPECT_EQ(parseArgs({"--=x"}, kOptions).error, "ambiguous option --");
    const std::vector<Option> close = {{"size", 's', true}, {"sizes", 0, true}};
    EXPECT_EQ(parseArgs({"--siz", "1"}, close).error, "ambiguous option --siz");
    EXPECT_EQ(parseArgs({"--size", "1"}, close).last("size"), "1");  // exact names win
}

TEST(Options, NumbersAreWholeAndInRange) {
    EXPECT_EQ(parseNumber("32", 1, 1024), 32);
    EXPECT_EQ(parseNumber("1024", 1, 1024), 1024);
    for (const char* bad : {"", "0", "1025", "-1", "+3", "3x", " 3", "99999999999"})
        EXPECT_FALSE(parseNumber(bad, 1, 1024)) << bad;
}

TEST(Program, HelpAndVersionGoToStandardOutputWithStatusZero) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--help"}, {"-h"}}) {
        Result r = run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out.rfind("usage: pellimar-cli COMMAND", 0), 0u) << r.out;
        for (const char* command : {"list", "draw", "save", "extract"})
            EXPECT_NE(r.out.find(std::string("  ") + command + " "), std::string::npos) << command;
    }
    for (const char* command : {"list", "draw", "save", "extract"}) {
        for (const char* help : {"--help", "-h"}) {
            // An option that cannot be read is an error even beside --help; any
            // other argument given with it is left alone.
            Result r = run({command, "x.dll", help, "--no-such-thing-after"});
            EXPECT_EQ(r.status, 2) << command;
            r = run({command, "x.dll", help});
            EXPECT_EQ(r.status, 0) << command;
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out.rfind(std::string("usage: pellimar-cli ") + command, 0), 0u);
            EXPECT_NE(r.out.find("Exit status"), std::string::npos) << command;
        }
    }
    for (const char* version : {"--version", "-V"}) {
        Result r = run({version});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, versionText() + "\n");
        EXPECT_EQ(r.out, std::string("pellimar-cli ") + PELLIMAR_TEST_VERSION + "\n");
    }
}

TEST(Program, BadArgumentsGiveTheUsageOnStandardErrorWithStatusTwo) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"bogus"}, {"--bogus"}, {"-x"}, {"list", "--bogus", "a.dll"}, {"extract"}}) {
        Result r = run(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: pellimar-cli"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--help' for more"), std::string::npos) << r.err;
    }
}

TEST(JsonText, EscapesAndAlwaysGivesValidText) {
    EXPECT_EQ(jsonString("a\"b\\c\n\t\x01/"), "\"a\\\"b\\\\c\\n\\t\\u0001/\"");
    EXPECT_EQ(jsonString("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
              "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"");  // valid UTF-8 stays
    // Stray, cut-off, overlong and surrogate sequences: one U+FFFD per byte.
    EXPECT_EQ(jsonString("a\xFF"), "\"a\xEF\xBF\xBD\"");
    EXPECT_EQ(jsonString("\xC3"), "\"\xEF\xBF\xBD\"");
    EXPECT_EQ(jsonString("\xC0\xAF"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
    EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");
    const std::string all = [] {
        std::string s;
        for (int c = 1; c < 256; ++c) s += char(c);
        return s;
    }();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray::fromStdString("{\"name\": " + jsonString(all) + "}"), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(doc.object()["name"].toString().left(127).toStdString(), all.substr(0, 127));
}
