#pragma once
// The windows shown from the main window, each modal: About, the index
// viewer (TForm2), Set Drives (TForm3), Other Options (TForm4), the folder
// name list (TForm5) and the statistics (TForm6).

#include <array>

#include "core/AppState.h"
#include "core/Settings.h"
#include "reports/FolderNames.h"
#include "reports/IndexViewer.h"
#include "reports/Stats.h"
#include "win/Controls.h"
#include "win/Grid.h"

namespace kestrove::win {

class TForm1;

// Ids of the child windows of the forms below.
enum FormControlId : int {
    kOKButton = IDOK,
    kLMDButton1 = 10,
    kFormPanel1,
    kLbl1IndexFile,
    kLblPMMfile,
    kStringGrid1,
    kFormPanel2,
    kLblCellInfo,
    kProductName,
    kVersion,
    kComments,
    kAboutIcon,
    kSettingsFile,
    kSetDrivesLbl1,
    kSetDrivesLbl2,
    kSetDriveOK,
    kChkDriveA = 40,  // ... kChkDriveA + 25 for Z
    kLblOthrOptnsUnread = 70,
    kRGUnread,
    kLblOthrOptnsBkup = kRGUnread + 5,
    kRGBackup,
    kLblOthrOptnsDeleted = kRGBackup + 5,
    kRGDeleted,
    kLblOthrOptnsRunChk = kRGDeleted + 5,
    kRGRunCheck,
    kLBLGetStatsOptns = kRGRunCheck + 5,
    kRGStats,
    kOtherOptnsOK = kRGStats + 5,
    kLMDSimpleLabel1,
    kRGSortOn,
    kRGSortIn = kRGSortOn + 5,
    kLblAddresses = kRGSortIn + 5,
    kLblMessages,
    kLblSize,
};

// A radio group: a frame with its items as radio buttons, ids id+1 ...
// The item index clamps as the settings windows' groups do.
class RadioGroup {
  public:
    void Create(HWND parent, int id, const char* caption, std::initializer_list<const char*> items);
    int itemIndex() const;
    void setItemIndex(int index);
    int id() const { return id_; }
    int count() const { return count_; }
    bool Owns(int childId) const { return childId > id_ && childId <= id_ + count_; }
    void Place(int dpi, int x, int y, int w, int itemHeight);

  private:
    HWND parent_ = nullptr;
    int id_ = 0, count_ = 0;
};

class TAboutBox : public Form {
  public:
    // settingsFile: the settings file the program reads, shown so that the
    // user can find it.
    TAboutBox(HWND owner, const std::string& settingsFile);

  protected:
    void Layout(int width, int height) override;
    void OnCommand(int id, int code, HWND control) override;
    void OnFontsChanged() override;
};

class TForm2 : public Form {
  public:
    TForm2(AppState& state, HWND owner);
    // ListBox1DblClick: loads the selected entry and shows it modally.
    void View(TForm1& main);
    void StringGrid1SelectCell(int column, int row);
    const IndexViewModel& model() const { return model_; }
    VirtualGrid& grid() { return grid_; }

  protected:
    void Layout(int width, int height) override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT OnNotify(NMHDR* header, bool& handled) override;
    void OnFontsChanged() override;
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void ShowLabels();
    AppState& state_;
    IndexViewModel model_;
    VirtualGrid grid_;
    HBRUSH panelBrush_ = nullptr;
    int column_ = 0;
};

class TForm3 : public Form {
  public:
    TForm3(TForm1& main, HWND owner);
    void SetDriveOKxClick();
    bool Checked(char letter) const;
    void SetChecked(char letter, bool on);

  protected:
    void Layout(int width, int height) override;
    void OnCommand(int id, int code, HWND control) override;
    void OnFontsChanged() override;

  private:
    TForm1& main_;
};

class TForm4 : public Form {
  public:
    TForm4(AppState& state, TForm1& main, HWND owner);
    void OtherOptnsOKClick();
    RadioGroup RGUnread, RGBackup, RGDeleted, RGRunCheck, RGStats;

  protected:
    void Layout(int width, int height) override;
    void OnCommand(int id, int code, HWND control) override;
    void OnFontsChanged() override;

  private:
    Settings Chosen() const;
    AppState& state_;
    TForm1& main_;
};

class TForm5 : public Form {
  public:
    TForm5(AppState& state, TForm1& main, HWND owner);
    void FileNamesClick(TForm1& main);
    void StringGrid1MouseDown(int row, int column);
    const FolderListModel& model() const { return model_; }
    VirtualGrid& grid() { return grid_; }

  protected:
    void Layout(int width, int height) override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT OnNotify(NMHDR* header, bool& handled) override;
    void OnFontsChanged() override;

  private:
    AppState& state_;
    TForm1& main_;
    FolderListModel model_;
    VirtualGrid grid_;
};

class TForm6 : public Form {
  public:
    TForm6(AppState& state, HWND owner);
    void GetStats(TForm1& main);
    void RGSortOnClick();
    const StatsView& view() const { return view_; }
    VirtualGrid& grid() { return grid_; }
    RadioGroup RGSortOn, RGSortIn;

  protected:
    void Layout(int width, int height) override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT OnNotify(NMHDR* header, bool& handled) override;
    void OnFontsChanged() override;

  private:
    AppState& state_;
    StatsView view_;
    VirtualGrid grid_;
};

}  // namespace kestrove::win
