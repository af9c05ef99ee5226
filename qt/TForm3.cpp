#include "qt/TForm3.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/DirectoryNavigation.h"
#include "core/Settings.h"
#include "qt/Dialogs.h"
#include "qt/DirectoryTree.h"
#include "qt/TForm1.h"
#include "qt/Widgets.h"

namespace kestrove {

TForm3::TForm3(TForm1& main, QWidget* parent) : QDialog(parent), main_(main) {
    SetUpDialog(this, QStringLiteral("Form3"), QStringLiteral("Set Drives"));
    FillBackground(this, colors::kSkyBlue);

    auto* layout = new QVBoxLayout(this);
    SetDrivesLbl1 = new QLabel(QStringLiteral("Set Available Drives"), this);
    SetDrivesLbl1->setObjectName(QStringLiteral("SetDrivesLbl1"));
    QFont big = font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 4);
    SetDrivesLbl1->setFont(big);
    SetDrivesLbl2 = new QLabel(QStringLiteral("Only selected drives will be accessed."), this);
    SetDrivesLbl2->setObjectName(QStringLiteral("SetDrivesLbl2"));
    layout->addWidget(SetDrivesLbl1);
    layout->addWidget(SetDrivesLbl2);

    auto* grid = new QGridLayout();
    grid->setHorizontalSpacing(24);
    for (int i = 0; i < 26; ++i) {
        const QChar letter = QLatin1Char(static_cast<char>('A' + i));
        auto* box = new QCheckBox(QStringLiteral("Drive %1").arg(letter), this);
        box->setObjectName(QStringLiteral("ChkDrive%1").arg(letter));
        box->setAccessibleName(box->text());
        ChkDrive[static_cast<std::size_t>(i)] = box;
        grid->addWidget(box, i % 9, i / 9);  // A-I, J-R, S-Z
    }
    layout->addLayout(grid);

    SetDriveOK = AddOkButton(this, layout, QStringLiteral("SetDriveOK"));
    connect(SetDriveOK, &QPushButton::clicked, this, [this] { SetDriveOKxClick(); });

    // Only a key holding 1 checks its box.
    const DriveChoices offered = ReadDriveChoices(IniFile(main_.state().settingsFile));
    for (std::size_t i = 0; i < offered.size(); ++i)
        ChkDrive[i]->setChecked(offered[i]);
}

void TForm3::SetDriveOKxClick() {
    DriveChoices offered{};
    for (std::size_t i = 0; i < offered.size(); ++i)
        offered[i] = ChkDrive[i]->isChecked();
    if (auto error = main_.SetDriveOKxClick(offered)) {
        Dialogs::Error(this, error->message);
        return;
    }
    accept();
}

}  // namespace kestrove
