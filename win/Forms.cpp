#include "win/Forms.h"

#include <windowsx.h>

#include <algorithm>

#include "app/MainWindow.h"
#include "win/TForm1.h"

namespace kestrove::win {

namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kSizableStyle = kDialogStyle | WS_THICKFRAME | WS_MAXIMIZEBOX;

HWND Label(HWND parent, int id, const char* text, DWORD extra = 0) {
    return Child(parent, "STATIC", text, SS_LEFT | SS_NOPREFIX | extra, id);
}

HWND Button(HWND parent, int id, const char* caption, DWORD extra = 0) {
    return Child(parent, "BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON | extra, id);
}

void SetAllFonts(HWND form, HFONT font) {
    for (HWND c = GetWindow(form, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace

// ------------------------------------------------------------- RadioGroup

void RadioGroup::Create(HWND parent, int id, const char* caption,
                        std::initializer_list<const char*> items) {
    parent_ = parent;
    id_ = id;
    count_ = static_cast<int>(items.size());
    HWND frame = Child(parent, "BUTTON", caption, BS_GROUPBOX, id);
    SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    int i = 0;
    for (const char* item : items) {
        Child(parent, "BUTTON", item, BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
              id + 1 + i);
        ++i;
    }
}

int RadioGroup::itemIndex() const {
    for (int i = 0; i < count_; ++i)
        if (IsDlgButtonChecked(parent_, id_ + 1 + i) == BST_CHECKED)
            return i;
    return -1;
}

void RadioGroup::setItemIndex(int index) {
    index = ClampRadioIndex(index, count_);
    for (int i = 0; i < count_; ++i)
        CheckDlgButton(parent_, id_ + 1 + i, i == index ? BST_CHECKED : BST_UNCHECKED);
}

void RadioGroup::Place(int dpi, int x, int y, int w, int itemHeight) {
    win::Place(GetDlgItem(parent_, id_), dpi, x, y, w, 22 + count_ * itemHeight);
    for (int i = 0; i < count_; ++i)
        win::Place(GetDlgItem(parent_, id_ + 1 + i), dpi, x + 10, y + 18 + i * itemHeight, w - 16,
                   itemHeight);
}

// --------------------------------------------------------------- TAboutBox

TAboutBox::TAboutBox(HWND owner, const std::string& settingsFile) {
    Create("AboutBox", "About", kDialogStyle, 420, 230, owner, kSkyBlue);
    HWND icon = Child(hwnd_, "STATIC", "", SS_ICON, kAboutIcon);
    SendMessageA(
        icon, STM_SETICON,
        reinterpret_cast<WPARAM>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1))), 0);
    Label(hwnd_, kProductName, "Kestrove");
    Label(hwnd_, kVersion, "Version 2.30");
    Label(hwnd_, kComments, "Removes duplicate messages from\r\nPegasus Mail (WinPmail) folders.");
    // Read-only text, so that the path can be selected and copied.
    Child(hwnd_, "EDIT", ("Settings: " + SettingsFileShownName(settingsFile)).c_str(),
          ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, kSettingsFile);
    Button(hwnd_, kOKButton, "OK", BS_DEFPUSHBUTTON);
    OnFontsChanged();
    Relayout();
}

void TAboutBox::OnFontsChanged() {
    SetAllFonts(hwnd_, Font(9, false));
    ApplyFont(kProductName, Font(14, true));
    ApplyFont(kOKButton, Font(9, true));
}

void TAboutBox::Layout(int, int) {
    Place(Item(kAboutIcon), dpi_, 16, 16, 32, 32);
    Place(Item(kProductName), dpi_, 64, 14, 240, 28);
    Place(Item(kVersion), dpi_, 64, 44, 240, 18);
    Place(Item(kComments), dpi_, 64, 68, 330, 36);
    Place(Item(kSettingsFile), dpi_, 64, 110, 330, 20);
    Place(Item(kOKButton), dpi_, 170, 146, 80, 28);
}

void TAboutBox::OnCommand(int id, int, HWND) {
    if (id == kOKButton || id == IDCANCEL)
        Close();
}

// ------------------------------------------------------------------ TForm2

TForm2::TForm2(AppState& state, HWND owner) : state_(state) {
    Create("Form2", "WinPmail Index File", kSizableStyle, 1000, 600, owner, kCream);
    panelBrush_ = CreateSolidBrush(ToColorRef(kSkyBlue));
    Child(hwnd_, "STATIC", "", SS_LEFT, kFormPanel1);
    Button(hwnd_, kLMDButton1, "Close");
    Label(hwnd_, kLbl1IndexFile, "File:");
    Label(hwnd_, kLblPMMfile, "File:");
    VirtualGrid::Source source{
        [this](int row, int column, std::string& out) { model_.CellText(row, column, out); },
        [this](int row, int) { return ToRgb(model_.RowColourOf(row)); },
        [](int column) { return IndexViewModel::ColumnTitle(column); },
        // The given widths, widened where the title or the widest value of
        // the column would be cut.
        [](int column) {
            static constexpr int kAtLeast[11] = {48, 48, 78, 50, 100, 160, 200, 110, 28, 80, 70};
            const int given = IndexViewModel::ColumnWidth(column);
            return column < 11 ? std::max(given, kAtLeast[column]) : std::max(given, 24);
        }};
    grid_.Create(hwnd_, kStringGrid1, IndexViewModel::kColumns, std::move(source), false);
    // The current cell moves sideways from the keys, and the information
    // line follows it.
    grid_.sideways = [this](int step) {
        const int row = ListView_GetNextItem(grid_.hwnd(), -1, LVNI_FOCUSED);
        column_ = std::clamp(column_ + step, 0, IndexViewModel::kColumns - 1);
        grid_.ShowColumn(column_);
        if (row >= 0)
            StringGrid1SelectCell(column_, row + 1);
    };
    FocusOnShow(grid_.hwnd());
    Child(hwnd_, "STATIC", "", SS_LEFT, kFormPanel2);
    Label(hwnd_, kLblCellInfo, "Cell: ");
    OnFontsChanged();
    Relayout();
}

void TForm2::OnFontsChanged() {
    SetAllFonts(hwnd_, Font(9, true));
    grid_.SetFonts(Font(IndexViewModel::kCellFontPoints, false),
                   Font(IndexViewModel::kTitleFontPoints, false), dpi_);
}

void TForm2::Layout(int width, int height) {
    const int W = MulDiv(width, 96, dpi_), H = MulDiv(height, 96, dpi_);
    Place(Item(kFormPanel1), dpi_, 0, 0, W, 52);
    Place(Item(kLMDButton1), dpi_, 8, 10, 80, 30);
    Place(Item(kLbl1IndexFile), dpi_, 100, 6, W - 108, 20);
    Place(Item(kLblPMMfile), dpi_, 100, 28, W - 108, 20);
    Place(grid_.hwnd(), dpi_, 0, 52, W, std::max(40, H - 52 - 28));
    Place(Item(kFormPanel2), dpi_, 0, H - 28, W, 28);
    Place(Item(kLblCellInfo), dpi_, 8, H - 24, W - 16, 20);
}

LRESULT TForm2::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (id == kFormPanel1 || id == kLbl1IndexFile || id == kLblPMMfile) {
            SetBkColor(reinterpret_cast<HDC>(wParam), ToColorRef(kSkyBlue));
            SetTextColor(reinterpret_cast<HDC>(wParam), ToColorRef(kNavy));
            return reinterpret_cast<LRESULT>(panelBrush_);
        }
    }
    if (message == WM_NCDESTROY && panelBrush_) {
        DeleteObject(panelBrush_);
        panelBrush_ = nullptr;
    }
    return Form::Handle(message, wParam, lParam);
}

