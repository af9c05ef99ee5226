#pragma once
// Buffered files and the file-system operations the program needs.
//
// Every path is a Windows path text (see Paths.h). Failures are reported as
// values (false, -1, nullptr); LastErrorText() says why in the operating
// system's words.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrove::platform {

// A user controls what lies in their own mail directory, and a run by an
// administrator reaches every user's. So every file of a mail directory is
// read with ReadBinary and made with CreateBinary, which never follow a
// link; the modes that follow one are for files the user named.
enum class OpenMode {
    ReadBinary,  // existing file, read only; a link is refused, not followed
    // As ReadBinary, but a link is followed: the settings file, which may
    // well be a link into the user's own store of settings.
    ReadBinaryThroughLinks,
    WriteBinary,   // created, or emptied when it exists; a link is followed
    WriteText,     // as WriteBinary; "\n" becomes CR LF on Windows
    CreateBinary,  // a new file only: fails when the name exists in any form,
                   // a link (even one to nothing) included; follows nothing
};

class NativeFile;  // the operating system's handle, per platform

// A buffered file. Reads and writes go through one buffer; Seek and Tell see
// the logical position. The destructor closes the file (without reporting).
//
// A failed write either fails at the call, with the bytes before the failing
// one taken and Tell() right after them, or fails because the system refused
// bytes taken earlier: those stay in the buffer (HasRefusedBytes), are tried
// again at the next flush, and the file holds exactly the bytes the system
// accepted; never a gap, never bytes dropped.
class File {
  public:
    // Regular files only: a pipe, a device or a directory is refused (it
    // could block or never end) and LastErrorText() says so; so is a link
    // where the mode follows none ("Is a link").
    static std::unique_ptr<File> Open(const std::string& path, OpenMode mode);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Reads up to n bytes; returns how many were read (less at the end or on
    // an error; ReadFailed tells which).
    std::size_t Read(void* buffer, std::size_t n);
    int ReadByte();  // 0..255, or -1 at the end or on an error
    // The last Read or ReadByte stopped at an error, not at the end; or the
    // last Seek of a file open for reading failed.
    bool ReadFailed() const { return readFailed_; }

    bool Write(const void* data, std::size_t n);
    bool WriteByte(std::uint8_t byte);
    bool WriteString(std::string_view text);  // text mode translation applies

    bool Seek(std::int64_t position);  // from the start of the file
    std::int64_t Tell();               // -1 when it cannot be obtained
    std::int64_t Length();             // -1 when it cannot be obtained

    bool Flush();  // buffer to the operating system
    bool Sync();   // Flush, then to the disk
    bool Close();  // Flush and close; false when either failed
    // Cuts a file open for writing to `length` bytes and puts the position
    // there.
    bool Truncate(std::int64_t length);
    // Bytes taken by Write that the system refused at a flush; they cannot
    // be pinned to the call that gave them.
    bool HasRefusedBytes() const { return refused_ && bufferPos_ > 0; }

    const std::string& path() const { return path_; }
    bool isOpen() const;

  private:
    File(std::string path, OpenMode mode, std::unique_ptr<NativeFile> native);
    bool FillReadBuffer();
    bool FlushWriteBuffer();
    // The system calls with the test faults of their level applied.
    std::int64_t SystemRead(void* buffer, std::size_t n);
    bool SystemWrite(const std::uint8_t* data, std::size_t n, std::size_t& accepted);

    std::string path_;
    OpenMode mode_;
    bool reading_;  // a read mode
    std::unique_ptr<NativeFile> native_;
    std::vector<std::uint8_t> buffer_;
    std::size_t bufferPos_ = 0;     // next byte in buffer_
    std::size_t bufferFill_ = 0;    // valid bytes in buffer_ (read side)
    bool writing_ = false;          // buffer_ holds unwritten bytes
    std::int64_t bufferStart_ = 0;  // file position of buffer_[0]
    bool refused_ = false;          // the last flush left bytes in buffer_
    bool readFailed_ = false;
};

struct DirEntry {
    std::string name;  // the name as stored on disk
    // What the entry leads to (for a link: what it points at).
    bool isDirectory = false;
    // The name itself is a link (IsLink); 0x400 is set in the attributes.
    // Wine's search shows a link to a file as that file: IsLink tells.
    bool isLink = false;
    std::uint32_t attributes = 0;  // Windows attribute bits (0x10 = directory)
};

bool FileExists(const std::string& path);       // a file, not a directory
bool DirectoryExists(const std::string& path);  // "C:\" included
// A regular file (links followed): not a directory, pipe, device or socket.
bool IsRegularFile(const std::string& path);
// The name itself is a link: a symbolic link (one that leads nowhere
// included), or on Windows a reparse point that stands for another name (a
// symbolic link, a junction). Nothing is followed. Other reparse points
// (deduplicated or cloud files) hold their own data and are no links.
bool IsLink(const std::string& path);
// Removes the name: a link goes itself, never what it points at.
bool RemoveFile(const std::string& path);
// What tells one existing file or directory from every other, whatever path
// reaches it (another spelling, letter case, link or mount): the device and
// inode, or the volume and file index. Empty when the path names nothing.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    auto operator<=>(const FileIdentity&) const = default;
};
std::optional<FileIdentity> IdentityOf(const std::string& path);
// Which file a path names now, its length and the time of its last write
// (in the system's own unit): equal stamps say that nobody has written,
// replaced or truncated the file in between. Empty, with LastErrorText,
// when the path names no file or cannot be looked at.
struct FileStamp {
    FileIdentity identity;
    std::int64_t length = 0;
    std::int64_t modified = 0;
    bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> StampOf(const std::string& path);
// True when both paths name one existing file or directory.
bool IsSameFile(const std::string& a, const std::string& b);
// Renames a file; never replaces an existing file, also not one that exists
// under another letter case (on POSIX also when it is the file itself under
// another case), nor a link at the target name. A link is renamed itself,
// never followed. A file is moved to another file system by copying.
bool RenameNoReplace(const std::string& from, const std::string& to);
// Renames each pair in turn as RenameNoReplace does, but looks every name up
// before the first rename, so that the renames follow one another as fast as
// the system allows (a name that an earlier pair frees is looked up as it
// was). Stops at the first that fails, with LastErrorText; returns how many
// were done.
std::size_t RenameEachNoReplace(const std::vector<std::pair<std::string, std::string>>& renames);
// The wildcard search: `pattern` is a directory, a separator and a mask such
// as "*.pmi", "*.lck" or "*.*". Reports files and directories alike, "." and
// ".." included where the system reports them, matching without regard to
// case. An empty result when nothing matches or the directory is missing.
// On POSIX the attributes are 0x10 (directory) or 0x20 (file), with 0x01
// for a file its owner may not write and 0x02 for a name starting with a
// dot; the entries come "." and ".." first, then by name without regard to
// case.
std::vector<DirEntry> FindFiles(const std::string& pattern);
// The names on disk, in the directory of `path`, that answer to its file
// name without regard to letter case (on POSIX there can be several, e.g.
// INBOX.PMM and inbox.pmm); sorted. Empty when there is none.
std::vector<std::string> NamesAnswering(const std::string& path);
// True where two names that differ only in letter case are two files
// (POSIX); false where they name one (Windows).
bool CaseSensitiveNames();
bool SyncDirectory(const std::string& directory);
// Gives `to` the permission bits of `from`, and its owner and group where
// the process may do so. False only when the permissions could not be set;
// also when either name is a link, which is never followed (an owner given
// through a link would hand the file it points at to another user).
bool CopyPermissions(const std::string& from, const std::string& to);
// The running program's own path, as a Windows path text. On POSIX when no
// drive covers it: "Z:" and the native path with backslashes, the name Wine
// gives it, so that messages naming the settings file still read sensibly.
std::string ExecutablePath();
// POSIX: the directory where the program `program` keeps the user's
// settings, as a Windows path text: `program` in $XDG_CONFIG_HOME when that
// is an absolute path, else in ~/.config. Through the drive that covers it
// (FromNativeMappingRoot). Nothing is made on disk. Windows: empty; settings
// live beside the executable there.
std::optional<std::string> UserConfigDirectory(std::string_view program);
// Makes `directory` and its missing parents; false when one could not be
// made. On POSIX the new ones are private to the user (0700), as the
// settings of a desktop program are.
bool CreateDirectories(const std::string& directory);
// The last failure of this layer, in words.
std::string LastErrorText();

}  // namespace kestrove::platform
