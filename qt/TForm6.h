#pragma once
// The Statistics window: messages and bytes per sender, sortable by sender,
// count or size through its two radio groups, with the totals above.

#include <QDialog>

#include "reports/Stats.h"

class QLabel;
class QPushButton;
class QTableView;

namespace kestrove {

class GridModel;
class RadioGroup;
class TForm1;

class TForm6 : public QDialog {
    Q_OBJECT
  public:
    TForm6(AppState& state, QWidget* parent = nullptr);

    StatsView& view() { return view_; }
    GridModel* gridModel() const { return grid_; }

    // Get Stats: counts over the selected list, then shows this window.
    void GetStats(TForm1& main);
    // A click on either radio group.
    void RGSortOnClick();

    QPushButton* LMDButton1;
    RadioGroup* RGSortOn;
    RadioGroup* RGSortIn;
    QLabel* LblAddresses;
    QLabel* LblMessages;
    QLabel* LblSize;
    QTableView* StringGrid1;

  private:
    AppState& state_;
    StatsView view_;
    GridModel* grid_;
};

}  // namespace kestrove
