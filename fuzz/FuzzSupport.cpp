#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace kestrove::fuzz {

namespace fs = std::filesystem;

void Check(bool ok, const char* what) {
    if (ok)
        return;
    std::fprintf(stderr, "oracle failed: %s\n", what);
    std::abort();
}

void Check(bool ok, const std::string& what) {
    Check(ok, what.c_str());
}

std::optional<Bytes> StoredText(const Bytes& pmm, const IndexRecord& record) {
    const std::uint64_t start = record.fpos();
    const std::uint64_t least = static_cast<std::uint64_t>(std::max(record.fsize(), 1));
    for (std::uint64_t length : {least, least + 1}) {
        if (start + length > pmm.size())
            return std::nullopt;
        if (pmm[start + length - 1] == 0x1A)
            return Bytes(pmm.begin() + static_cast<std::ptrdiff_t>(start),
                         pmm.begin() + static_cast<std::ptrdiff_t>(start + length));
    }
    return std::nullopt;
}

bool DuplicateOfAbove(const MessageTable& table, int i, const Bytes& pmm) {
    if (i < 1)
        return false;
    const IndexRecord& a = table[i - 1];
    const IndexRecord& b = table[i];
    if ((a.flags() & 0x40000) != 0 || a.from() != b.from() || a.subject() != b.subject() ||
        a.date() != b.date() || a.mtime() != b.mtime() || a.fsize() != b.fsize())
        return false;
    const std::optional<Bytes> above = StoredText(pmm, a), text = StoredText(pmm, b);
    return above && text && *above == *text;
}

std::uint8_t Input::U8() {
    return pos_ < size_ ? data_[pos_++] : 0;
}

std::uint16_t Input::U16() {
    std::uint16_t low = U8();
    return static_cast<std::uint16_t>(low | (U8() << 8));
}

std::uint32_t Input::U32() {
    std::uint32_t low = U16();
    return low | (static_cast<std::uint32_t>(U16()) << 16);
}

Bytes Input::Take(std::size_t n) {
    std::size_t take = std::min(n, size_ - pos_);
    Bytes out(data_ + pos_, data_ + pos_ + take);
    pos_ += take;
    return out;
}

Output& Output::U8(std::uint8_t v) {
    bytes_.push_back(v);
    return *this;
}

Output& Output::U16(std::uint16_t v) {
    return U8(static_cast<std::uint8_t>(v)).U8(static_cast<std::uint8_t>(v >> 8));
}

Output& Output::U32(std::uint32_t v) {
    return U16(static_cast<std::uint16_t>(v)).U16(static_cast<std::uint16_t>(v >> 16));
}

Output& Output::Raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

Output& Output::Raw(std::string_view bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

Output& Output::File(const Bytes& bytes) {
    std::size_t n = std::min<std::size_t>(bytes.size(), 0xFFFF);
    U16(static_cast<std::uint16_t>(n));
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    return *this;
}

void Scratch::Clear() {
    for (const auto* dir : {&folder, &logs}) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(dir->Native(), error))
            fs::remove_all(entry.path(), error);
    }
}

std::map<std::string, Bytes> Scratch::Snapshot() const {
    std::map<std::string, Bytes> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder.Native(), error)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] =
            Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

void Scratch::Put(const std::string& name, const Bytes& bytes) const {
    std::ofstream out(folder.Native(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    Check(out.good(), "cannot write a scratch file");
}

Scratch& TheScratch() {
    // Made on first use and kept: a directory per input would cost more
    // than most inputs take to run.
    static Scratch* scratch = new Scratch();
    return *scratch;
}

Answer ScriptPort::MessageDialog(const std::string& text, const std::string& title, Icon,
                                 Buttons buttons, DefaultButton) {
    Check(!text.empty() && !title.empty(), "a box without text or title");
    titles.push_back(title);
    const unsigned choice = (script_ >> (2 * (used_++ % 16))) & 3u;
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            return choice == 3 ? Answer::Cancel : Answer::Ok;
        case Buttons::YesNoCancel:
            return choice == 1 ? Answer::No : choice == 2 ? Answer::Cancel : Answer::Yes;
    }
    return Answer::Ok;
}

void ScriptPort::SetMeter(Meter, int percent) {
    Check(percent >= 0 && percent <= 100, "a meter outside 0..100 %");
}

}  // namespace kestrove::fuzz
