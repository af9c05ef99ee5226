#pragma once
// Start-up: the seven windows, created once in their order.

#include <memory>
#include <string>

namespace kestrove {

class TAboutBox;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;

struct Forms {
    std::unique_ptr<TForm1> Form1;  // owns the others
    TAboutBox* AboutBox = nullptr;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;
    TForm5* Form5 = nullptr;
    TForm6* Form6 = nullptr;
};

// Main window, About, index viewer, Set Drives, Other Options, folder name
// list, statistics; each constructed now, in this order.
Forms CreateForms(const std::string& settingsFile);

// The program: help file and title, the windows, the event loop until the
// main window closes. Returns 0.
int RunProgram(int argc, char** argv);

}  // namespace kestrove
