#include "win/Dialogs.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include "core/Format.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "win/Controls.h"

namespace kestrove::win {

namespace {

DialogScript*& Script() {
    static DialogScript* script = nullptr;
    return script;
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED)
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

}  // namespace

void SetDialogScript(DialogScript* script) {
    Script() = script;
}

DialogScript* CurrentDialogScript() {
    return Script();
}

UINT MessageBoxStyle(Icon icon, Buttons buttons, DefaultButton byDefault) {
    UINT style = MB_TASKMODAL;
    switch (icon) {
        case Icon::Stop:
            style |= MB_ICONSTOP;
            break;
        case Icon::Exclamation:
            style |= MB_ICONEXCLAMATION;
            break;
        case Icon::Information:
            style |= MB_ICONINFORMATION;
            break;
    }
    switch (buttons) {
        case Buttons::Ok:
            style |= MB_OK;
            break;
        case Buttons::OkCancel:
            style |= MB_OKCANCEL;
            break;
        case Buttons::YesNoCancel:
            style |= MB_YESNOCANCEL;
            break;
    }
    if (byDefault == DefaultButton::Cancel)
        style |= buttons == Buttons::YesNoCancel ? MB_DEFBUTTON3 : MB_DEFBUTTON2;
    return style;
}

Answer ShowMessage(HWND owner, const std::string& text, const std::string& title, Icon icon,
                   Buttons buttons, DefaultButton byDefault) {
    const UINT style = MessageBoxStyle(icon, buttons, byDefault);
    if (DialogScript* s = Script()) {
        s->shown.push_back({text, title, icon, buttons, style});
        if (s->answers.empty()) {
            s->failures.push_back("unscripted box \"" + title + "\": " + text);
            return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
        }
        const Answer a = s->answers.front();
        s->answers.pop_front();
        return a;
    }
    switch (MessageBoxA(owner, text.c_str(), title.c_str(), style)) {
        case IDOK:
            return Answer::Ok;
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

// The extension is the engine's to add (LogFileName), by the filter chosen.
std::optional<SaveChoice> ChooseSaveFile(HWND owner, const char* title, std::string_view filter,
                                         const std::string& startDirectory) {
    if (DialogScript* s = Script()) {
        s->saveFileStarts.push_back(startDirectory);
        if (s->saveFiles.empty()) {
            s->failures.push_back("unscripted save-file dialog");
            return std::nullopt;
        }
        auto a = s->saveFiles.front();
        s->saveFiles.pop_front();
        return a;
    }
    const std::string filters = DialogFilter(filter);
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title;
    ofn.lpstrInitialDir = startDirectory.empty() ? nullptr : startDirectory.c_str();
    ofn.nFilterIndex = 1;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&ofn))
        return std::nullopt;
    return SaveChoice{file, ofn.nFilterIndex > 0 ? static_cast<int>(ofn.nFilterIndex) - 1 : 0};
}

std::optional<std::string> ChooseDirectory(HWND owner, const std::string& start) {
    if (DialogScript* s = Script()) {
        if (s->directories.empty()) {
            s->failures.push_back("unscripted directory chooser");
            return std::nullopt;
        }
        auto a = s->directories.front();
        s->directories.pop_front();
        return a;
    }
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char name[MAX_PATH] = "";
    BROWSEINFOA bi{};
    bi.hwndOwner = owner;
    bi.pszDisplayName = name;
    bi.lpszTitle = "Move Backup Files To";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    bi.lpfn = BrowseCallback;
    bi.lParam = reinterpret_cast<LPARAM>(start.c_str());
    std::optional<std::string> chosen;
    if (PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&bi)) {
        char path[MAX_PATH] = "";
        if (SHGetPathFromIDListA(list, path))
            chosen = path;
        CoTaskMemFree(list);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return chosen;
}

bool OpenHelp(HWND owner, bool index) {
    const std::string exe = platform::ExecutablePath();
    const std::string file = platform::JoinPath(platform::DirectoryPart(exe), kHelpHtml);
    if (!platform::FileExists(file)) {
        ShowMessage(owner, Format("Cannot Open File: %s", file.c_str()), "File Error", Icon::Stop,
                    Buttons::Ok);
        return false;
    }
    if (Script())
        return true;
    // A file URL carries the anchor of the index; a plain path could not.
    std::string url = "file:///" + file;
    for (char& c : url)
        if (c == '\\')
            c = '/';
    if (index)
        url += "#index";
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(owner, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        ShellExecuteA(owner, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
}

}  // namespace kestrove::win
