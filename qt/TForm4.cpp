#include "qt/TForm4.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MainWindow.h"
#include "core/Settings.h"
#include "qt/Dialogs.h"
#include "qt/Widgets.h"

namespace kestrove {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text) {
    auto* l = new QLabel(
        QString::fromLatin1(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    QFont bold = l->font();
    bold.setBold(true);
    l->setFont(bold);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return l;
}

RadioGroup* MakeGroup(QWidget* parent, const char* name, QLabel* label, const QStringList& items) {
    auto* g = new RadioGroup(QString(), items, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setAccessibleName(label->text().simplified());
    return g;
}

}  // namespace

TForm4::TForm4(AppState& state, QWidget* parent) : QDialog(parent), state_(state) {
    SetUpDialog(this, QStringLiteral("Form4"), QStringLiteral("Other Options"));
    FillBackground(this, colors::kSkyBlue);

    const QStringList mismatch{QStringLiteral("Always Ask"), QStringLiteral("Always Ignore"),
                               QStringLiteral("Always Skip")};
    auto* layout = new QVBoxLayout(this);
    auto* panels = new QGridLayout();
    panels->setHorizontalSpacing(16);
    LblOthrOptnsUnread = MakeLabel(this, "LblOthrOptnsUnread",
                                   " What to do if number of \r\n  UNREAD messages is\r\n"
                                   "different in PMI/PMM files");
    RGUnread = MakeGroup(this, "RGUnread", LblOthrOptnsUnread, mismatch);
    LblOthrOptnsBkup =
        MakeLabel(this, "LblOthrOptnsBkup", "\r\n\r\nWhat to do if \r\nBackup file EXISTS?");
    RGBackup =
        MakeGroup(this, "RGBackup", LblOthrOptnsBkup,
                  {QStringLiteral("Always Ask"), QStringLiteral("Always Overwrite and continue"),
                   QStringLiteral("Never Overwrite and skip")});
    LblOthrOptnsDeleted = MakeLabel(this, "LblOthrOptnsDeleted",
                                    " What to do if number of \r\n DELETED messages is\r\n"
                                    "different in PMI/PMM files");
    RGDeleted = MakeGroup(this, "RGDeleted", LblOthrOptnsDeleted, mismatch);
    LblOthrOptnsRunChk = MakeLabel(this, "LblOthrOptnsRunChk",
                                   "\r\n\r\n\r\nDo you want to check \r\nto see if WinPmail is\r\n"
                                   "Running?");
    RGRunCheck =
        MakeGroup(this, "RGRunCheck", LblOthrOptnsRunChk,
                  {QStringLiteral("Yes, Always Check"), QStringLiteral("No, Never Check")});
    LBLGetStatsOptns =
        MakeLabel(this, "LBLGetStatsOptns", "      In Get Stats\r\nCopy-to-Self Messages");
    RGStats = MakeGroup(this, "RGStats", LBLGetStatsOptns,
                        {QStringLiteral("Include as Self"), QStringLiteral("Include as To:...."),
                         QStringLiteral("Exclude")});

    panels->addWidget(LblOthrOptnsUnread, 0, 0);
    panels->addWidget(RGUnread, 1, 0);
    panels->addWidget(LblOthrOptnsBkup, 2, 0);
    panels->addWidget(RGBackup, 3, 0);
    panels->addWidget(LblOthrOptnsDeleted, 0, 1);
    panels->addWidget(RGDeleted, 1, 1);
    panels->addWidget(LblOthrOptnsRunChk, 2, 1);
    panels->addWidget(RGRunCheck, 3, 1, Qt::AlignTop);
    layout->addLayout(panels);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setAccessibleName(QStringLiteral("Separator"));
    layout->addWidget(line);
    auto* bottom = new QGridLayout();
    bottom->addWidget(LBLGetStatsOptns, 0, 0, Qt::AlignVCenter);
    bottom->addWidget(RGStats, 0, 1);
    layout->addLayout(bottom);

    OtherOptnsOK = AddOkButton(this, layout, QStringLiteral("OtherOptnsOK"));
    connect(OtherOptnsOK, &QPushButton::clicked, this, [this] { OtherOptnsOKClick(); });

    // The file's values, clamped as the groups hold them, are what the
    // commands see.
    const Settings read = ClampSettings(ReadSettings(IniFile(state_.settingsFile)));
    RGUnread->setItemIndex(ItemIndex(read.MismatchedUnread));
    RGDeleted->setItemIndex(ItemIndex(read.MismatchedDeleted));
    RGBackup->setItemIndex(ItemIndex(read.BackupFiles));
    RGRunCheck->setItemIndex(ItemIndex(read.RunCheck));
    RGStats->setItemIndex(ItemIndex(read.GetStats));
    state_.settings = read;
}

Settings TForm4::Chosen() const {
    Settings s;
    s.MismatchedUnread = ChoiceAt<OnMismatch>(RGUnread->itemIndex());
    s.MismatchedDeleted = ChoiceAt<OnMismatch>(RGDeleted->itemIndex());
    s.BackupFiles = ChoiceAt<OnBackupExists>(RGBackup->itemIndex());
    s.RunCheck = ChoiceAt<LockCheck>(RGRunCheck->itemIndex());
    s.GetStats = ChoiceAt<CopyToSelf>(RGStats->itemIndex());
    return s;
}

void TForm4::OtherOptnsOKClick() {
    if (auto error = kestrove::OtherOptnsOKClick(state_, Chosen())) {
        Dialogs::Error(this, error->message);
        return;
    }
    accept();
}

}  // namespace kestrove
