// kestrove-cli's writer on Windows: a console gets its characters through
// the console's wide call, a pipe or a file the UTF-8 bytes.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "cli/Console.h"

namespace kestrove::cli {
namespace {

// "Carol Müller" from a mail file, then user directories of a path.
const std::string kMailText =
    "Carol M\xFC"
    "ller";
const std::string kNames =
    " \xC5\x81ukasz \xCE\x95\xCE\xBB\xCE\xAD\xCE\xBD\xCE\xB7 "
    "\xD0\xAE\xD1\x80\xD0\xB8\xD0\xB9";
const std::wstring kShown =
    L"Carol M\u00FCller \u0141ukasz \u0395\u03BB\u03AD\u03BD\u03B7 "
    L"\u042E\u0440\u0438\u0439";

TEST(WindowsConsole, APipeGetsUtf8Bytes) {
    HANDLE reader = nullptr, writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
    const std::string text = ForConsole(kMailText) + kNames + "\n";
    WriteToHandle(writer, text);
    CloseHandle(writer);
    std::string got;
    char buffer[256];
    DWORD n = 0;
    while (ReadFile(reader, buffer, sizeof buffer, &n, nullptr) && n > 0)
        got.append(buffer, n);
    CloseHandle(reader);
    EXPECT_EQ(got, "Carol M\xC3\xBCller" + kNames + "\n");
}

TEST(WindowsConsole, AConsoleShowsTheCharactersAsWritten) {
    // A console of our own; the test's own output keeps its handles.
    struct OwnConsole {
        HANDLE in = GetStdHandle(STD_INPUT_HANDLE), out = GetStdHandle(STD_OUTPUT_HANDLE),
               err = GetStdHandle(STD_ERROR_HANDLE);
        ~OwnConsole() {
            FreeConsole();
            SetStdHandle(STD_INPUT_HANDLE, in);
            SetStdHandle(STD_OUTPUT_HANDLE, out);
            SetStdHandle(STD_ERROR_HANDLE, err);
        }
    } own;
    FreeConsole();
    if (!AllocConsole())
        GTEST_SKIP() << "no console can be made here (error " << GetLastError() << ")";
    HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(console, INVALID_HANDLE_VALUE);
    // Whatever code page the console has, the characters arrive.
    SetConsoleOutputCP(437);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &info));
    const COORD at = info.dwCursorPosition;
    WriteToHandle(console, ForConsole(kMailText) + kNames);
    std::wstring shown(kShown.size(), L'\0');
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleOutputCharacterW(console, shown.data(), static_cast<DWORD>(shown.size()),
                                            at, &read));
    shown.resize(read);
    EXPECT_EQ(shown, kShown);
    CloseHandle(console);
}

}  // namespace
}  // namespace kestrove::cli

#endif  // _WIN32
