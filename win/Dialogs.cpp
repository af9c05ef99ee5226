#include "win/Dialogs.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "core/Format.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "platform/win32/Wide.h"
#include "win/Controls.h"

namespace kestrove::win {

namespace {

DialogScript*& Script() {
    static DialogScript* script = nullptr;
    return script;
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED)
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
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
    switch (MessageBoxW(owner, platform::win32::Wide(text).c_str(),
                        platform::win32::Wide(title).c_str(), style)) {
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
    const std::string narrowFilters = DialogFilter(filter);
    const std::wstring filters = platform::win32::Wide(narrowFilters);
    const std::wstring caption = platform::win32::Wide(title);
    const std::wstring start = platform::win32::Wide(startDirectory);
    std::wstring file(32768, L'\0');  // the longest path Windows has
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = caption.c_str();
    ofn.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
    ofn.nFilterIndex = 1;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn))
        return std::nullopt;
    return SaveChoice{platform::win32::Utf8(file.c_str()),
                      ofn.nFilterIndex > 0 ? static_cast<int>(ofn.nFilterIndex) - 1 : 0};
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
    wchar_t name[MAX_PATH] = L"";
    const std::wstring startWide = platform::win32::Wide(start);
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.pszDisplayName = name;
    bi.lpszTitle = L"Move Backup Files To";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    bi.lpfn = BrowseCallback;
    bi.lParam = reinterpret_cast<LPARAM>(startWide.c_str());
    std::optional<std::string> chosen;
    if (PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&bi)) {
        wchar_t path[MAX_PATH] = L"";
        if (SHGetPathFromIDListW(list, path))
            chosen = platform::win32::Utf8(path);
        CoTaskMemFree(list);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return chosen;
}

namespace {

// "file:///C:/dir/Kestrove.html": the bytes of the UTF-8 path that a URL
// cannot hold as they are written in %XX.
std::string FileUrl(std::string_view path) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string url = "file:///";
    for (char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\') {
            url += '/';
        } else if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                   std::string_view("-._~/:").find(c) != std::string_view::npos) {
            url += c;
        } else {
            url += '%';
            url += kHex[b >> 4];
            url += kHex[b & 15];
        }
    }
    return url;
}

// The program that opens .html pages; empty when none is set up.
std::wstring HtmlBrowser() {
    wchar_t program[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    if (AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_EXECUTABLE, L".html", L"open", program,
                          &size) != S_OK)
        return {};
    // A handler run through rundll32 would take the URL for its own
    // arguments and start without showing anything.
    const wchar_t* name = PathFindFileNameW(program);
    if (lstrcmpiW(name, L"rundll32.exe") == 0)
        return {};
    return program;
}

// ShellExecuteW's result (above 32 when the program started). With a test
// script nothing starts: the launch is recorded and gets the script's result.
INT_PTR Launch(HWND owner, const std::wstring& program, const std::wstring& parameters) {
    if (DialogScript* s = Script()) {
        std::string launch = platform::win32::Utf8(program);
        if (!parameters.empty())
            launch += " " + platform::win32::Utf8(parameters);
        s->launches.push_back(launch);
        return s->launchResult;
    }
    return reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", program.c_str(),
                      parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL));
}

}  // namespace

bool OpenHelp(HWND owner, bool index) {
    const std::string exe = platform::ExecutablePath();
    const std::string file = platform::JoinPath(platform::DirectoryPart(exe), kHelpHtml);
    if (!platform::FileExists(file)) {
        ShowMessage(owner, Format("Cannot Open File: %s", file.c_str()), "File Error", Icon::Stop,
                    Buttons::Ok);
        return false;
    }
    // Opened as a document, the page opens at its top whatever anchor its
    // URL carries: the browser itself is given the URL with the anchor.
    const std::wstring url =
        platform::win32::Wide(FileUrl(file) + (index ? "#index" : "#contents"));
    const std::wstring browser = HtmlBrowser();
    if (!browser.empty() && Launch(owner, browser, L"\"" + url + L"\"") > 32)
        return true;
    if (Launch(owner, url, {}) > 32)
        return true;
    ShowMessage(owner, kNoBrowserText + file, "Kestrove Help", Icon::Exclamation, Buttons::Ok);
    return false;
}

}  // namespace kestrove::win
