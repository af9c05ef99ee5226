// Collation in the user's locale through the system.

#include "platform/Text.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "platform/win32/Wide.h"

namespace kestrove::platform {

int CollateCompare(std::string_view a, std::string_view b) {
    // The texts are Windows-1252 whatever the system's code page is.
    const std::wstring wideA = win32::WideFrom1252(a), wideB = win32::WideFrom1252(b);
    const int lengthA = static_cast<int>(std::min<std::size_t>(wideA.size(), INT_MAX));
    const int lengthB = static_cast<int>(std::min<std::size_t>(wideB.size(), INT_MAX));
    int result =
        CompareStringW(LOCALE_USER_DEFAULT, 0, wideA.c_str(), lengthA, wideB.c_str(), lengthB);
    if (result == 0) {
        // The call failed (it does not for valid lengths): keep an order.
        return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    }
    return result - CSTR_EQUAL;  // CSTR_LESS_THAN, CSTR_EQUAL, CSTR_GREATER are 1, 2, 3
}

}  // namespace kestrove::platform
