#pragma once
// The index viewer: one folder's index record by record in a grid whose
// cells the program paints (red for a deleted record, fuchsia for a duplicate
// of the record above, pale green for a look-alike the run keeps, cream
// otherwise), the header's and the index's counts above it, and the
// cell-information line below.

#include <QAbstractTableModel>
#include <QDialog>

#include "reports/IndexViewer.h"

class QFrame;
class QLabel;
class QPushButton;
class QTableView;

namespace kestrove {

class TForm1;

// The grid's rows are the records (the title row is the header).
class IndexTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit IndexTableModel(const IndexViewModel& model, QObject* parent = nullptr)
        : QAbstractTableModel(parent), model_(model) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void BeginLoad() { beginResetModel(); }
    void EndLoad() { endResetModel(); }

  private:
    const IndexViewModel& model_;
    mutable std::string buffer_;
};

class TForm2 : public QDialog {
    Q_OBJECT
  public:
    TForm2(AppState& state, QWidget* parent = nullptr);

    IndexViewModel& model() { return model_; }
    IndexTableModel* tableModel() const { return table_; }

    // The double-click on ListBox1: loads the selected entry's index and
    // shows it modally (or reports why not).
    void View(TForm1& main);
    // StringGrid1SelectCell, for a grid row (0 = title row) and column.
    void StringGrid1SelectCell(int column, int row);

    QFrame* Panel1;
    QPushButton* LMDButton1;
    QLabel* Lbl1IndexFile;
    QLabel* LblPMMfile;
    QTableView* StringGrid1;
    QFrame* Panel2;
    QLabel* LblCellInfo;

  private:
    void ShowLabels();

    AppState& state_;
    IndexViewModel model_;
    IndexTableModel* table_;
};

}  // namespace kestrove
