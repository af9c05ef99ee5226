#pragma once
// The folder name list: the available files with their folders' display
// names, sorted by name; a click on a row adds the file to the selected list
// or takes it out again.

#include <QDialog>
#include <QFont>

#include "reports/FolderNames.h"

class QLabel;
class QPushButton;
class QTableView;

namespace kestrove {

class GridModel;
class TForm1;

class TForm5 : public QDialog {
    Q_OBJECT
  public:
    TForm5(AppState& state, TForm1& main, QWidget* parent = nullptr);

    FolderListModel& model() { return model_; }
    GridModel* gridModel() const { return grid_; }

    // The main window's "Display Folder Names".
    void FileNamesClick(TForm1& main);
    // A mouse button pressed over a cell (grid row, 0 = title row).
    void StringGrid1MouseDown(int row, int column);

    QPushButton* OKButton;
    QLabel* LMDSimpleLabel1;
    QTableView* StringGrid1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    AppState& state_;
    TForm1& main_;
    FolderListModel model_;
    GridModel* grid_;
    QFont cellFont_;
};

}  // namespace kestrove
