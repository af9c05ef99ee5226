#pragma once
// The Windows program's windows on folders made for one test: a settings
// file that starts in the test's mail directory, the boxes and choosers
// answered through the injected script, modal windows looked at by a hook
// instead of a loop of their own.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"
#include "win/Dialogs.h"
#include "win/Program.h"

namespace kestrove::testing {

struct WinWorld {
    WinWorld();
    ~WinWorld();
    WinWorld(const WinWorld&) = delete;
    WinWorld& operator=(const WinWorld&) = delete;

    TempDir dir;
    std::string mail;  // dir\Mail, the start directory
    std::string ini;   // the settings file
    win::DialogScript script;

    void WriteIni(const char* section, const char* key, const std::string& value) const;
    std::string ReadIni(const char* section, const char* key) const;
    // A folder of `messages` messages, the last `repeats` of them repeating
    // the one before.
    void Folder(const std::string& indexPath, int messages, int repeats = 0) const;
    std::unique_ptr<win::Forms> Open() const;
    // Runs `look` on the next modal window instead of its loop (once).
    void OnModal(std::function<void(win::Form&)> look);
    bool modalSeen = false;
};

// Every entry of a list selected, then ">".
void SelectAll(win::TForm1& f);

}  // namespace kestrove::testing
