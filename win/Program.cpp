#include "win/Program.h"

#include <exception>

#include "core/Settings.h"
#include "platform/File.h"
#include "win/Dialogs.h"

namespace kestrove::win {

Forms::~Forms() {
    Form6.reset();
    Form5.reset();
    Form4.reset();
    Form3.reset();
    Form2.reset();
    AboutBox.reset();
    Form1.reset();
}

void InitControls() {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
    InitCommonControlsEx(&icc);
}

std::unique_ptr<Forms> CreateForms(const std::string& settingsFile) {
    auto forms = std::make_unique<Forms>();
    forms->Form1 = std::make_unique<TForm1>(settingsFile);
    TForm1& main = *forms->Form1;
    forms->AboutBox = std::make_unique<TAboutBox>(main.hwnd(), settingsFile);
    forms->Form2 = std::make_unique<TForm2>(main.state(), main.hwnd());
    forms->Form3 = std::make_unique<TForm3>(main, main.hwnd());
    forms->Form4 = std::make_unique<TForm4>(main.state(), main, main.hwnd());
    forms->Form5 = std::make_unique<TForm5>(main.state(), main, main.hwnd());
    forms->Form6 = std::make_unique<TForm6>(main.state(), main.hwnd());
    main.SetForms(forms.get());
    return forms;
}

int RunProgram() {
    InitControls();
    try {
        const auto forms = CreateForms(ProgramSettingsFile(platform::ExecutablePath()));
        forms->Form1->QuitOnClose(true);
        ShowWindow(forms->Form1->hwnd(), SW_SHOW);
        UpdateWindow(forms->Form1->hwnd());
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            HWND top = GetAncestor(msg.hwnd, GA_ROOT);
            if (!top || !IsDialogMessageW(top, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    } catch (const std::exception& e) {
        ShowMessage(nullptr, e.what(), "Kestrove", Icon::Stop, Buttons::Ok);
    }
    return 0;
}

}  // namespace kestrove::win
