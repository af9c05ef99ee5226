// The text of the platform layer's last failure; both implementations set it.
#include "platform/File.h"
#include "platform/NativeFile.h"

namespace kestrove::platform {

namespace {
std::string& ErrorText() {
    static std::string text;
    return text;
}
}  // namespace

void SetLastErrorText(std::string text) {
    ErrorText() = std::move(text);
}

std::string LastErrorText() {
    return ErrorText();
}

}  // namespace kestrove::platform
