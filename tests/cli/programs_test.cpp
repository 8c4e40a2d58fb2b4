// The built programs: clients of libpellimar that load neither Qt nor ICU, and
// hold none of the reader themselves.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/extract_cli.h"
#include "lib/pellimar.h"

namespace {

// What `command` prints on its standard output.
std::string outputOf(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
        ::pclose(pipe);
    }
    return text;
}

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CliPrograms, LoadTheLibraryAndNeitherQtNorIcu) {
    for (const char* program : {PELLIMAR_CLI_PROGRAM, PELLIMAR_THUMBNAILER_PROGRAM}) {
        SCOPED_TRACE(program);
        const std::string libraries = outputOf(std::string("ldd '") + program + "'");
        ASSERT_TRUE(holds(libraries, "libc.so")) << libraries;
        EXPECT_TRUE(holds(libraries, "libpellimar.so.1 => ")) << libraries;
        EXPECT_FALSE(holds(libraries, "not found")) << libraries;
        EXPECT_FALSE(holds(libraries, "libQt")) << libraries;
        EXPECT_FALSE(holds(libraries, "libicu")) << libraries;
        // The reader is the library's: the program takes its functions from it
        // instead of holding a copy of the platform layer.
        const std::string imports =
            outputOf(std::string("nm -D --undefined-only '") + program + "'");
        EXPECT_TRUE(holds(imports, " pellimar_open_path")) << imports;
        const std::string own = outputOf(std::string("nm -C '") + program + "'");
        ASSERT_TRUE(holds(own, "main")) << "no symbols to look at";
        EXPECT_FALSE(holds(own, "pellimar::IconSet::")) << "the reader is linked in";
        EXPECT_FALSE(holds(own, "pellimar::writeFile")) << "the writer is linked in";
    }
}

// The help of extract states the cap of what one input may make it write.
TEST(CliPrograms, ExtractsHelpStatesTheLibrarysOutputCap) {
    EXPECT_EQ(pellimar_output_cap(0), 256ull << 20);
    EXPECT_EQ(pellimar_output_cap(4ull << 20), 256ull << 20);
    EXPECT_EQ(pellimar_output_cap(10ull << 20), 640ull << 20);
    EXPECT_TRUE(holds(pellimar::cli::kExtractCommand.help, "at most 256 MB, or 64 times its size"));
}

// The same for the budget of pixels one input may have decoded and made.
TEST(CliPrograms, ExtractsHelpStatesTheLibrarysPixelBudget) {
    EXPECT_EQ(pellimar_pixel_budget(0), 128000000ull);
    EXPECT_EQ(pellimar_pixel_budget(8000000), 128000000ull);
    EXPECT_EQ(pellimar_pixel_budget(10000000), 160000000ull);
    EXPECT_TRUE(holds(pellimar::cli::kExtractCommand.help,
                      "at most 128 million pixels, or 16 a byte of\nits size when that is more"));
}

}  // namespace
