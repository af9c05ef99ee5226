#pragma once
// The optional text log of a run, opened by "Save Log File".

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestrove {

namespace platform {
class File;
}
class WindowPort;

class RunLog {
  public:
    RunLog();
    ~RunLog();
    // Opens (empties) the file in text mode; on success it replaces a log
    // that was open before, which is closed. On failure the earlier log, if
    // any, stays open.
    bool Open(const std::string& path);
    bool IsOpen() const;
    // Writes the text when the log is open; nothing otherwise. A write that
    // fails is reported once (see Reporter) and closes the log: a log with
    // a hole in it would read as a complete record.
    void Write(std::string_view text);
    void Close();
    const std::string& path() const { return path_; }
    // True once a write or the close of the log last opened has failed.
    bool Failed() const { return failed_; }

    // Where a failed write is reported while a command that writes the log
    // runs; a failure met with nobody to tell is reported when the next
    // command starts.
    class Reporter {
      public:
        Reporter(RunLog& log, WindowPort& port);
        ~Reporter();
        Reporter(const Reporter&) = delete;
        Reporter& operator=(const Reporter&) = delete;

      private:
        RunLog& log_;
        WindowPort* before_;
    };

  private:
    void Fail();
    void ReportPending();

    std::unique_ptr<platform::File> file_;
    std::string path_;
    bool failed_ = false;
    std::optional<std::string> pending_;  // a failure not yet reported
    WindowPort* port_ = nullptr;
};

}  // namespace kestrove
