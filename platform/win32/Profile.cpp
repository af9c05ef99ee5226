// The settings file through the real private-profile calls.

#include "platform/Profile.h"

#include <windows.h>

#include "platform/Faults.h"
#include "platform/NativeFile.h"
#include "platform/win32/SystemError.h"

namespace kestrove::platform {

std::string ProfileReadString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, const std::string& file) {
    const std::string sectionText(section), keyText(key), defaultText(defaultValue);
    char buffer[kProfileValueMax + 1];
    DWORD length =
        GetPrivateProfileStringA(sectionText.c_str(), keyText.c_str(), defaultText.c_str(), buffer,
                                 sizeof buffer, file.c_str());
    return std::string(buffer, length);
}

bool ProfileWriteString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& file) {
    if (faults::Hit(faults::Op::Write, file)) {
        SetLastErrorText(std::string(faults::kInjectedFaultText));
        return false;
    }
    const std::string sectionText(section), keyText(key), valueText(value);
    if (!WritePrivateProfileStringA(sectionText.c_str(), keyText.c_str(), valueText.c_str(),
                                    file.c_str())) {
        win32::RecordLastError();
        return false;
    }
    return true;
}

}  // namespace kestrove::platform
