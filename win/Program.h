#pragma once
// Start-up: the seven windows in their order of creation, and the event loop.

#include <memory>
#include <string>

#include "win/Forms.h"
#include "win/TForm1.h"

namespace kestrove::win {

struct Forms {
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TAboutBox> AboutBox;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm3> Form3;
    std::unique_ptr<TForm4> Form4;
    std::unique_ptr<TForm5> Form5;
    std::unique_ptr<TForm6> Form6;
    Forms() = default;
    Forms(Forms&&) = default;
    ~Forms();  // the owned windows first, the main window last
};

// The common controls (v6, through the manifest) ready for use.
void InitControls();
// Builds every window; `settingsFile` is the INI beside the executable.
std::unique_ptr<Forms> CreateForms(const std::string& settingsFile);
// The program: start-up, the event loop until the main window closes.
int RunProgram();

}  // namespace kestrove::win