void TForm2::ShowLabels() {
    SetText(Item(kLbl1IndexFile), model_.Lbl1IndexFile());
    SetText(Item(kLblPMMfile), model_.LblPMMfile());
    SetText(Item(kLblCellInfo), model_.LblCellInfo());
}

void TForm2::View(TForm1& main) {
    grid_.SetRecordRows(0);  // the table is about to be filled anew
    const ViewResult result = ListBox1DblClick(state_, main, model_);
    grid_.SetRecordRows(model_.RecordCount());
    ShowLabels();
    if (!result.show)
        return;
    if (model_.RecordCount() > 0)
        ListView_EnsureVisible(grid_.hwnd(), 0, FALSE);
    ShowModal(main.hwnd());
}

void TForm2::StringGrid1SelectCell(int column, int row) {
    model_.SelectCell(row, column);
    SetText(Item(kLblCellInfo), model_.LblCellInfo());
}

void TForm2::OnCommand(int id, int, HWND) {
    if (id == kLMDButton1 || id == IDCANCEL)
        Close();
}

LRESULT TForm2::OnNotify(NMHDR* header, bool& handled) {
    LRESULT result = 0;
    if (header->hwndFrom == grid_.hwnd() && header->code == NM_CLICK) {
        const auto* item = reinterpret_cast<NMITEMACTIVATE*>(header);
        int row = 0, column = 0;
        if (grid_.HitTest(item->ptAction, row, column)) {
            column_ = column;
            StringGrid1SelectCell(column, row);
        }
        handled = true;
        return 0;
    }
    if (header->hwndFrom == grid_.hwnd() && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if (change->iItem >= 0 && (change->uNewState & LVIS_FOCUSED) &&
            !(change->uOldState & LVIS_FOCUSED))
            StringGrid1SelectCell(column_, change->iItem + 1);
        handled = true;
        return 0;
    }
    handled = grid_.Notify(header, result);
    return result;
}

