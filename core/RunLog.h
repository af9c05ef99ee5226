#pragma once
// The optional text log of a run, opened by "Save Log File".

#include <memory>
#include <string>
#include <string_view>

namespace kestrove {

namespace platform {
class File;
}

class RunLog {
  public:
    RunLog();
    ~RunLog();
    // Opens (empties) the file in text mode; on success it replaces a log
    // that was open before, which is closed. On failure the earlier log, if
    // any, stays open.
    bool Open(const std::string& path);
    bool IsOpen() const;
    // Writes the text when the log is open; nothing otherwise.
    void Write(std::string_view text);
    void Close();
    const std::string& path() const { return path_; }

  private:
    std::unique_ptr<platform::File> file_;
    std::string path_;
};

}  // namespace kestrove
