#include "core/LookAlikes.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "core/MessageFile.h"
#include "core/MessageFlag.h"
#include "core/Reason.h"
#include "platform/File.h"

namespace kestrove {

bool RepeatsAbove(const IndexRecord& above, const IndexRecord& record) {
    return !above.HasFlag(kDeletedBit) && record.fsize() == above.fsize() &&
           record.mtime() == above.mtime() && record.date() == above.date() &&
           record.subject() == above.subject() && record.from() == above.from();
}

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// One text of a run of candidates, as far as it has been read.
struct Text {
    std::int64_t fpos = 0;
    std::int64_t got = 0;  // bytes read from fpos on
    int last = -1;         // the text's size-th byte, once read
    int after = -1;        // the byte after it, once read
    bool failed = false;   // a read (or the seek before it) failed
    bool outside = false;  // starts at or past the end of the file
};

// Link k joins text k and text k + 1 of a run.
struct Link {
    bool open = true;  // still comparing
    bool differs = false;
};

// Compares the texts of runs of candidates: at each offset, a chunk of every
// text of the run that a comparison still needs, each chunk against the one
// of the text before it, in two buffers used in turn.
class Comparer {
  public:
    Comparer(platform::File& file, TextComparison& result)
        : file_(file), length_(file.Length()), result_(result) {}

    // Slots first..last, each after the first a candidate of the slot before.
    void Run(const MessageTable& table, int first, int last) {
        const int n = last - first + 1;
        texts_.assign(static_cast<std::size_t>(n), Text{});
        links_.assign(static_cast<std::size_t>(n - 1), Link{});
        // The text's size: the copy takes at least one byte.
        size_ = std::max<std::int64_t>(table[first].fsize(), 1);
        for (int k = 0; k < n; ++k) {
            Text& t = texts_[static_cast<std::size_t>(k)];
            t.fpos = table[first + k].fpos();
            t.outside = length_ >= 0 && t.fpos >= length_;
            if (t.outside)
                CloseLinksOf(k);
            // Texts of other sizes are never the same (the fields say so).
            if (k > 0 && table[first + k].fsize() != table[first + k - 1].fsize())
                Differ(k - 1);
        }
        // The bytes that can belong to a text: its size and one more.
        const std::int64_t span = size_ + 1;
        for (std::int64_t at = 0; at < span && AnyOpen(); at += static_cast<std::int64_t>(kChunk)) {
            const auto want = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(kChunk), span - at));
            for (int k = 0; k < n; ++k) {
                if (!Needed(k))
                    continue;
                ReadChunk(k, at, want);
                if (k > 0 && links_[static_cast<std::size_t>(k - 1)].open)
                    CompareChunk(k - 1, at, want);
            }
        }
        for (int k = 1; k < n; ++k)
            result_.matches[static_cast<std::size_t>(first + k)] = Verdict(k - 1);
    }

  private:
    bool AnyOpen() const {
        return std::any_of(links_.begin(), links_.end(), [](const Link& l) { return l.open; });
    }

    bool Needed(int k) const {
        const auto links = static_cast<int>(links_.size());
        return (k > 0 && links_[static_cast<std::size_t>(k - 1)].open) ||
               (k < links && links_[static_cast<std::size_t>(k)].open);
    }

    void CloseLinksOf(int k) {
        if (k > 0)
            links_[static_cast<std::size_t>(k - 1)].open = false;
        if (k < static_cast<int>(links_.size()))
            links_[static_cast<std::size_t>(k)].open = false;
    }

    void Differ(int link) { links_[static_cast<std::size_t>(link)] = {false, true}; }

    std::uint8_t* Buffer(int k) { return buffers_[static_cast<std::size_t>(k % 2)].data(); }

    // Reads bytes at..at+want of text k into its buffer.
    void ReadChunk(int k, std::int64_t at, std::size_t want) {
        Text& t = texts_[static_cast<std::size_t>(k)];
        if (t.got < at)  // the file ended before
            return;
        if (!file_.Seek(t.fpos + at)) {
            Fail(k);
            return;
        }
        const std::size_t got = file_.Read(Buffer(k), want);
        if (file_.ReadFailed()) {
            Fail(k);
            return;
        }
        t.got = at + static_cast<std::int64_t>(got);
        const std::uint8_t* bytes = Buffer(k);
        if (size_ - 1 >= at && size_ - 1 < t.got)
            t.last = bytes[size_ - 1 - at];
        if (size_ >= at && size_ < t.got)
            t.after = bytes[size_ - at];
        // The file ends inside the text's size: no comparison can finish.
        if (t.got < std::min(at + static_cast<std::int64_t>(want), size_))
            CloseLinksOf(k);
    }

    void Fail(int k) {
        texts_[static_cast<std::size_t>(k)].failed = true;
        if (result_.systemReason.empty())
            result_.systemReason = platform::LastErrorText();
        CloseLinksOf(k);
    }

    // Compares the chunks of texts `link` and `link` + 1 within the size.
    void CompareChunk(int link, std::int64_t at, std::size_t want) {
        const std::int64_t end = std::min(at + static_cast<std::int64_t>(want), size_);
        if (end <= at)
            return;
        const std::int64_t common =
            std::min({texts_[static_cast<std::size_t>(link)].got,
                      texts_[static_cast<std::size_t>(link) + 1].got, end}) -
            at;
        if (common > 0 &&
            std::memcmp(Buffer(link), Buffer(link + 1), static_cast<std::size_t>(common)) != 0)
            Differ(link);
    }

    // A text's fault, or Same when it is whole.
    TextMatch Whole(const Text& t) const {
        if (t.got < size_)
            return TextMatch::CutShort;
        if (t.last == kCtrlZ)
            return TextMatch::Same;
        if (t.got < size_ + 1)
            return TextMatch::CutShort;
        return t.after == kCtrlZ ? TextMatch::Same : TextMatch::NoCtrlZ;
    }

    TextMatch Verdict(int link) const {
        const Text& a = texts_[static_cast<std::size_t>(link)];
        const Text& b = texts_[static_cast<std::size_t>(link) + 1];
        if (a.failed || b.failed)
            return TextMatch::ReadFailed;
        if (a.outside || b.outside)
            return TextMatch::OutsideFile;
        if (links_[static_cast<std::size_t>(link)].differs)
            return TextMatch::OtherText;
        // Equal through the size: the same text when both are whole (then
        // both end at the size, or both one byte later).
        if (TextMatch m = Whole(a); m != TextMatch::Same)
            return m;
        return Whole(b);
    }

    platform::File& file_;
    const std::int64_t length_;
    TextComparison& result_;
    std::int64_t size_ = 1;
    std::vector<Text> texts_;
    std::vector<Link> links_;
    std::array<std::vector<std::uint8_t>, 2> buffers_{std::vector<std::uint8_t>(kChunk),
                                                      std::vector<std::uint8_t>(kChunk)};
};

}  // namespace

