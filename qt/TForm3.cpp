#include "qt/TForm3.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

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
    const IniFile ini(main_.state().settingsFile);
    for (int i = 0; i < 26; ++i) {
        const std::string key = std::string("Drive") + static_cast<char>('A' + i);
        ChkDrive[static_cast<std::size_t>(i)]->setChecked(
            ini.ReadInteger(kStartupSection, key, -1) == 1);
    }
}

void TForm3::SetDriveOKxClick() {
    AppState& state = main_.state();
    const IniFile ini(state.settingsFile);
    for (int i = 0; i < 26; ++i) {
        const std::string key = std::string("Drive") + static_cast<char>('A' + i);
        if (auto error = ini.WriteBool(kStartupSection, key,
                                       ChkDrive[static_cast<std::size_t>(i)]->isChecked())) {
            Dialogs::Error(this, error->message);
            return;
        }
    }
    const std::string path = ReadStartPath(ini);
    // A drive chosen in the drive list would pull the tree back to itself
    // when the directory changes; the list is built anew below anyway.
    main_.DriveListBox->clearSelection();
    // The stored directory, or drive C and "C:\" as at start-up when it
    // cannot be entered.
    const char letter = path.empty() ? 'C' : path[0];
    if (!main_.SetDrive(letter) || !main_.SetDirectory(path)) {
        main_.SetDrive('C');
        main_.SetDirectory("C:\\");
    }
    main_.FillDriveList({});
    const std::string current = main_.DirectoryListBox1->directory().empty()
                                    ? state.currentDirectory
                                    : main_.DirectoryListBox1->directory();
    if (auto error = ini.WriteString(kStartupSection, "Path", current)) {
        Dialogs::Error(this, error->message);
        return;
    }
    main_.FillDriveList(RebuildDriveList(ini, "c"));
    accept();
}

}  // namespace kestrove