// ------------------------------------------------------------------ TForm3

TForm3::TForm3(TForm1& main, HWND owner) : main_(main) {
    Create("Form3", "Set Drives", kDialogStyle, 380, 330, owner, kSkyBlue);
    Label(hwnd_, kSetDrivesLbl1, "Set Available Drives");
    Label(hwnd_, kSetDrivesLbl2, "Only selected drives will be accessed.");
    for (int i = 0; i < 26; ++i) {
        const std::string caption = std::string("Drive ") + static_cast<char>('A' + i);
        Child(hwnd_, "BUTTON", caption.c_str(), BS_AUTOCHECKBOX | WS_TABSTOP, kChkDriveA + i);
    }
    Button(hwnd_, kSetDriveOK, "OK", BS_DEFPUSHBUTTON);
    OnFontsChanged();
    Relayout();
    // Only a key holding 1 checks its box.
    const DriveChoices checked = ReadDriveChoices(IniFile(main_.state().settingsFile));
    for (std::size_t i = 0; i < checked.size(); ++i)
        SetChecked(static_cast<char>('A' + i), checked[i]);
}

bool TForm3::Checked(char letter) const {
    return IsDlgButtonChecked(hwnd_, kChkDriveA + (letter - 'A')) == BST_CHECKED;
}

void TForm3::SetChecked(char letter, bool on) {
    CheckDlgButton(hwnd_, kChkDriveA + (letter - 'A'), on ? BST_CHECKED : BST_UNCHECKED);
}

void TForm3::OnFontsChanged() {
    SetAllFonts(hwnd_, Font(9, false));
    ApplyFont(kSetDrivesLbl1, Font(13, true));
    ApplyFont(kSetDriveOK, Font(9, true));
}

void TForm3::Layout(int, int) {
    Place(Item(kSetDrivesLbl1), dpi_, 16, 10, 340, 26);
    Place(Item(kSetDrivesLbl2), dpi_, 16, 40, 340, 18);
    for (int i = 0; i < 26; ++i)  // A-I, J-R, S-Z
        Place(Item(kChkDriveA + i), dpi_, 20 + (i / 9) * 115, 66 + (i % 9) * 22, 100, 20);
    Place(Item(kSetDriveOK), dpi_, 140, 270, 90, 28);
}

void TForm3::OnCommand(int id, int, HWND) {
    if (id == kSetDriveOK || id == IDOK)
        SetDriveOKxClick();
    else if (id == IDCANCEL)
        Close();
}

void TForm3::SetDriveOKxClick() {
    DriveChoices checked{};
    for (std::size_t i = 0; i < checked.size(); ++i)
        checked[i] = Checked(static_cast<char>('A' + i));
    if (auto error = main_.SetDriveOKxClick(checked)) {
        main_.MessageDialog(error->message, kProgramTitle, Icon::Stop, Buttons::Ok);
        return;
    }
    Close();
}

