#include "reports/IndexViewer.h"

#include <array>
#include <charconv>
#include <memory>
#include <vector>

#include "core/FileKinds.h"
#include "core/Format.h"
#include "core/LookAlikes.h"
#include "core/MessageFile.h"
#include "core/MessageFlag.h"
#include "core/Reason.h"
#include "platform/File.h"

namespace kestrove {

namespace {

struct FieldColumn {
    std::string_view title;
    int width;
    std::string_view name;
};

// Columns 0 to 10; the flag columns 11 to 36 come from the flag table.
constexpr std::array<FieldColumn, 11> kFieldColumns{{
    {"No.", 40, "Number"},
    {"Dup", 25, "Dupe/Deleted"},
    {"Position", 70, "Position"},
    {"Msg", 40, "Message Number"},
    {"File Name", 100, "File Name"},
    {"From", 120, "From"},
    {"Subject", 180, "Subject"},
    {"Date", 85, "Date"},
    {"Clr", 10, "Colour"},
    {"mtime", 60, "mtime"},
    {"Size", 60, "Message Size"},
}};
constexpr int kFlagColumnWidth = 10;
constexpr int kFirstFlagColumn = 11;

void AppendInt(std::string& out, long long value) {
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;
    out.append(buffer, end);
}

}  // namespace

Rgb ToRgb(RowColour colour) {
    switch (colour) {
        case RowColour::SkyBlue:
            return kSkyBlue;
        case RowColour::Red:
            return kRed;
        case RowColour::Fuchsia:
            return kFuchsia;
        case RowColour::Cream:
            return kCream;
        case RowColour::PaleGreen:
            return kPaleGreen;
    }
    return kCream;
}

std::string_view IndexViewModel::ColumnTitle(int column) {
    if (column >= 0 && column < kFirstFlagColumn)
        return kFieldColumns[static_cast<std::size_t>(column)].title;
    if (column >= kFirstFlagColumn && column < kColumns)
        return kMessageFlags[static_cast<std::size_t>(column - kFirstFlagColumn)].title;
    return {};
}

int IndexViewModel::ColumnWidth(int column) {
    if (column >= 0 && column < kFirstFlagColumn)
        return kFieldColumns[static_cast<std::size_t>(column)].width;
    if (column >= kFirstFlagColumn && column < kColumns)
        return kFlagColumnWidth;
    return 0;
}

std::string_view IndexViewModel::ColumnName(int column) {
    if (column >= 0 && column < kFirstFlagColumn)
        return kFieldColumns[static_cast<std::size_t>(column)].name;
    if (column >= kFirstFlagColumn && column < kColumns)
        return kMessageFlags[static_cast<std::size_t>(column - kFirstFlagColumn)].name;
    return {};
}

void RecordCellText(const IndexRecord& record, int rowNumber, std::string_view mark, int column,
                    std::string& out) {
    out.clear();
    switch (column) {
        case 0:
            AppendInt(out, rowNumber);
            return;
        case 1:
            out.assign(mark);
            return;
        case 2:
            AppendInt(out, record.fposSigned());
            return;
        case 3:
            AppendInt(out, record.msg_number());
            return;
        case 4:
            out.assign(record.fname());
            return;
        case 5:
            out.assign(record.from());
            return;
        case 6:
            out.assign(record.subject());
            return;
        case 7:
            out.assign(record.date());
            return;
        case 8: {
            // 1 to 31 as the characters from "1"; other values as the byte.
            int c = record.color();
            if (c == 0)
                return;
            if (c >= 1 && c <= 31)
                out.push_back(static_cast<char>(48 + c));
            else
                out.push_back(static_cast<char>(record.bytes[rec::kColor]));
            return;
        }
        case 9:
            AppendInt(out, record.mtime());
            return;
        case 10:
            AppendInt(out, record.fsize());
            return;
        default:
            if (column >= kFirstFlagColumn && column < IndexViewModel::kColumns) {
                const MessageFlagInfo& info =
                    kMessageFlags[static_cast<std::size_t>(column - kFirstFlagColumn)];
                if (IsSet(record.flags(), info.flag))
                    out.assign(info.cellText);
            }
            return;
    }
}

const IndexRecord* IndexViewModel::Record(int row) const {
    if (row < 1 || row > records_)
        return nullptr;
    return &rows_[static_cast<std::size_t>(row - 1)];
}

bool IndexViewModel::IsDeleted(int row) const {
    return Record(row) != nullptr && (marks_[static_cast<std::size_t>(row - 1)] & kDeletedMark);
}

bool IndexViewModel::IsDupe(int row) const {
    return Record(row) != nullptr && (marks_[static_cast<std::size_t>(row - 1)] & kDupeMark);
}

bool IndexViewModel::IsLookAlike(int row) const {
    return Record(row) != nullptr && (marks_[static_cast<std::size_t>(row - 1)] & kLookAlikeMark);
}

void IndexViewModel::CellText(int row, int column, std::string& out) const {
    out.clear();
    if (column < 0 || column >= kColumns)
        return;
    if (row == 0) {
        out.assign(ColumnTitle(column));
        return;
    }
    const IndexRecord* record = Record(row);
    if (record == nullptr)
        return;
    std::string_view mark = IsDeleted(row)     ? kDeletedText
                            : IsDupe(row)      ? kDupeText
                            : IsLookAlike(row) ? kLookAlikeText
                                               : "";
    RecordCellText(*record, row, mark, column, out);
}

std::string IndexViewModel::CellText(int row, int column) const {
    std::string out;
    CellText(row, column, out);
    return out;
}

RowColour IndexViewModel::RowColourOf(int row) const {
    if (row == 0)
        return RowColour::SkyBlue;
    if (IsDeleted(row))
        return RowColour::Red;
    if (IsDupe(row))
        return RowColour::Fuchsia;
    if (IsLookAlike(row))
        return RowColour::PaleGreen;
    return RowColour::Cream;
}

std::string IndexViewModel::CellInfo(int row, int column) const {
    std::string name(ColumnName(column));
    std::string text = CellText(row, column);
    std::string info = Format("Row %d Column %s: [%s]", row, name.c_str(), text.c_str());
    if (column == 1 && IsLookAlike(row)) {
        const auto match =
            static_cast<TextMatch>(marks_[static_cast<std::size_t>(row - 1)] >> kMatchShift);
        info += Format(" kept: same sender, subject, date, time and size as row %d, %s.", row - 1,
                       WhyKept(match).c_str());
    }
    return info;
}

void IndexViewModel::SelectCell(int row, int column) {
    lblCellInfo_ = CellInfo(row, column);
}

ViewResult IndexViewModel::Result(bool show) const {
    return {show, lblPMMfile_, lbl1IndexFile_, lblCellInfo_, records_};
}

ViewResult ListBox1DblClick(AppState& state, WindowPort& port, IndexViewModel& model) {
    // Nothing in Network Mode; nothing inside another command either, whose
    // table a view would refill.
    if (state.mode >= kNetworkMode || state.busy)
        return model.Result(false);
    // A double-click beside the entries leaves no entry selected: nothing to
    // view, rather than a view of whatever file an earlier command named.
    const int selected = state.ListBox1.highlighted;
    if (selected < 0 || selected >= state.ListBox1.Count())
        return model.Result(false);

    state.currentIndexFile = state.ListBox1[selected];
    state.currentMessageFile = ReplaceExtension(state.currentIndexFile, ".pmm");
    const std::string& indexPath = state.currentIndexFile;
    const std::string& messagePath = state.currentMessageFile;

    {
        std::unique_ptr<platform::File> message =
            platform::File::Open(messagePath, platform::OpenMode::ReadBinary);
        if (!message) {
            port.MessageDialog(
                WithSystemReason(Format("Cannot Open File: %s", messagePath.c_str())), "File Error",
                Icon::Stop, Buttons::Ok);
            return model.Result(false);
        }
        MessageFileHeader header = ReadHeader(*message);
        if (message->ReadFailed()) {
            port.MessageDialog(CannotReadText(messagePath, message->Tell()), "File Error",
                               Icon::Stop, Buttons::Ok);
            return model.Result(false);
        }
        message->Close();
        std::string_view name = header.name();
        std::string_view id = header.id();
        model.lblPMMfile_ =
            Format("File: %s    [%.*s]  Unread: %d,  Deleted: %d  ID: %.*s\n", messagePath.c_str(),
                   static_cast<int>(name.size()), name.data(), header.unread(), header.deleted(),
                   static_cast<int>(id.size()), id.data());
    }

    std::unique_ptr<platform::File> index =
        platform::File::Open(indexPath, platform::OpenMode::ReadBinary);
    if (!index) {
        port.MessageDialog(WithSystemReason(Format("Cannot Open File: %s", indexPath.c_str())),
                           "File Error", Icon::Stop, Buttons::Ok);
        return model.Result(false);
    }

    // The grid goes back to its title row before the new records come in.
    model.records_ = 0;
    model.marks_.clear();
    model.rows_.clear();
    MessageTable& table = state.table;
    table.count = 0;
    int loaded = 0;
    const std::int64_t limit = RecordLimit(*index);
    for (;;) {
        if (loaded >= limit)
            break;
        if (loaded == MAXMSG) {
            IndexRecord extra;
            if (extra.ReadFrom(*index)) {
                index->Close();
                table.count = loaded;
                port.MessageDialog(Format("MAXMSG > %d - redimension.", MAXMSG), "Data Error",
                                   Icon::Stop, Buttons::Ok);
                return model.Result(false);
            }
            break;
        }
        if (!table[loaded].ReadFrom(*index))
            break;
        ++loaded;
    }
    // A read error is not the end of the index: a short view would pass for
    // the whole folder.
    if (index->ReadFailed()) {
        const std::string text = CannotReadText(indexPath, index->Tell());
        index->Close();
        table.count = 0;
        port.MessageDialog(text, "File Error", Icon::Stop, Buttons::Ok);
        return model.Result(false);
    }
    index->Close();
    table.count = loaded;
    if (state.sortOn)
        SortTable(table, CompareTimeSize);

    IndexCounts counts;
    model.marks_.assign(static_cast<std::size_t>(loaded), 0);
    std::vector<std::uint8_t> candidates(static_cast<std::size_t>(loaded), 0);
    for (int i = 0; i < loaded; ++i) {
        const IndexRecord& record = table[i];
        std::uint8_t& mark = model.marks_[static_cast<std::size_t>(i)];
        if (record.HasFlag(kDeletedBit)) {
            mark = IndexViewModel::kDeletedMark;
            ++counts.deleted;
        } else {
            if (record.HasFlag(kReadBit))
                ++counts.read;
            else
                ++counts.unread;
            if (i >= 1 && RepeatsAbove(table[i - 1], record))
                candidates[static_cast<std::size_t>(i)] = 1;
        }
    }
    // Dup only where the run would drop the record: its text is the one
    // above's.
    const std::string textsPath = KindOfName(indexPath) == FileKind::BackupIndex
                                      ? BackupMessageFileName(indexPath)
                                      : messagePath;
    const TextComparison compared = CompareWithAbove(textsPath, table, candidates);
    for (int i = 1; i < loaded; ++i) {
        const TextMatch match = compared.matches[static_cast<std::size_t>(i)];
        std::uint8_t& mark = model.marks_[static_cast<std::size_t>(i)];
        if (match == TextMatch::Same) {
            mark = IndexViewModel::kDupeMark;
            ++counts.dupes;
        } else if (match != TextMatch::NotCompared) {
            mark =
                static_cast<std::uint8_t>(IndexViewModel::kLookAlikeMark |
                                          (static_cast<int>(match) << IndexViewModel::kMatchShift));
            ++counts.lookalikes;
        }
    }
    counts.messages = loaded;
    model.counts_ = counts;
    model.rows_.assign(table.begin(), table.begin() + loaded);
    model.records_ = loaded;

    model.lbl1IndexFile_ =
        Format("File: %s Unread:%d, Read:%d,  Deleted:%d,  Dupes:%d,  Look-alikes:%d \n",
               indexPath.c_str(), counts.unread, counts.read, counts.deleted, counts.dupes,
               counts.lookalikes);
    model.lblCellInfo_ = "Click on any cell for more informaton.";
    return model.Result(true);
}

}  // namespace kestrove
