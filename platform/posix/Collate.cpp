// Locale-aware collation through ICU, case-sensitive (tertiary strength).
#include <unicode/ucol.h>

#include <clocale>
#include <memory>
#include <string>

#include "platform/Text.h"

namespace kestrove::platform {

namespace {

struct CollatorClose {
    void operator()(UCollator* c) const { ucol_close(c); }
};

// The ICU locale of the process's collation locale: "de_DE.UTF-8@euro"
// gives "de_DE"; "C" and "POSIX" give the language-neutral root.
std::string IcuLocaleName() {
    const char* current = std::setlocale(LC_COLLATE, nullptr);
    std::string name = current ? current : "C";
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX")
        return "";  // root
    return name;
}

UCollator* Collator() {
    static std::string cachedName;
    static std::unique_ptr<UCollator, CollatorClose> cached;
    static bool made = false;
    std::string name = IcuLocaleName();
    if (!made || name != cachedName) {
        UErrorCode status = U_ZERO_ERROR;
        UCollator* collator = ucol_open(name.c_str(), &status);
        if (U_FAILURE(status)) {
            status = U_ZERO_ERROR;
            collator = ucol_open("", &status);
        }
        if (collator)
            ucol_setStrength(collator, UCOL_TERTIARY);
        cached.reset(collator);
        cachedName = name;
        made = true;
    }
    return cached.get();
}

}  // namespace

int CollateCompare(std::string_view a, std::string_view b) {
    std::string x = Cp1252ToUtf8(a), y = Cp1252ToUtf8(b);
    UCollator* collator = Collator();
    if (collator) {
        UErrorCode status = U_ZERO_ERROR;
        UCollationResult r = ucol_strcollUTF8(collator, x.data(), static_cast<int32_t>(x.size()),
                                              y.data(), static_cast<int32_t>(y.size()), &status);
        if (U_SUCCESS(status))
            return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
    }
    int c = x.compare(y);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace kestrove::platform