// ------------------------------------------------------------------ TForm4

TForm4::TForm4(AppState& state, TForm1& main, HWND owner) : state_(state), main_(main) {
    Create("Form4", "Other Options", kDialogStyle, 520, 510, owner, kSkyBlue);
    Label(hwnd_, kLblOthrOptnsUnread,
          " What to do if number of \r\n  UNREAD messages is\r\ndifferent in PMI/PMM files",
          SS_CENTER);
    RGUnread.Create(hwnd_, kRGUnread, "", {"Always Ask", "Always Ignore", "Always Skip"});
    Label(hwnd_, kLblOthrOptnsBkup, "\r\n\r\nWhat to do if \r\nBackup file EXISTS?", SS_CENTER);
    RGBackup.Create(hwnd_, kRGBackup, "",
                    {"Always Ask", "Always Overwrite and continue", "Never Overwrite and skip"});
    Label(hwnd_, kLblOthrOptnsDeleted,
          " What to do if number of \r\n DELETED messages is\r\ndifferent in PMI/PMM files",
          SS_CENTER);
    RGDeleted.Create(hwnd_, kRGDeleted, "", {"Always Ask", "Always Ignore", "Always Skip"});
    Label(hwnd_, kLblOthrOptnsRunChk,
          "\r\n\r\n\r\nDo you want to check \r\nto see if WinPmail is\r\nRunning?", SS_CENTER);
    RGRunCheck.Create(hwnd_, kRGRunCheck, "", {"Yes, Always Check", "No, Never Check"});
    Label(hwnd_, kLBLGetStatsOptns, "      In Get Stats\r\nCopy-to-Self Messages", SS_CENTER);
    RGStats.Create(hwnd_, kRGStats, "", {"Include as Self", "Include as To:....", "Exclude"});
    Button(hwnd_, kOtherOptnsOK, "OK", BS_DEFPUSHBUTTON);
    OnFontsChanged();
    Relayout();
    // The file's values, clamped by the groups, are what the commands see.
    const Settings read = ReadSettings(IniFile(state_.settingsFile));
    RGUnread.setItemIndex(ItemIndex(read.MismatchedUnread));
    RGDeleted.setItemIndex(ItemIndex(read.MismatchedDeleted));
    RGBackup.setItemIndex(ItemIndex(read.BackupFiles));
    RGRunCheck.setItemIndex(ItemIndex(read.RunCheck));
    RGStats.setItemIndex(ItemIndex(read.GetStats));
    state_.settings = Chosen();
}

void TForm4::OnFontsChanged() {
    SetAllFonts(hwnd_, Font(9, false));
    for (int id : {kLblOthrOptnsUnread, kLblOthrOptnsBkup, kLblOthrOptnsDeleted,
                   kLblOthrOptnsRunChk, kLBLGetStatsOptns, kOtherOptnsOK})
        ApplyFont(id, Font(9, true));
}

void TForm4::Layout(int, int) {
    // The labels keep their blank lines; each group stands below its label.
    Place(Item(kLblOthrOptnsUnread), dpi_, 10, 8, 240, 48);
    RGUnread.Place(dpi_, 10, 58, 240, 22);
    Place(Item(kLblOthrOptnsBkup), dpi_, 10, 150, 240, 64);
    RGBackup.Place(dpi_, 10, 216, 240, 22);
    Place(Item(kLblOthrOptnsDeleted), dpi_, 262, 8, 240, 48);
    RGDeleted.Place(dpi_, 262, 58, 240, 22);
    Place(Item(kLblOthrOptnsRunChk), dpi_, 262, 150, 240, 94);
    RGRunCheck.Place(dpi_, 262, 246, 240, 22);
    Place(Item(kLBLGetStatsOptns), dpi_, 10, 344, 240, 36);
    RGStats.Place(dpi_, 262, 326, 240, 22);
    Place(Item(kOtherOptnsOK), dpi_, 215, 430, 90, 28);
}

void TForm4::OnCommand(int id, int, HWND) {
    if (id == kOtherOptnsOK || id == IDOK)
        OtherOptnsOKClick();
    else if (id == IDCANCEL)
        Close();
}

