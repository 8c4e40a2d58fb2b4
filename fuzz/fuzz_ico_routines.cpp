// libFuzzer target for the viewer's file-based icon-file routines: cutting one
// image out of an icon file (and writing it) and reading an image's size and depth.
#include <cstddef>
#include <cstdint>

#include "export/ico_routines.h"
#include "fuzz_target_file.h"

using namespace pellimar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = fuzzing::writeInput(data, size, "input.ico");
    const auto out = (fuzzing::scratchFolder() / "cut.ico").string();
    for (int number : {0, 1, 2, 7, 65535}) {
        (void)icoImageInfoTexts(file, number);
        if (auto cut = copyIcoImage(file, number, number == 2 ? out : std::string())) {
            // What was cut is a one-image icon file the routines read again.
            auto again =
                icoImageInfoTexts(fuzzing::writeInput(cut->data(), cut->size(), "again.ico"), 1);
            (void)again;
        }
    }
    return 0;
}
