#include "qt/GridModel.h"

#include "qt/Dialogs.h"
#include "qt/Widgets.h"

namespace kestrove {

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(0, source_.rowCount() - 1);
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return FromCp1252(source_.cellText(row, index.column()));
        case Qt::BackgroundRole:
            return source_.background(row, index.column());
        case Qt::ForegroundRole:
            return colors::kNavy;
        case Qt::FontRole:
            return font_;
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return FromCp1252(source_.title(section));
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void GridModel::Refresh() {
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columns_ - 1));
}

}  // namespace kestrove
