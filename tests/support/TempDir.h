#pragma once
// A fresh directory for one test, named by a Windows path text, removed
// with everything in it at the end. On POSIX it is a temporary directory
// mapped to a drive letter (path() is "D:"); on Windows it is a directory
// under the temporary directory (path() is its full path). No GoogleTest
// here: the benchmarks use it too.

#include <filesystem>
#include <string>
#include <string_view>

namespace kestrove::testing {

class TempDir {
  public:
    // `letter`: the drive the directory stands for on POSIX.
    explicit TempDir(char letter = 'D');
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory as a Windows path text, without a trailing separator.
    const std::string& path() const { return path_; }
    // path() and `name` joined with one backslash.
    std::string operator/(std::string_view name) const;
    // The directory, or a file in it, on the machine: for what the tests do
    // behind the platform layer's back (permissions, links, odd names).
    std::filesystem::path Native(std::string_view relative = {}) const;
    char letter() const { return letter_; }

  private:
    char letter_;
    std::filesystem::path native_;
    std::string path_;
};

// Makes `link` a symbolic link holding `target` (a path relative to the
// link's directory, with "/" between components), as `ln -s` does; a link
// to a directory when `directory`. False where this system cannot make one:
// Windows without the right to, or Wine, whose own call makes nothing (there
// the link is made by the Unix `ln` itself).
bool MakeLink(const std::string& target, const std::filesystem::path& link, bool directory = false);

}  // namespace kestrove::testing
