#include "qt/TForm5.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "qt/Dialogs.h"
#include "qt/GridModel.h"
#include "qt/TForm1.h"
#include "qt/Widgets.h"

namespace kestrove {

TForm5::TForm5(AppState& state, TForm1& main, QWidget* parent)
    : QDialog(parent), state_(state), main_(main) {
    SetUpDialog(this, QStringLiteral("Form5"), QStringLiteral("Alphabetic Folder List"));
    FillBackground(this, colors::kSkyBlue);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout();
    OKButton = NewButton(this, QStringLiteral("OKButton"), QStringLiteral("OK"));
    OKButton->setDefault(false);
    OKButton->setAutoDefault(false);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    LMDSimpleLabel1 = new QLabel(
        QStringLiteral("Select an entry to add it to the selected list.\r\n If the entry is "
                       "already on the selected list it\r\n                   will be removed.")
            .replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
        this);
    LMDSimpleLabel1->setObjectName(QStringLiteral("LMDSimpleLabel1"));
    LMDSimpleLabel1->setTextFormat(Qt::PlainText);
    QFont bold = font();
    bold.setBold(true);
    LMDSimpleLabel1->setFont(bold);
    top->addWidget(OKButton, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addWidget(LMDSimpleLabel1, 1);
    layout->addLayout(top);

    QFont cellFont = bold;
    cellFont.setPointSize(FolderListModel::kCellFontPoints);
    GridModel::Source source{
        [this] { return model_.RowCount(); },
        [this](int row, int column) { return model_.CellText(row, column); },
        [this](int row, int column) {
            const Rgb c = model_.CellBackground(row, column);
            return QColor(c.r, c.g, c.b);
        },
        [](int column) { return std::string(FolderListModel::ColumnTitle(column)); }};
    cellFont_ = cellFont;
    grid_ = new GridModel(FolderListModel::kColumns, std::move(source), cellFont, this);
    StringGrid1 = new QTableView(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(QStringLiteral("Folders"));
    auto* header = new TitleHeader(FolderListModel::kTitleFontPoints, true, StringGrid1);
    SetUpGrid(StringGrid1, header);
    StringGrid1->setModel(grid_);
    StringGrid1->verticalHeader()->setDefaultSectionSize(22);
    for (int c = 0; c < FolderListModel::kColumns; ++c)
        header->resizeSection(c,
                              FitWidth(bold, FolderListModel::ColumnWidth(c),
                                       {QString::fromLatin1(FolderListModel::ColumnTitle(c).data()),
                                        QStringLiteral(">")}));
    header->setStretchLastSection(false);
    // A click and Enter or Space add or remove a folder; assistive
    // technology selects a cell for it. The grid keeps no selection of its
    // own: what is chosen is the selected list.
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    connect(StringGrid1, &QTableView::pressed, this, [this](const QModelIndex& index) {
        if (index.isValid())
            StringGrid1MouseDown(index.row() + 1, index.column());
    });
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        QItemSelectionModel* selection = StringGrid1->selectionModel();
        const QModelIndexList selected = selection->selectedIndexes();
        if (selected.isEmpty())
            return;
        // The mouse and the keys move the current cell with the selection.
        const bool byAssistiveTechnology =
            selected.size() == 1 && selected.front() != StringGrid1->currentIndex();
        const QModelIndex cell = selected.front();
        selection->clearSelection();
        if (byAssistiveTechnology) {
            selection->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
            StringGrid1MouseDown(cell.row() + 1, cell.column());
        }
    });
    StringGrid1->installEventFilter(this);
    layout->addWidget(StringGrid1, 1);
    resize(440, 480);
}

void TForm5::FileNamesClick(TForm1& main) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    grid_->BeginLoad();
    const bool show = kestrove::FileNamesClick(state_, main, model_);
    grid_->EndLoad();
    // The names as they are, not cut: the given widths, widened to fit.
    for (int c = 1; c <= 2; ++c) {
        QStringList texts{grid_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()};
        for (int r = 0; r < grid_->rowCount(); ++r)
            texts << grid_->index(r, c).data().toString();
        StringGrid1->horizontalHeader()->resizeSection(
            c, FitWidth(cellFont_, FolderListModel::ColumnWidth(c), texts));
    }
    QApplication::restoreOverrideCursor();
    if (show)
        Dialogs::Exec(this);
}

void TForm5::StringGrid1MouseDown(int row, int column) {
    kestrove::StringGrid1MouseDown(state_, main_, model_, row, column);
    grid_->Refresh();
}

// Enter or Space on a cell does what a click on it does.
bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    if (watched == StringGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            const QModelIndex current = StringGrid1->currentIndex();
            if (current.isValid())
                StringGrid1MouseDown(current.row() + 1, std::max(1, current.column()));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kestrove
