#include "qt/Program.h"

#include <QApplication>
#include <QIcon>
#include <exception>

#include "core/Settings.h"
#include "platform/File.h"
#include "qt/Accessible.h"
#include "qt/Dialogs.h"
#include "qt/TAboutBox.h"
#include "qt/TForm1.h"
#include "qt/TForm2.h"
#include "qt/TForm3.h"
#include "qt/TForm4.h"
#include "qt/TForm5.h"
#include "qt/TForm6.h"
#include "qt/Widgets.h"

namespace kestrove {

Forms CreateForms(const std::string& settingsFile) {
    UseProgramStyle();
    InstallAccessibility();
    Forms forms;
    forms.Form1 = std::make_unique<TForm1>(settingsFile);
    TForm1* main = forms.Form1.get();
    forms.AboutBox = new TAboutBox(settingsFile, main);
    forms.Form2 = new TForm2(main->state(), main);
    forms.Form3 = new TForm3(*main, main);
    forms.Form4 = new TForm4(main->state(), main);
    forms.Form5 = new TForm5(main->state(), *main, main);
    forms.Form6 = new TForm6(main->state(), main);
    main->SetForms(forms.AboutBox, forms.Form2, forms.Form3, forms.Form4, forms.Form5, forms.Form6);
    return forms;
}

int RunProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    try {
        // The help file beside the executable; the main window names its
        // own ("Kestrove.hlp") when it is built.
        QApplication::setApplicationName(QStringLiteral("Kestrove"));
        QApplication::setDesktopFileName(QStringLiteral("kestrove"));
        // The installed icon, from the icon theme (none when run from the build).
        QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("kestrove")));
        const std::string exe = platform::ExecutablePath();
        const std::string settingsFile = ProgramSettingsFile(exe);
        // Without its directory every settings write fails: say why at
        // once; the program still runs on the defaults.
        if (auto error = PrepareSettingsDirectory(settingsFile))
            Dialogs::Error(nullptr, error->message);
        Forms forms = CreateForms(settingsFile);
        forms.Form1->show();
        app.exec();
    } catch (const std::exception& e) {
        Dialogs::Error(nullptr, e.what());
    }
    return 0;
}

}  // namespace kestrove