Settings TForm4::Chosen() const {
    Settings s;
    s.MismatchedUnread = ChoiceAt<OnMismatch>(RGUnread.itemIndex());
    s.MismatchedDeleted = ChoiceAt<OnMismatch>(RGDeleted.itemIndex());
    s.BackupFiles = ChoiceAt<OnBackupExists>(RGBackup.itemIndex());
    s.RunCheck = ChoiceAt<LockCheck>(RGRunCheck.itemIndex());
    s.GetStats = ChoiceAt<CopyToSelf>(RGStats.itemIndex());
    return s;
}

void TForm4::OtherOptnsOKClick() {
    if (auto error = kestrove::OtherOptnsOKClick(state_, Chosen())) {
        main_.MessageDialog(error->message, kProgramTitle, Icon::Stop, Buttons::Ok);
        return;
    }
    Close();
}

// ------------------------------------------------------------------ TForm5

TForm5::TForm5(AppState& state, TForm1& main, HWND owner) : state_(state), main_(main) {
    Create("Form5", "Alphabetic Folder List", kSizableStyle, 460, 500, owner, kSkyBlue);
    Button(hwnd_, kOKButton, "OK");
    Label(hwnd_, kLMDSimpleLabel1,
          "Select an entry to add it to the selected list.\r\n If the entry is already on the "
          "selected list it\r\n                   will be removed.");
    VirtualGrid::Source source{
        [this](int row, int column, std::string& out) { out = model_.CellText(row, column); },
        [this](int row, int column) { return model_.CellBackground(row, column); },
        [](int column) { return FolderListModel::ColumnTitle(column); },
        [](int column) {
            static constexpr int kAtLeast[FolderListModel::kColumns] = {40, 200, 110, 24};
            return std::max(FolderListModel::ColumnWidth(column), kAtLeast[column]);
        }};
    grid_.Create(hwnd_, kStringGrid1, FolderListModel::kColumns, std::move(source), false);
    // Down and Space work at once.
    FocusOnShow(grid_.hwnd());
    OnFontsChanged();
    Relayout();
}

void TForm5::OnFontsChanged() {
    SetAllFonts(hwnd_, Font(9, true));
    grid_.SetFonts(Font(FolderListModel::kCellFontPoints, true),
                   Font(FolderListModel::kTitleFontPoints, true), dpi_);
}

void TForm5::Layout(int width, int height) {
    const int W = MulDiv(width, 96, dpi_), H = MulDiv(height, 96, dpi_);
    Place(Item(kOKButton), dpi_, 8, 8, 70, 30);
    Place(Item(kLMDSimpleLabel1), dpi_, 90, 6, W - 98, 52);
    Place(grid_.hwnd(), dpi_, 8, 62, W - 16, std::max(40, H - 70));
}

void TForm5::FileNamesClick(TForm1& main) {
    HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    grid_.SetRecordRows(0);
    const bool show = kestrove::FileNamesClick(state_, main, model_);
    grid_.SetRecordRows(model_.RowCount() - 1);
    SetCursor(before);
    if (show)
        ShowModal(main.hwnd());
}

void TForm5::StringGrid1MouseDown(int row, int column) {
    kestrove::StringGrid1MouseDown(state_, main_, model_, row, column);
    grid_.Refresh();
}

void TForm5::OnCommand(int id, int, HWND) {
    if (id == kOKButton || id == IDCANCEL)
        Close();
}

LRESULT TForm5::OnNotify(NMHDR* header, bool& handled) {
    LRESULT result = 0;
    if (header->hwndFrom == grid_.hwnd() &&
        (header->code == NM_CLICK || header->code == NM_RCLICK)) {
        const auto* item = reinterpret_cast<NMITEMACTIVATE*>(header);
        int row = 0, column = 0;
        if (grid_.HitTest(item->ptAction, row, column))
            StringGrid1MouseDown(row, column);
        handled = true;
        return 0;
    }
    // Space on a row does what a click on its name does.
    if (header->hwndFrom == grid_.hwnd() && header->code == LVN_KEYDOWN &&
        reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_SPACE) {
        const int focused = ListView_GetNextItem(grid_.hwnd(), -1, LVNI_FOCUSED);
        if (focused >= 0)
            StringGrid1MouseDown(focused + 1, 1);
        handled = true;
        return 0;
    }
    handled = grid_.Notify(header, result);
    return result;
}

