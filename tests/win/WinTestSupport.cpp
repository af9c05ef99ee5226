#include "tests/win/WinTestSupport.h"

#include "core/Settings.h"
#include "platform/File.h"

namespace kestrove::testing {

WinWorld::WinWorld() : mail(dir / "Mail"), ini(dir / "Kestrove.INI") {
    std::filesystem::create_directories(dir.Native("Mail"));
    WriteIni("Startup", "Path", mail);
    win::SetDialogScript(&script);
    win::Form::SetModalHook({});
}

WinWorld::~WinWorld() {
    win::SetDialogScript(nullptr);
    win::Form::SetModalHook({});
    for (const auto& f : script.failures)
        ADD_FAILURE() << f;
    EXPECT_TRUE(script.answers.empty()) << script.answers.size() << " scripted answers left";
}

void WinWorld::WriteIni(const char* section, const char* key, const std::string& value) const {
    ASSERT_FALSE(IniFile(ini).WriteString(section, key, value).has_value());
}

std::string WinWorld::ReadIni(const char* section, const char* key) const {
    return IniFile(ini).ReadString(section, key, "");
}

void WinWorld::Folder(const std::string& indexPath, int messages, int repeats) const {
    FolderBuilder b;
    for (int i = 0; i < messages; ++i) {
        const int n = i >= messages - repeats ? i - 1 : i;
        const int k = std::max(0, std::min(n, messages - repeats - 1));
        b.Add(Msg("sender" + std::to_string(k) + "@example.net", "Subject " + std::to_string(k),
                  "01 Mar 24 10:00", 1709287200 + k, "Text of message " + std::to_string(k)));
    }
    ASSERT_TRUE(b.Write(indexPath));
}

std::unique_ptr<win::Forms> WinWorld::Open() const {
    return win::CreateForms(ini);
}

void WinWorld::OnModal(std::function<void(win::Form&)> look) {
    modalSeen = false;
    win::Form::SetModalHook([this, look](win::Form& form) {
        modalSeen = true;
        win::Form::SetModalHook({});
        look(form);
    });
}

void SelectAll(win::TForm1& f) {
    f.Click(win::kBtnMoveAllFiles);
}

}  // namespace kestrove::testing