TextComparison CompareWithAbove(const std::string& messagePath, const MessageTable& table,
                                const std::vector<std::uint8_t>& candidates,
                                const std::function<void(int slot)>& progress) {
    TextComparison result;
    const int count = std::min<int>(table.count, static_cast<int>(candidates.size()));
    result.matches.assign(static_cast<std::size_t>(std::max(table.count, 0)),
                          TextMatch::NotCompared);
    auto candidate = [&](int i) { return i >= 1 && candidates[static_cast<std::size_t>(i)] != 0; };
    int firstCandidate = 1;
    while (firstCandidate < count && !candidate(firstCandidate))
        ++firstCandidate;
    if (firstCandidate >= count)
        return result;

    std::unique_ptr<platform::File> file =
        platform::File::Open(messagePath, platform::OpenMode::ReadBinary);
    if (!file) {
        result.systemReason = platform::LastErrorText();
        for (int i = firstCandidate; i < count; ++i)
            if (candidate(i))
                result.matches[static_cast<std::size_t>(i)] = TextMatch::NoMessageFile;
        return result;
    }
    Comparer comparer(*file, result);
    for (int i = firstCandidate; i < count;) {
        if (!candidate(i)) {
            ++i;
            continue;
        }
        int last = i;
        while (last + 1 < count && candidate(last + 1))
            ++last;
        if (progress)
            progress(i);
        comparer.Run(table, i - 1, last);
        i = last + 1;
    }
    return result;
}

std::string WhyKept(TextMatch match, std::string_view systemReason) {
    const char* why = nullptr;
    switch (match) {
        case TextMatch::NotCompared:
        case TextMatch::Same:
            return {};
        case TextMatch::OtherText:
            return "another text";
        case TextMatch::ReadFailed:
            return WithReason("the texts could not be compared: a read of the message file failed",
                              systemReason);
        case TextMatch::OutsideFile:
            why = "a text starts past the end of the message file";
            break;
        case TextMatch::CutShort:
            why = "the message file ends inside a text";
            break;
        case TextMatch::NoCtrlZ:
            why = "a text has no Ctrl-Z at its end";
            break;
        case TextMatch::NoMessageFile:
            return WithReason("the texts could not be compared: the message file cannot be opened",
                              systemReason);
    }
    return std::string("the texts could not be compared: ") + why;
}

}  // namespace kestrove
