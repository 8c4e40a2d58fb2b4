// A scratch folder tree for the folder scan's tests, removed at the end.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace pellimar::test {

class ScratchTree {
  public:
    ScratchTree() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pellimar-scan-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
    }
    ~ScratchTree() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    ScratchTree(const ScratchTree&) = delete;
    ScratchTree& operator=(const ScratchTree&) = delete;

    const std::filesystem::path& root() const { return root_; }

    std::filesystem::path folder(const std::string& rel) {
        std::filesystem::create_directories(root_ / rel);
        return root_ / rel;
    }
    std::filesystem::path file(const std::string& rel, const std::string& bytes = "x") {
        std::filesystem::create_directories((root_ / rel).parent_path());
        std::ofstream(root_ / rel, std::ios::binary) << bytes;
        return root_ / rel;
    }
    std::filesystem::path file(const std::string& rel, const std::vector<std::uint8_t>& bytes) {
        std::filesystem::create_directories((root_ / rel).parent_path());
        std::ofstream(root_ / rel, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return root_ / rel;
    }
    void link(const std::string& rel, const std::string& target) {
        std::filesystem::create_symlink(target, root_ / rel);
    }

    // The names of a folder's entries in the order the file system lists them.
    std::vector<std::string> listingOrder(const std::string& rel) const {
        std::vector<std::string> names;
        DIR* dir = ::opendir((root_ / rel).c_str());
        if (dir == nullptr) return names;
        while (const dirent* e = ::readdir(dir)) names.emplace_back(e->d_name);
        ::closedir(dir);
        return names;
    }

  private:
    std::filesystem::path root_;
};

}  // namespace pellimar::test
