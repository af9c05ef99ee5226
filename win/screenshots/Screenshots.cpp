// Photographs every window of the Windows program on sample folders, for
// docs/windows/. Runs under wine in a virtual desktop (scripts/
// screenshots-windows.sh), which draws the frames; each window is copied
// from the screen into NAME.bmp in the directory given.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/MessageFlag.h"
#include "tests/support/FolderBuilder.h"
#include "win/Dialogs.h"
#include "win/Program.h"

using namespace kestrove;
using namespace kestrove::testing;
using namespace kestrove::win;

namespace {

std::string outDir;

void Settle() {
    for (int i = 0; i < 6; ++i) {
        Form::PumpMessages();
        Sleep(60);
    }
}

bool Save(HWND window, const char* name) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Settle();
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER bi{};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    const int stride = (w * 3 + 3) & ~3;
    std::string pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h), '\0');
    GetDIBits(mem, bmp, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi),
              DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER bf{};
    bf.bfType = 0x4D42;
    bf.bfOffBits = sizeof bf + sizeof bi;
    bf.bfSize = bf.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(outDir + "\\" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&bf), sizeof bf);
    out.write(reinterpret_cast<const char*>(&bi), sizeof bi);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    std::printf("%s\n", name);
    return static_cast<bool>(out);
}

// A modal window photographed while it shows, then closed.
void SaveNextModal(const char* name) {
    Form::SetModalHook([name](Form& form) {
        Form::SetModalHook({});
        ShowWindow(form.hwnd(), SW_SHOW);
        Save(form.hwnd(), name);
    });
}

FolderBuilder Inbox() {
    struct M {
        const char *from, *subject, *date;
        std::uint32_t flags;
        int repeat;
    };
    const M messages[] = {
        {"Alice Smith", "Quarterly figures", "12 Mar 24 09:14", kReadBit, 1},
        {"Bob Jones", "Lunch on Friday?", "12 Mar 24 11:02", 0, 0},
        {"Carol White", "Old newsletter", "01 Feb 24 08:00", kDeletedBit, 0},
        {"Dave Brown", "Re: Project plan", "13 Mar 24 16:45", kReadBit, 2},
        {"Eve Adams", "Invoice 2024-117", "14 Mar 24 08:30", 0, 0},
        {"Frank Miller", "Meeting notes", "14 Mar 24 10:00", kReadBit, 0},
        {"Grace Lee", "Holiday photos", "15 Mar 24 19:20", kDeletedBit | kReadBit, 0},
        {"Alice Smith", "Budget draft", "16 Mar 24 09:05", 0, 1},
        {"Henry Ford", "Conference schedule", "17 Mar 24 14:10", kReadBit, 0},
        {"Ivy Chen", "Welcome aboard", "18 Mar 24 08:00", 0, 0},
    };
    FolderBuilder b(HeaderSpec{"Inbox", {}, {}, 0, "65F0A1B2:0001:INBOX001", {}});
    int t = 1710234840;
    for (const M& m : messages) {
        for (int k = 0; k <= m.repeat; ++k)
            b.Add(Msg(m.from, m.subject, m.date, t, std::string("Text of ") + m.subject, m.flags));
        t += 3600;
    }
    return b;
}

FolderBuilder Simple(const char* name, int count, int start) {
    FolderBuilder b(HeaderSpec{name, {}, {}, 0, "65F0A1B2:0002:FOLDER01", {}});
    const char* senders[] = {"Alice Smith", "Bob Jones", "Carol White", "Dave Brown"};
    for (int i = 0; i < count; ++i)
        b.Add(Msg(senders[i % 4], std::string(name) + " " + std::to_string(i + 1),
                  "19 Mar 24 10:00", start + i * 60, "Text " + std::to_string(i), kReadBit));
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kestrove-win-screenshots OUTDIR\n");
        return 2;
    }
    outDir = argv[1];
    InitControls();
    const std::string root = "C:\\Mail";
    std::filesystem::remove_all("C:/Mail");
    for (const char* user : {"alice", "bob", "carol", "dave"})
        std::filesystem::create_directories(std::string("C:/Mail/") + user);
    const std::string alice = root + "\\alice";
    Inbox().Write(alice + "\\INBOX.PMI");
    Simple("Sent Mail", 6, 1710300000).Write(alice + "\\SENT.PMI");
    Simple("Archive 2023", 12, 1690000000).Write(alice + "\\ARCHIVE.PMI");
    Simple("Friends", 4, 1710400000).Write(alice + "\\FRIENDS.PMI");
    Simple("Old Projects", 5, 1680000000).Write(alice + "\\OLDPROJ.PMI");
    std::filesystem::rename("C:/Mail/alice/OLDPROJ.PMI", "C:/Mail/alice/OLDPROJ.BKI");
    std::filesystem::rename("C:/Mail/alice/OLDPROJ.PMM", "C:/Mail/alice/OLDPROJ.BKM");
    const std::string ini = root + "\\Kestrove.INI";
    std::ofstream(ini) << "[Startup]\r\nPath=" << alice << "\r\n[Options]\r\nRunCheck=1\r\n";

    const auto forms = CreateForms(ini);
    TForm1& f = *forms->Form1;
    ShowWindow(f.hwnd(), SW_SHOW);
    Settle();

    // Normal Mode with files chosen.
    f.SelectEntries(kFileListBox1, {2});
    f.ListClick(kFileListBox1);
    f.Click(kBtnMoveAllFiles);
    Save(f.hwnd(), "main-normal");

    // The viewer, on INBOX.
    const auto selected = f.Entries(kListBox1);
    for (std::size_t i = 0; i < selected.size(); ++i)
        if (selected[i].find("INBOX") != std::string::npos)
            f.SelectEntries(kListBox1, {static_cast<int>(i)});
    f.ListClick(kListBox1);
    SaveNextModal("viewer");
    f.ListDoubleClick(kListBox1);

    // The statistics and the folder names.
    SaveNextModal("statistics");
    f.Click(kBtnGetStats);
    SaveNextModal("folders");
    f.Click(kFileNames);

    // A run, photographed in its middle.
    bool shot = false;
    f.SetPumpHook([&](int pump) {
        if (pump == 12 && !shot) {
            shot = true;
            f.FlushDisplay();
            Save(f.hwnd(), "main-run");
        }
    });
    f.Click(kRunButton);
    f.SetPumpHook({});

    // Backup Mode.
    f.Choose(kBackupModeItem);
    f.SelectEntries(kFileListBox1, {0});
    f.ListClick(kFileListBox1);
    f.Click(kBtnMoveFile);
    Save(f.hwnd(), "main-backup");

    // Network Mode one level up, two users chosen.
    f.SetDirectory(root);
    f.Choose(kNetworkModeItem);
    f.SelectEntries(kListBox2, {0, 1});
    f.ListClick(kListBox2);
    Save(f.hwnd(), "main-network");

    // The settings windows and About.
    SaveNextModal("set-drives");
    f.Choose(kN5);
    SaveNextModal("options");
    f.Choose(kSetOptions1);
    SaveNextModal("about");
    f.Choose(kAbout1);
    return 0;
}
