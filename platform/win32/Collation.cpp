// Collation in the user's locale through the system.

#include "platform/Text.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace kestrove::platform {

int CollateCompare(std::string_view a, std::string_view b) {
    const int lengthA = static_cast<int>(std::min<std::size_t>(a.size(), INT_MAX));
    const int lengthB = static_cast<int>(std::min<std::size_t>(b.size(), INT_MAX));
    // An empty view may have no storage; the call wants a pointer anyway.
    const char* textA = a.empty() ? "" : a.data();
    const char* textB = b.empty() ? "" : b.data();
    int result = CompareStringA(LOCALE_USER_DEFAULT, 0, textA, lengthA, textB, lengthB);
    if (result == 0) {
        // The call failed (it does not for valid lengths): keep an order.
        return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    }
    return result - CSTR_EQUAL;  // CSTR_LESS_THAN, CSTR_EQUAL, CSTR_GREATER are 1, 2, 3
}

}  // namespace kestrove::platform