// ------------------------------------------------------------------ TForm6

TForm6::TForm6(AppState& state, HWND owner) : state_(state) {
    Create("Form6", "Statistics", kSizableStyle, 580, 540, owner, kSkyBlue);
    Button(hwnd_, kLMDButton1, "Close");
    RGSortOn.Create(hwnd_, kRGSortOn, "Sort On", {"From", "Messages", "Size"});
    RGSortIn.Create(hwnd_, kRGSortIn, "Sort In", {"Ascending", "Descending"});
    RGSortOn.setItemIndex(0);
    RGSortIn.setItemIndex(0);
    Label(hwnd_, kLblAddresses, "Addresses:");
    Label(hwnd_, kLblMessages, "Messages:");
    Label(hwnd_, kLblSize, "Size:");
    VirtualGrid::Source source{
        [this](int row, int column, std::string& out) { out = view_.CellText(row, column); },
        [](int, int) { return kCream; }, [](int column) { return StatsView::ColumnTitle(column); },
        // The given widths, widened to what the fixed-pitch cells need.
        [](int column) {
            static constexpr int kAtLeast[StatsView::kColumns] = {56, 230, 90, 120};
            return std::max(StatsView::ColumnWidth(column), kAtLeast[column]);
        }};
    grid_.Create(hwnd_, kStringGrid1, StatsView::kColumns, std::move(source), true);
    OnFontsChanged();
    Relayout();
}

void TForm6::OnFontsChanged() {
    SetAllFonts(hwnd_, Font(9, false));
    for (int id : {kLblAddresses, kLblMessages, kLblSize, kLMDButton1})
        ApplyFont(id, Font(9, true));
    grid_.SetFonts(Font(StatsView::kCellFontPoints, false, true),
                   Font(StatsView::kTitleFontPoints, true, true), dpi_);
}

void TForm6::Layout(int width, int height) {
    const int W = MulDiv(width, 96, dpi_), H = MulDiv(height, 96, dpi_);
    Place(Item(kLMDButton1), dpi_, 8, 10, 70, 30);
    RGSortOn.Place(dpi_, 90, 4, 120, 20);
    RGSortIn.Place(dpi_, 220, 4, 120, 20);
    Place(Item(kLblAddresses), dpi_, 356, 10, W - 364, 18);
    Place(Item(kLblMessages), dpi_, 356, 32, W - 364, 18);
    Place(Item(kLblSize), dpi_, 356, 54, W - 364, 18);
    Place(grid_.hwnd(), dpi_, 8, 94, W - 16, std::max(40, H - 102));
}

void TForm6::GetStats(TForm1& main) {
    view_.sortOn = RGSortOn.itemIndex();
    view_.sortIn = RGSortIn.itemIndex();
    grid_.SetRecordRows(0);
    main.GetStats(view_, [this, &main] {
        grid_.SetRecordRows(view_.RowCount() - 1);
        SetText(Item(kLblAddresses), view_.LblAddresses());
        SetText(Item(kLblMessages), view_.LblMessages());
        SetText(Item(kLblSize), view_.LblSize());
        if (view_.RowCount() > 1)
            ListView_EnsureVisible(grid_.hwnd(), 0, FALSE);
        ShowModal(main.hwnd());
    });
}

void TForm6::RGSortOnClick() {
    view_.sortOn = RGSortOn.itemIndex();
    view_.sortIn = RGSortIn.itemIndex();
    kestrove::RGSortOnClick(state_, view_);
    grid_.Refresh();
}

void TForm6::OnCommand(int id, int code, HWND) {
    if (id == kLMDButton1 || id == IDCANCEL)
        Close();
    else if (code == BN_CLICKED && (RGSortOn.Owns(id) || RGSortIn.Owns(id)))
        RGSortOnClick();
}

LRESULT TForm6::OnNotify(NMHDR* header, bool& handled) {
    LRESULT result = 0;
    handled = grid_.Notify(header, result);
    return result;
}

}  // namespace kestrove::win
