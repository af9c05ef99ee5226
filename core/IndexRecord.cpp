#include "core/IndexRecord.h"

#include <algorithm>

#include "platform/File.h"
#include "platform/Text.h"

namespace kestrove {

bool IndexRecord::ReadFrom(platform::File& file) {
    return file.Read(bytes.data(), bytes.size()) == bytes.size();
}

std::int64_t RecordLimit(platform::File& file) {
    const std::int64_t length = file.Length();
    if (length < 0)
        return MAXMSG;
    return length / static_cast<std::int64_t>(kRecordSize);
}

bool IndexRecord::WriteTo(platform::File& file) const {
    return file.Write(bytes.data(), bytes.size());
}

MessageTable::MessageTable() : slots_(std::make_unique<IndexRecord[]>(MAXMSG)) {}

namespace {

int Three(std::int64_t a, std::int64_t b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

// The text at the `from` position up to its NUL, which may lie past the
// field's 30 bytes, but never past the slot.
std::string_view FromText(const IndexRecord& r) {
    const std::uint8_t* p = r.bytes.data() + rec::kFrom;
    return FieldText(p, kRecordSize - rec::kFrom);
}

}  // namespace

int CompareTimeSize(const IndexRecord& a, const IndexRecord& b) {
    if (int c = Three(a.mtime(), b.mtime()))
        return c;
    return Three(a.fsize(), b.fsize());
}

int CompareTimeSizeDesc(const IndexRecord& a, const IndexRecord& b) {
    return CompareTimeSize(b, a);
}

int CompareSize(const IndexRecord& a, const IndexRecord& b) {
    return Three(a.fsize(), b.fsize());
}

int CompareSizeDesc(const IndexRecord& a, const IndexRecord& b) {
    return CompareSize(b, a);
}

int CompareFrom(const IndexRecord& a, const IndexRecord& b) {
    std::string_view x = FromText(a), y = FromText(b);
    std::size_t n = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < n; ++i) {
        int cx = platform::ToUpper1252(static_cast<std::uint8_t>(x[i]));
        int cy = platform::ToUpper1252(static_cast<std::uint8_t>(y[i]));
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return Three(static_cast<std::int64_t>(x.size()), static_cast<std::int64_t>(y.size()));
}

int CompareFromDesc(const IndexRecord& a, const IndexRecord& b) {
    // string_view compares bytes as unsigned char.
    int c = FromText(b).compare(FromText(a));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

void SortTable(MessageTable& table, Ordering ordering) {
    if (table.count < 2)
        return;
    std::sort(table.begin(), table.end(), [ordering](const IndexRecord& a, const IndexRecord& b) {
        return ordering(a, b) < 0;
    });
}

}  // namespace kestrove
