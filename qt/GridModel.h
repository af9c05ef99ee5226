#pragma once
// A grid model over an engine view that serves its cells as 8-bit texts: the
// title row is the header, the other rows are the model's rows, painted by
// CellDelegate in the colours and fonts the window gives.

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <functional>
#include <string>

namespace kestrove {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    struct Source {
        std::function<int()> rowCount;                  // grid rows, the title row included
        std::function<std::string(int, int)> cellText;  // grid row, column
        std::function<QColor(int, int)> background;     // grid row, column
        std::function<std::string(int)> title;          // column
    };

    GridModel(int columns, Source source, QFont cellFont, QObject* parent = nullptr)
        : QAbstractTableModel(parent),
          columns_(columns),
          source_(std::move(source)),
          font_(std::move(cellFont)) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void BeginLoad() { beginResetModel(); }
    void EndLoad() { endResetModel(); }
    // The rows' contents changed (not their number).
    void Refresh();

  private:
    int columns_;
    Source source_;
    QFont font_;
};

}  // namespace kestrove
