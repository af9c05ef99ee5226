#include "core/RunLog.h"

#include "core/Format.h"
#include "core/Reason.h"
#include "core/WindowPort.h"
#include "platform/File.h"

namespace kestrove {

RunLog::RunLog() = default;

RunLog::~RunLog() {
    if (file_)
        file_->Close();
}

bool RunLog::Open(const std::string& path) {
    auto file = platform::File::Open(path, platform::OpenMode::WriteText);
    if (!file)
        return false;
    Close();
    file_ = std::move(file);
    path_ = path;
    failed_ = false;
    return true;
}

bool RunLog::IsOpen() const {
    return file_ != nullptr;
}

void RunLog::Write(std::string_view text) {
    if (!file_)
        return;
    // Each line reaches the system at once, so a log ends where the run did.
    if (!file_->WriteString(text) || !file_->Flush())
        Fail();
}

void RunLog::Close() {
    if (file_ && !file_->Close())
        Fail();
    file_.reset();
    path_.clear();
}

void RunLog::Fail() {
    pending_ = WithSystemReason(
        Format("Cannot write to file %s - the log is closed.", file_->path().c_str()));
    failed_ = true;
    file_.reset();
    path_.clear();
    ReportPending();
}

void RunLog::ReportPending() {
    if (!pending_ || !port_)
        return;
    const std::string text = std::move(*pending_);
    pending_.reset();
    port_->MessageDialog(text, "File Error", Icon::Stop, Buttons::Ok);
}

RunLog::Reporter::Reporter(RunLog& log, WindowPort& port) : log_(log), before_(log.port_) {
    log.port_ = &port;
    log.ReportPending();
}

RunLog::Reporter::~Reporter() {
    log_.port_ = before_;
}

}  // namespace kestrove
