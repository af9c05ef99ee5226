#include "reports/FolderNames.h"

#include <algorithm>
#include <array>
#include <memory>

#include "core/Format.h"
#include "core/MessageFile.h"
#include "core/Reason.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace kestrove {

namespace {

struct FolderColumn {
    std::string_view title;
    int width;
};
constexpr std::array<FolderColumn, FolderListModel::kColumns> kFolderColumns{{
    {"No.", 40},
    {"Folder Name", 200},
    {"File Name", 90},
    {">", 10},
}};

}  // namespace

std::string_view FolderListModel::ColumnTitle(int column) {
    if (column < 0 || column >= kColumns)
        return {};
    return kFolderColumns[static_cast<std::size_t>(column)].title;
}

int FolderListModel::ColumnWidth(int column) {
    if (column < 0 || column >= kColumns)
        return 0;
    return kFolderColumns[static_cast<std::size_t>(column)].width;
}

std::string FolderListModel::CellText(int row, int column) const {
    if (column < 0 || column >= kColumns || row < 0 || row >= RowCount())
        return {};
    if (row == 0)
        return std::string(ColumnTitle(column));
    const FolderRow& r = rows_[static_cast<std::size_t>(row - 1)];
    switch (column) {
        case 0:
            return std::to_string(row);
        case 1:
            return r.folderName;
        case 2:
            return r.fileName;
        default:
            return r.marked ? ">" : "";
    }
}

Rgb FolderListModel::CellBackground(int row, int column) const {
    if (row == 0 || column == 0)
        return kSkyBlue;
    if (column == 3 && row > 0 && row < RowCount() &&
        rows_[static_cast<std::size_t>(row - 1)].marked)
        return kRed;
    return kCream;
}

bool FileNamesClick(AppState& state, WindowPort& port, FolderListModel& model) {
    if (state.busy)  // never inside another command
        return false;
    std::string_view extension;
    if (state.mode == kNormalMode)
        extension = ".PMM";
    else if (state.mode == kBackupMode)
        extension = ".BKM";
    else
        return false;
    if (state.FileListBox1.empty())
        return false;

    model.rows_.clear();
    std::vector<FolderRow> rows;
    rows.reserve(state.FileListBox1.size());
    for (const std::string& fileName : state.FileListBox1) {
        const std::string path = platform::JoinPath(state.fileListDirectory, fileName);
        const std::string messagePath =
            platform::JoinPath(state.fileListDirectory, ReplaceExtension(fileName, extension));
        std::unique_ptr<platform::File> message =
            platform::File::Open(messagePath, platform::OpenMode::ReadBinary);
        if (!message) {
            port.MessageDialog(
                WithSystemReason(Format("Cannot Open File: %s", messagePath.c_str())), "File Error",
                Icon::Stop, Buttons::Ok);
            return false;
        }
        // A file shorter than the header reads as one padded with zeros, as
        // the viewer reads it, so both show the same name.
        const MessageFileHeader header = ReadHeader(*message);
        if (message->ReadFailed()) {
            port.MessageDialog(CannotReadText(messagePath, message->Tell()), "File Error",
                               Icon::Stop, Buttons::Ok);
            return false;
        }
        message->Close();
        FolderRow row;
        row.folderName = std::string(header.name());
        row.fileName = fileName;
        row.marked = state.ListBox1.Contains(path);
        rows.push_back(std::move(row));
    }
    // Sorted by display name in the user's collation; a stable sort keeps
    // equal names in the file list's order, as inserting each new row before
    // the first greater one does.
    std::stable_sort(rows.begin(), rows.end(), [](const FolderRow& a, const FolderRow& b) {
        return platform::CollateCompare(a.folderName, b.folderName) < 0;
    });
    model.rows_ = std::move(rows);
    return true;
}

void StringGrid1MouseDown(AppState& state, WindowPort& port, FolderListModel& model, int row,
                          int column) {
    if (row < 1 || column < 1 || row >= model.RowCount() || column >= FolderListModel::kColumns)
        return;
    FolderRow& r = model.rows_[static_cast<std::size_t>(row - 1)];
    const std::string path = platform::JoinPath(state.fileListDirectory, r.fileName);
    if (r.marked) {
        int index = state.ListBox1.IndexOf(path);
        if (index >= 0) {
            state.ListBox1.RemoveAt(index);
            r.marked = false;
        }
    } else {
        if (!state.ListBox1.Contains(path))
            state.ListBox1.Add(path);
        r.marked = true;
    }
    port.ListChanged(ListId::ListBox1);
    port.SetCountLabel(CountLabel::LblNumSelFiles,
                       Format("%d Files Selected", state.ListBox1.Count()));
}

}  // namespace kestrove
