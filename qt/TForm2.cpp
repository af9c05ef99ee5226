#include "qt/TForm2.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "qt/Accessible.h"
#include "qt/Dialogs.h"
#include "qt/TForm1.h"
#include "qt/Widgets.h"

namespace kestrove {

namespace {

QColor ToColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

}  // namespace

int IndexTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : model_.RecordCount();
}

int IndexTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : IndexViewModel::kColumns;
}

QVariant IndexTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;  // grid row: 0 is the title row
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            buffer_.clear();
            model_.CellText(row, index.column(), buffer_);
            return FromCp1252(buffer_);
        case Qt::BackgroundRole:
            return ToColor(ToRgb(model_.RowColourOf(row)));
        case Qt::ForegroundRole:
            return colors::kNavy;
        case Qt::FontRole: {
            static const QFont font = [] {
                QFont f;
                f.setPointSize(IndexViewModel::kCellFontPoints);
                return f;
            }();
            return font;
        }
        default:
            return {};
    }
}

QVariant IndexTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    if (role == Qt::ToolTipRole)
        return QString::fromLatin1(
            IndexViewModel::ColumnName(section).data(),
            static_cast<qsizetype>(IndexViewModel::ColumnName(section).size()));
    const auto title = IndexViewModel::ColumnTitle(section);
    return QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size()));
}

Qt::ItemFlags IndexTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

TForm2::TForm2(AppState& state, QWidget* parent) : QDialog(parent), state_(state) {
    SetUpDialog(this, QStringLiteral("Form2"), QStringLiteral("WinPmail Index File"));
    FillBackground(this, colors::kCream);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    MakeGroupPanel(Panel1, QStringLiteral("Counts"));
    FillBackground(Panel1, colors::kSkyBlue);
    auto* top = new QHBoxLayout(Panel1);
    top->setContentsMargins(8, 6, 8, 6);
    LMDButton1 = NewButton(Panel1, QStringLiteral("LMDButton1"), QStringLiteral("Close"));
    connect(LMDButton1, &QPushButton::clicked, this, &QDialog::accept);
    auto* labels = new QVBoxLayout();
    Lbl1IndexFile = new QLabel(QStringLiteral("File:"), Panel1);
    Lbl1IndexFile->setObjectName(QStringLiteral("Lbl1IndexFile"));
    LblPMMfile = new QLabel(QStringLiteral("File:"), Panel1);
    LblPMMfile->setObjectName(QStringLiteral("LblPMMfile"));
    QFont bold = font();
    bold.setBold(true);
    for (QLabel* l : {Lbl1IndexFile, LblPMMfile}) {
        l->setTextFormat(Qt::PlainText);
        l->setFont(bold);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        labels->addWidget(l);
    }
    top->addWidget(LMDButton1, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(labels, 1);
    layout->addWidget(Panel1);

    StringGrid1 = new QTableView(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(QStringLiteral("Index Records"));
    table_ = new IndexTableModel(model_, this);
    auto* header = new TitleHeader(IndexViewModel::kTitleFontPoints, false, StringGrid1);
    SetUpGrid(StringGrid1, header);
    StringGrid1->setModel(table_);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(IndexViewModel::kRowHeight);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    // The given widths, widened where a title or the widest value of its
    // column would be cut in the font at hand.
    QFont cellFont;
    cellFont.setPointSize(IndexViewModel::kCellFontPoints);
    QFont titleFont;
    titleFont.setPointSize(IndexViewModel::kTitleFontPoints);
    const char* widest[11] = {"35000",    IndexViewModel::kLookAlikeText.data(),
                              "99999999", "65535",
                              "",         "postmaster@example.net",
                              "",         "Mon 07 Mar 2024",
                              "W",        "1709283600",
                              "9999999"};
    for (int c = 0; c < IndexViewModel::kColumns; ++c) {
        const auto title = IndexViewModel::ColumnTitle(c);
        int width =
            FitWidth(titleFont, IndexViewModel::ColumnWidth(c),
                     {QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size()))});
        width = FitWidth(cellFont, width, {QString::fromLatin1(c < 11 ? widest[c] : "W")});
        header->resizeSection(c, width);
    }
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    StringGrid1SelectCell(current.column(), current.row() + 1);
            });
    // A cell selected by assistive technology becomes the current cell, as
    // a click makes it (the mouse and the keys move both together).
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList selected = StringGrid1->selectionModel()->selectedIndexes();
        if (selected.size() == 1 && selected.front() != StringGrid1->currentIndex())
            StringGrid1->selectionModel()->setCurrentIndex(selected.front(),
                                                           QItemSelectionModel::NoUpdate);
    });
    layout->addWidget(StringGrid1, 1);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    MakeGroupPanel(Panel2, QStringLiteral("Cell Information"));
    auto* bottom = new QHBoxLayout(Panel2);
    bottom->setContentsMargins(8, 4, 8, 4);
    LblCellInfo = new QLabel(QStringLiteral("Cell: "), Panel2);
    LblCellInfo->setObjectName(QStringLiteral("LblCellInfo"));
    LblCellInfo->setTextFormat(Qt::PlainText);
    LblCellInfo->setFont(bold);
    bottom->addWidget(LblCellInfo, 1);
    layout->addWidget(Panel2);

    resize(1000, 600);
}

void TForm2::ShowLabels() {
    // The texts end in a line break that a screen reader would read out.
    for (auto [label, text] : {std::pair{Lbl1IndexFile, ToQt(model_.Lbl1IndexFile())},
                               {LblPMMfile, ToQt(model_.LblPMMfile())}}) {
        label->setText(text);
        label->setAccessibleName(text.trimmed());
    }
    LblCellInfo->setText(ToQt(model_.LblCellInfo()));
}

void TForm2::View(TForm1& main) {
    table_->BeginLoad();
    const ViewResult result = ListBox1DblClick(state_, main, model_);
    table_->EndLoad();
    if (!result.show) {
        ShowLabels();
        return;
    }
    // Each view starts afresh: no current cell (the prompt below the grid),
    // at the first row and column, the focus on Close as at the first view.
    StringGrid1->selectionModel()->clear();
    ShowLabels();
    StringGrid1->scrollToTop();
    StringGrid1->horizontalScrollBar()->setValue(0);
    LMDButton1->setFocus();
    Dialogs::Exec(this);
}

void TForm2::StringGrid1SelectCell(int column, int row) {
    model_.SelectCell(row, column);
    LblCellInfo->setText(ToQt(model_.LblCellInfo()));
}

}  // namespace kestrove
