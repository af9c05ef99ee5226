// The settings file through the real private-profile calls, the wide ones:
// the start path may name a directory in any script.

#include "platform/Profile.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/Faults.h"
#include "platform/File.h"
#include "platform/NativeFile.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Wide.h"

namespace kestrove::platform {

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The profile calls keep a file in the encoding it has, and make a new one in
// the code page of the system, where a name such as "Łukasz" may have no
// letters. A file that starts with the UTF-16 byte order mark keeps every
// character: a file is made so, or turned so (its text read as the calls
// read it), before a text outside ASCII goes in.
bool MakeUnicode(const std::string& file) {
    std::string bytes;
    if (FileExists(file)) {
        auto in = File::Open(file, OpenMode::ReadBinaryThroughLinks);
        if (!in)
            return false;
        char chunk[4096];
        for (std::size_t n; (n = in->Read(chunk, sizeof chunk)) > 0;)
            bytes.append(chunk, n);
        if (in->ReadFailed())
            return false;
        if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
            static_cast<unsigned char>(bytes[1]) == 0xFE)
            return true;
    }
    std::wstring text;
    if (!bytes.empty()) {
        const bool utf8 = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
        const std::string_view body = std::string_view(bytes).substr(utf8 ? 3 : 0);
        const UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
        const int n = MultiByteToWideChar(codePage, 0, body.data(), static_cast<int>(body.size()),
                                          nullptr, 0);
        text.resize(static_cast<std::size_t>(n));
        MultiByteToWideChar(codePage, 0, body.data(), static_cast<int>(body.size()), text.data(),
                            n);
    }
    auto out = File::Open(file, OpenMode::WriteBinary);
    if (!out)
        return false;
    std::string encoded = "\xFF\xFE";
    for (wchar_t c : text) {
        encoded += static_cast<char>(c & 0xFF);
        encoded += static_cast<char>((c >> 8) & 0xFF);
    }
    return out->Write(encoded.data(), encoded.size()) && out->Close();
}

}  // namespace

std::string ProfileReadString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, const std::string& file) {
    wchar_t buffer[kProfileValueMax + 1];
    DWORD length = GetPrivateProfileStringW(
        win32::Wide(section).c_str(), win32::Wide(key).c_str(), win32::Wide(defaultValue).c_str(),
        buffer, static_cast<DWORD>(std::size(buffer)), win32::Wide(file).c_str());
    return win32::Utf8(std::wstring_view(buffer, length));
}

bool ProfileWriteString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& file) {
    if (faults::Hit(faults::Op::Write, file)) {
        SetLastErrorText(std::string(faults::kInjectedFaultText));
        return false;
    }
    if (!(IsAscii(section) && IsAscii(key) && IsAscii(value)) && !MakeUnicode(file))
        return false;
    if (!WritePrivateProfileStringW(win32::Wide(section).c_str(), win32::Wide(key).c_str(),
                                    win32::Wide(value).c_str(), win32::Wide(file).c_str())) {
        win32::RecordLastError();
        return false;
    }
    return true;
}

}  // namespace kestrove::platform
