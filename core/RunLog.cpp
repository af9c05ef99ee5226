#include "core/RunLog.h"

#include "platform/File.h"

namespace kestrove {

RunLog::RunLog() = default;

RunLog::~RunLog() {
    Close();
}

bool RunLog::Open(const std::string& path) {
    auto file = platform::File::Open(path, platform::OpenMode::WriteText);
    if (!file)
        return false;
    Close();
    file_ = std::move(file);
    path_ = path;
    return true;
}

bool RunLog::IsOpen() const {
    return file_ != nullptr;
}

void RunLog::Write(std::string_view text) {
    if (!file_)
        return;
    // Each line reaches the system at once, so a log ends where the run did.
    file_->WriteString(text);
    file_->Flush();
}

void RunLog::Close() {
    if (file_)
        file_->Close();
    file_.reset();
    path_.clear();
}

}  // namespace kestrove
