#include "tests/support/FolderBuilder.h"

#include <algorithm>
#include <cstring>

#include "core/MessageFlag.h"
#include "platform/File.h"

namespace kestrove::testing {

namespace {

void PutText(std::uint8_t* p, std::size_t width, const std::string& text) {
    std::memset(p, 0, width);
    std::memcpy(p, text.data(), std::min(width, text.size()));
}

std::string TextBytes(const MessageSpec& m) {
    std::string bytes = m.text;
    if (m.ending != CtrlZ::None)
        bytes.push_back(static_cast<char>(kCtrlZ));
    return bytes;
}

std::int32_t NaturalSize(const MessageSpec& m) {
    auto size = static_cast<std::int32_t>(m.text.size());
    return m.ending == CtrlZ::Inside ? size + 1 : size;
}

}  // namespace

MessageSpec Msg(std::string from, std::string subject, std::string date, std::int32_t mtime,
                std::string text, std::uint32_t flags) {
    MessageSpec m;
    m.from = std::move(from);
    m.subject = std::move(subject);
    m.date = std::move(date);
    m.mtime = mtime;
    m.text = std::move(text);
    m.flags = flags;
    return m;
}

FolderBuilder& FolderBuilder::Add(MessageSpec message) {
    messages_.push_back(std::move(message));
    return *this;
}

FolderBuilder& FolderBuilder::IndexTail(std::string bytes) {
    indexTail_ = std::move(bytes);
    return *this;
}

FolderBuilder& FolderBuilder::MessageTail(std::string bytes) {
    messageTail_ = std::move(bytes);
    return *this;
}

FolderBuilder& FolderBuilder::MessageFileLength(std::size_t length) {
    messageLength_ = length;
    return *this;
}

MessageFileHeader FolderBuilder::Header() const {
    MessageFileHeader h;
    PutText(&h.bytes[0], 50, header_.name);
    std::int16_t unread = 0, deleted = 0;
    for (const auto& m : messages_) {
        if (m.flags & kDeletedBit)
            ++deleted;
        else if (!(m.flags & kReadBit))
            ++unread;
    }
    h.set_unread(header_.unread.value_or(unread));
    h.set_deleted(header_.deleted.value_or(deleted));
    h.set_delsize(header_.delsize);
    PutText(&h.bytes[86], 22, header_.id);
    for (auto [offset, value] : header_.raw)
        h.bytes.at(offset) = value;
    return h;
}

FolderBytes FolderBuilder::Build() const {
    FolderBytes out;
    MessageFileHeader h = Header();
    out.pmm.assign(h.bytes.begin(), h.bytes.end());
    out.pmi.reserve(messages_.size() * kRecordSize + indexTail_.size());

    for (std::size_t i = 0; i < messages_.size(); ++i) {
        const MessageSpec& m = messages_[i];
        out.pmm.insert(out.pmm.end(), m.before.begin(), m.before.end());
        std::size_t position = m.fpos ? *m.fpos : out.pmm.size();
        if (m.writeText) {
            std::string text = TextBytes(m);
            if (out.pmm.size() < position + text.size())
                out.pmm.resize(position + text.size(), 0);
            std::memcpy(out.pmm.data() + position, text.data(), text.size());
        }

        IndexRecord r;
        r.set_flags(m.flags);
        r.set_fpos(static_cast<std::uint32_t>(position));
        r.set_msg_number(m.msg_number.value_or(static_cast<std::uint16_t>(i)));
        PutText(&r.bytes[rec::kFname], rec::kFnameWidth, m.fname);
        PutText(&r.bytes[rec::kFrom], rec::kFromWidth, m.from);
        PutText(&r.bytes[rec::kSubject], rec::kSubjectWidth, m.subject);
        PutText(&r.bytes[rec::kDate], rec::kDateWidth, m.date);
        r.bytes[106] = m.byte106;
        r.bytes[107] = m.byte107;
        r.bytes[rec::kColor] = static_cast<std::uint8_t>(m.color);
        r.bytes[109] = m.byte109;
        r.set_mtime(m.mtime);
        r.set_fsize(m.fsize.value_or(NaturalSize(m)));
        for (auto [offset, value] : m.raw)
            r.bytes.at(offset) = value;
        out.pmi.insert(out.pmi.end(), r.bytes.begin(), r.bytes.end());
    }
    out.pmi.insert(out.pmi.end(), indexTail_.begin(), indexTail_.end());
    out.pmm.insert(out.pmm.end(), messageTail_.begin(), messageTail_.end());
    if (messageLength_)
        out.pmm.resize(*messageLength_, 0);
    return out;
}

IndexRecord FolderBuilder::Record(int i) const {
    FolderBytes bytes = Build();
    IndexRecord r;
    std::memcpy(r.bytes.data(), bytes.pmi.data() + static_cast<std::size_t>(i) * kRecordSize,
                kRecordSize);
    return r;
}

bool FolderBuilder::Write(const std::string& indexPath) const {
    FolderBytes bytes = Build();
    return WriteFileBytes(indexPath, bytes.pmi) &&
           WriteFileBytes(MessageFileName(indexPath), bytes.pmm);
}

std::vector<std::uint8_t> CopiedText(const std::vector<std::uint8_t>& pmm, std::int64_t fpos,
                                     std::int32_t fsize) {
    std::vector<std::uint8_t> text;
    if (fpos < 0)
        return text;
    std::int64_t least = std::max<std::int64_t>(fsize, 1);
    for (auto pos = static_cast<std::size_t>(fpos); pos < pmm.size(); ++pos) {
        text.push_back(pmm[pos]);
        if (static_cast<std::int64_t>(text.size()) >= least && pmm[pos] == kCtrlZ)
            break;
    }
    return text;
}

int UnreadCount(const IndexRecord& record) {
    return record.HasFlag(kReadBit) || record.HasFlag(kDeletedBit) ? 0 : 1;
}

FolderBytes FolderBuilder::Rewritten(const std::vector<int>& kept) const {
    FolderBytes old = Build();
    FolderBytes out;
    MessageFileHeader h;
    std::memcpy(h.bytes.data(), old.pmm.data(), std::min(old.pmm.size(), kHeaderSize));
    h.set_deleted(0);
    h.set_delsize(0);
    out.pmm.assign(h.bytes.begin(), h.bytes.end());
    std::uint16_t number = 0;
    std::int32_t unread = 0;
    for (int i : kept) {
        IndexRecord r;
        std::memcpy(r.bytes.data(), old.pmi.data() + static_cast<std::size_t>(i) * kRecordSize,
                    kRecordSize);
        std::vector<std::uint8_t> text = CopiedText(old.pmm, r.fpos(), r.fsize());
        r.set_msg_number(number++);
        r.set_fpos(static_cast<std::uint32_t>(out.pmm.size()));
        out.pmi.insert(out.pmi.end(), r.bytes.begin(), r.bytes.end());
        out.pmm.insert(out.pmm.end(), text.begin(), text.end());
        unread += UnreadCount(r);
    }
    PutI16(&out.pmm[MessageFileHeader::kUnreadAt], static_cast<std::int16_t>(unread));
    return out;
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path) {
    auto file = platform::File::Open(path, platform::OpenMode::ReadBinary);
    if (!file)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[1 << 14];
    while (std::size_t got = file->Read(buffer, sizeof buffer))
        bytes.insert(bytes.end(), buffer, buffer + got);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    auto file = platform::File::Open(path, platform::OpenMode::WriteBinary);
    return file && file->Write(bytes.data(), bytes.size()) && file->Close();
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
    auto file = platform::File::Open(path, platform::OpenMode::WriteBinary);
    return file && file->Write(bytes.data(), bytes.size()) && file->Close();
}

}  // namespace kestrove::testing
