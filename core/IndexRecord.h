#pragma once
// One 118-byte record of an index file (.PMI) or backup index file (.BKI),
// and the one in-memory table of a folder's records.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "core/Bytes.h"

namespace kestrove {

namespace platform {
class File;
}

inline constexpr std::size_t kRecordSize = 118;
inline constexpr int MAXMSG = 35000;

// Field offsets and widths within a record.
namespace rec {
inline constexpr std::size_t kFlags = 0, kFpos = 4, kMsgNumber = 8;
inline constexpr std::size_t kFname = 10, kFnameWidth = 14;
inline constexpr std::size_t kFrom = 24, kFromWidth = 30;
inline constexpr std::size_t kSubject = 54, kSubjectWidth = 36;
inline constexpr std::size_t kDate = 90, kDateWidth = 16;
inline constexpr std::size_t kColor = 108, kMtime = 110, kFsize = 114;
}  // namespace rec

// The record's bytes exactly as read; fields are decoded on access, so bytes
// the program does not interpret (106, 107, 109) are carried unchanged.
struct IndexRecord {
    std::array<std::uint8_t, kRecordSize> bytes{};

    std::uint32_t flags() const { return GetU32(&bytes[rec::kFlags]); }
    std::uint32_t fpos() const { return GetU32(&bytes[rec::kFpos]); }
    std::int32_t fposSigned() const { return GetI32(&bytes[rec::kFpos]); }
    std::uint16_t msg_number() const { return GetU16(&bytes[rec::kMsgNumber]); }
    std::string_view fname() const { return FieldText(&bytes[rec::kFname], rec::kFnameWidth); }
    std::string_view from() const { return FieldText(&bytes[rec::kFrom], rec::kFromWidth); }
    std::string_view subject() const {
        return FieldText(&bytes[rec::kSubject], rec::kSubjectWidth);
    }
    std::string_view date() const { return FieldText(&bytes[rec::kDate], rec::kDateWidth); }
    std::int8_t color() const { return static_cast<std::int8_t>(bytes[rec::kColor]); }
    std::int32_t mtime() const { return GetI32(&bytes[rec::kMtime]); }
    std::int32_t fsize() const { return GetI32(&bytes[rec::kFsize]); }

    void set_flags(std::uint32_t v) { PutU32(&bytes[rec::kFlags], v); }
    void set_fpos(std::uint32_t v) { PutU32(&bytes[rec::kFpos], v); }
    void set_msg_number(std::uint16_t v) { PutU16(&bytes[rec::kMsgNumber], v); }
    void set_mtime(std::int32_t v) { PutI32(&bytes[rec::kMtime], v); }
    void set_fsize(std::int32_t v) { PutI32(&bytes[rec::kFsize], v); }

    bool HasFlag(std::uint32_t value) const { return (flags() & value) == value; }

    // Reads one whole record from the file's position; false when the file
    // ends before 118 bytes (a trailing partial record is not a record).
    bool ReadFrom(platform::File& file);
    bool WriteTo(platform::File& file) const;
};
static_assert(sizeof(IndexRecord) == kRecordSize);

// How many records a loop over an open index file may read: the whole
// records its length holds when it was opened, so a file that grows while
// it is read still ends; MAXMSG when the length cannot be obtained.
std::int64_t RecordLimit(platform::File& file);

// The one table: MAXMSG slots of 118 bytes and a count of filled slots.
// Allocated once (4,130,000 bytes); nothing is allocated per record.
class MessageTable {
  public:
    MessageTable();
    IndexRecord& operator[](int i) { return slots_[static_cast<std::size_t>(i)]; }
    const IndexRecord& operator[](int i) const { return slots_[static_cast<std::size_t>(i)]; }
    IndexRecord* begin() { return slots_.get(); }
    IndexRecord* end() { return slots_.get() + count; }
    const IndexRecord* begin() const { return slots_.get(); }
    const IndexRecord* end() const { return slots_.get() + count; }

    std::int32_t count = 0;

  private:
    std::unique_ptr<IndexRecord[]> slots_;
};

// The six orderings: three-way comparisons of two slots.
using Ordering = int (*)(const IndexRecord&, const IndexRecord&);
int CompareTimeSize(const IndexRecord& a, const IndexRecord& b);
int CompareTimeSizeDesc(const IndexRecord& a, const IndexRecord& b);
int CompareSize(const IndexRecord& a, const IndexRecord& b);
int CompareSizeDesc(const IndexRecord& a, const IndexRecord& b);
// The two text orderings read the text at the `from` position up to its NUL,
// past the field's width but never past the slot.
int CompareFrom(const IndexRecord& a, const IndexRecord& b);
int CompareFromDesc(const IndexRecord& a, const IndexRecord& b);

// Sorts slots 0 .. count-1 in place (not stable).
void SortTable(MessageTable& table, Ordering ordering);

}  // namespace kestrove
