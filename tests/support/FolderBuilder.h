#pragma once
// Writes a folder (PMI/PMM pair) from a compact description, so tests state
// the case rather than bytes. Also gives the bytes a rewrite that keeps some
// of the records must produce. No GoogleTest here: the benchmarks use it too.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/IndexRecord.h"
#include "core/MessageFile.h"

namespace kestrove::testing {

// Where a text's Ctrl-Z lies.
enum class CtrlZ {
    After,   // right after the fsize bytes (as the mail client writes them)
    Inside,  // the last of the fsize bytes
    None,    // no Ctrl-Z at all
};

struct MessageSpec {
    std::uint32_t flags = 0;
    std::optional<std::uint32_t> fpos;        // empty: where the text is put
    std::optional<std::uint16_t> msg_number;  // empty: the record's position
    std::string fname, from, subject, date;   // cut to their field widths
    std::int8_t color = 0;
    std::int32_t mtime = 0;
    std::optional<std::int32_t> fsize;  // empty: the text's length by its ending
    std::uint8_t byte106 = 0, byte107 = 0, byte109 = 0;
    std::string text;  // without its Ctrl-Z
    CtrlZ ending = CtrlZ::After;
    bool writeText = true;  // false: the record only, no text in the message file
    std::string before;     // raw bytes put into the message file before the text
    // Bytes of the record set last, over everything else (offset, value).
    std::vector<std::pair<std::size_t, std::uint8_t>> raw;
};

// A message with the fields the duplicate scan compares.
MessageSpec Msg(std::string from, std::string subject, std::string date, std::int32_t mtime,
                std::string text, std::uint32_t flags = 0);

struct HeaderSpec {
    std::string name = "Folder";          // cut to 50 bytes
    std::optional<std::int16_t> unread;   // empty: counted from the records
    std::optional<std::int16_t> deleted;  // empty: counted from the records
    std::int32_t delsize = 0;
    std::string id = "12345678:0001:FOL00001";  // cut to 22 bytes
    // Bytes of the header set last (offset, value), e.g. uninterpreted ones.
    std::vector<std::pair<std::size_t, std::uint8_t>> raw;
};

struct FolderBytes {
    std::vector<std::uint8_t> pmi;
    std::vector<std::uint8_t> pmm;
};

class FolderBuilder {
  public:
    FolderBuilder() = default;
    explicit FolderBuilder(HeaderSpec header) : header_(std::move(header)) {}

    HeaderSpec& header() { return header_; }
    std::vector<MessageSpec>& messages() { return messages_; }
    const std::vector<MessageSpec>& messages() const { return messages_; }

    FolderBuilder& Add(MessageSpec message);
    // Raw bytes after the last record (e.g. a partial record) and after the
    // last text of the message file.
    FolderBuilder& IndexTail(std::string bytes);
    FolderBuilder& MessageTail(std::string bytes);
    // Cuts the message file to `length` bytes (a short header, a lost tail).
    FolderBuilder& MessageFileLength(std::size_t length);

    FolderBytes Build() const;
    IndexRecord Record(int i) const;
    MessageFileHeader Header() const;

    // Writes the index file at `indexPath` and the message file beside it
    // (MessageFileName). False when a file could not be written.
    bool Write(const std::string& indexPath) const;

    // The pair a rewrite keeping the records `kept` (in that order) gives:
    // records renumbered from 0 with new fpos from 128, each text copied from
    // its fpos through the Ctrl-Z that ends it (the Ctrl-Z at the fsize-th
    // byte or later, as the copy rules find it), header deleted and delsize 0
    // and unread the kept records' count (UnreadCount).
    FolderBytes Rewritten(const std::vector<int>& kept) const;

  private:
    HeaderSpec header_;
    std::vector<MessageSpec> messages_;
    std::string indexTail_, messageTail_;
    std::optional<std::size_t> messageLength_;
};

// 1 when the index counts the record as unread: neither read nor deleted.
int UnreadCount(const IndexRecord& record);

// The bytes a text spends in the message file for the copy rules: from
// `fpos`, at least max(fsize, 1) bytes, then up to and including the first
// Ctrl-Z; less where the file ends.
std::vector<std::uint8_t> CopiedText(const std::vector<std::uint8_t>& pmm, std::int64_t fpos,
                                     std::int32_t fsize);

// Whole files through the platform layer.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool WriteFileBytes(const std::string& path, std::string_view bytes);

}  // namespace kestrove::testing
