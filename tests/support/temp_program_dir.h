// A temporary program folder and configuration folder for one test: the program
// looks for its own files there and keeps its settings there.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/paths.h"

namespace pellimar::test {

class TempProgramDir {
  public:
    explicit TempProgramDir(const std::string& tag) {
        root_ = std::filesystem::temp_directory_path() /
                ("pellimar-" + tag + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "program");
        std::filesystem::create_directories(root_ / "config");
        const char* old = std::getenv("XDG_CONFIG_HOME");
        oldConfig_ = old ? old : "";
        hadConfig_ = old != nullptr;
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        setProgramDir(program());
    }
    ~TempProgramDir() {
        setProgramDir({});
        if (hadConfig_)
            setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    std::filesystem::path root() const { return root_; }
    std::filesystem::path program() const { return root_ / "program"; }
    std::filesystem::path config() const { return root_ / "config" / "pellimar"; }

    // Makes the program folder unwritable even for root: it lies below a plain file.
    void makeProgramDirUnwritable() {
        std::ofstream(root_ / "plain") << "not a folder";
        setProgramDir(root_ / "plain" / "program");
    }
    // Points the configuration folder below a plain file as well.
    void makeConfigUnwritable() {
        std::ofstream(root_ / "plain") << "not a folder";
        setenv("XDG_CONFIG_HOME", (root_ / "plain" / "config").c_str(), 1);
    }

    static void writeFile(const std::filesystem::path& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }
    static std::string readFile(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

  private:
    std::filesystem::path root_;
    std::string oldConfig_;
    bool hadConfig_ = false;
};

}  // namespace pellimar::test
