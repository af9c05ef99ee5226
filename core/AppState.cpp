#include "core/AppState.h"

#include <algorithm>

#include "platform/File.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace kestrove {

namespace {

// Order without regard to letter case (Windows-1252 rules).
bool LessNoCase(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = platform::ToLower1252(static_cast<std::uint8_t>(a[i]));
        auto y = platform::ToLower1252(static_cast<std::uint8_t>(b[i]));
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

}  // namespace

int SortedList::Add(std::string entry) {
    // After every entry that does not sort after it: equal entries keep the
    // order they were added in.
    auto at = std::upper_bound(
        entries_.begin(), entries_.end(), entry,
        [](const std::string& value, const std::string& e) { return LessNoCase(value, e); });
    int index = static_cast<int>(at - entries_.begin());
    entries_.insert(at, std::move(entry));
    if (highlighted >= index)
        ++highlighted;
    return index;
}

void SortedList::RemoveAt(int index) {
    if (index < 0 || index >= Count())
        return;
    entries_.erase(entries_.begin() + index);
    if (highlighted == index)
        highlighted = -1;
    else if (highlighted > index)
        --highlighted;
}

void SortedList::Clear() {
    entries_.clear();
    highlighted = -1;
}

int SortedList::IndexOf(std::string_view entry) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i] == entry)
            return static_cast<int>(i);
    }
    return -1;
}

void AppState::RereadFileList() {
    FileListBox1.clear();
    for (auto& entry : platform::FindFiles(platform::JoinPath(fileListDirectory, fileListMask))) {
        // A name holding a separator would be another path once joined.
        if (!entry.isDirectory && platform::IsPlainName(entry.name))
            FileListBox1.push_back(std::move(entry.name));
    }
    std::stable_sort(FileListBox1.begin(), FileListBox1.end(),
                     [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
}

const std::vector<std::string>& EntriesOf(const AppState& state, ListId list) {
    switch (list) {
        case ListId::FileListBox1:
            return state.FileListBox1;
        case ListId::ListBox2:
            return state.ListBox2;
        case ListId::ListBox1:
            return state.ListBox1.entries();
        case ListId::ListBox3:
            break;
    }
    return state.ListBox3.entries();
}

int HighlightOf(const AppState& state, ListId list) {
    const SortedList* s = list == ListId::ListBox1   ? &state.ListBox1
                          : list == ListId::ListBox3 ? &state.ListBox3
                                                     : nullptr;
    return s && s->highlighted < s->Count() ? s->highlighted : -1;
}

}  // namespace kestrove
