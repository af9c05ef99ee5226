#include "qt/TForm6.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "qt/Dialogs.h"
#include "qt/GridModel.h"
#include "qt/TForm1.h"
#include "qt/Widgets.h"

namespace kestrove {

TForm6::TForm6(AppState& state, QWidget* parent) : QDialog(parent), state_(state) {
    SetUpDialog(this, QStringLiteral("Form6"), QStringLiteral("Statistics"));
    setSizeGripEnabled(true);
    FillBackground(this, colors::kSkyBlue);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout();
    LMDButton1 = NewButton(this, QStringLiteral("LMDButton1"), QStringLiteral("Close"));
    LMDButton1->setAutoDefault(false);
    connect(LMDButton1, &QPushButton::clicked, this, &QDialog::accept);
    RGSortOn = new RadioGroup(
        QStringLiteral("Sort On"),
        {QStringLiteral("From"), QStringLiteral("Messages"), QStringLiteral("Size")}, this);
    RGSortOn->setObjectName(QStringLiteral("RGSortOn"));
    RGSortOn->setItemIndex(0);
    RGSortIn = new RadioGroup(QStringLiteral("Sort In"),
                              {QStringLiteral("Ascending"), QStringLiteral("Descending")}, this);
    RGSortIn->setObjectName(QStringLiteral("RGSortIn"));
    RGSortIn->setItemIndex(0);
    connect(RGSortOn, &RadioGroup::clicked, this, [this] { RGSortOnClick(); });
    connect(RGSortIn, &RadioGroup::clicked, this, [this] { RGSortOnClick(); });
    auto* totals = new QVBoxLayout();
    QFont bold = font();
    bold.setBold(true);
    LblAddresses = new QLabel(QStringLiteral("Addresses:"), this);
    LblAddresses->setObjectName(QStringLiteral("LblAddresses"));
    LblMessages = new QLabel(QStringLiteral("Messages:"), this);
    LblMessages->setObjectName(QStringLiteral("LblMessages"));
    LblSize = new QLabel(QStringLiteral("Size:"), this);
    LblSize->setObjectName(QStringLiteral("LblSize"));
    for (QLabel* l : {LblAddresses, LblMessages, LblSize}) {
        l->setFont(bold);
        l->setTextFormat(Qt::PlainText);
        totals->addWidget(l);
    }
    top->addWidget(LMDButton1, 0, Qt::AlignTop);
    top->addWidget(RGSortOn);
    top->addWidget(RGSortIn, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(totals, 1);
    layout->addLayout(top);

    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(9);
    GridModel::Source source{
        [this] { return view_.RowCount(); },
        [this](int row, int column) { return view_.CellText(row, column); },
        [](int, int) { return colors::kCream; },
        [](int column) { return std::string(StatsView::ColumnTitle(column)); }};
    grid_ = new GridModel(StatsView::kColumns, std::move(source), fixed, this);
    StringGrid1 = new QTableView(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(QStringLiteral("Senders"));
    auto* header = new TitleHeader(10, true, StringGrid1);
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    header->setFont(titleFont);
    SetUpGrid(StringGrid1, header);
    StringGrid1->setModel(grid_);
    StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    for (int c = 0; c < StatsView::kColumns; ++c)
        header->resizeSection(c, StatsView::ColumnWidth(c));
    header->setStretchLastSection(true);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(StringGrid1, 1);
    resize(560, 520);
}

void TForm6::GetStats(TForm1& main) {
    view_.sortOn = RGSortOn->itemIndex();
    view_.sortIn = RGSortIn->itemIndex();
    bool loading = true;
    grid_->BeginLoad();
    main.GetStats(view_, [this, &loading] {
        grid_->EndLoad();
        loading = false;
        LblAddresses->setText(ToQt(view_.LblAddresses()));
        LblMessages->setText(ToQt(view_.LblMessages()));
        LblSize->setText(ToQt(view_.LblSize()));
        StringGrid1->scrollToTop();
        Dialogs::Exec(this);
    });
    if (loading)
        grid_->EndLoad();
}

void TForm6::RGSortOnClick() {
    view_.sortOn = RGSortOn->itemIndex();
    view_.sortIn = RGSortIn->itemIndex();
    kestrove::RGSortOnClick(state_, view_);
    grid_->Refresh();
}

}  // namespace kestrove
