#include "qt/MoveDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/DirectoryNavigation.h"
#include "qt/Accessible.h"
#include "qt/Dialogs.h"
#include "qt/DirectoryTree.h"
#include "qt/Widgets.h"

namespace kestrove {

MoveDlg::MoveDlg(QWidget* parent) : QDialog(parent) {
    SetUpDialog(this, QStringLiteral("MoveDlg"), QStringLiteral("Move Backup Files To"));
    auto* layout = new QVBoxLayout(this);
    DriveLabel = new QLabel(QStringLiteral("Dri&ve"), this);
    DriveComboBox = new QComboBox(this);
    DriveComboBox->setObjectName(QStringLiteral("DriveComboBox"));
    DriveComboBox->setAccessibleName(QStringLiteral("Drive"));
    DriveLabel->setBuddy(DriveComboBox);
    DirLabel = new QLabel(QStringLiteral("&Directory"), this);
    DirectoryListBox = new DirectoryTree(this);
    DirectoryListBox->setObjectName(QStringLiteral("DirectoryListBox"));
    DirectoryListBox->setAccessibleName(QStringLiteral("Destination Directory"));
    DirLabel->setBuddy(DirectoryListBox);
    PathLabel = new QLabel(this);
    PathLabel->setObjectName(QStringLiteral("PathLabel"));
    PathLabel->setTextFormat(Qt::PlainText);
    MakeValueLabel(PathLabel, QStringLiteral("Destination"));
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setAccessibleName(QStringLiteral("Buttons"));
    Buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    Buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(DriveLabel);
    layout->addWidget(DriveComboBox);
    layout->addWidget(DirLabel);
    layout->addWidget(DirectoryListBox, 1);
    layout->addWidget(PathLabel);
    layout->addWidget(Buttons);

    connect(DriveComboBox, &QComboBox::activated, this, [this](int index) {
        const QString text = DriveComboBox->itemText(index);
        if (!text.isEmpty() && !DirectoryListBox->setDrive(text.at(0).toLatin1()))
            Dialogs::Error(this, DriveNotReadyText(text.at(0).toLatin1()));
    });
    connect(DirectoryListBox, &DirectoryTree::directoryChanged, this, [this](const QString& dir) {
        SetLabelValue(PathLabel, dir);
        const int i = DriveComboBox->findText(dir.left(2), Qt::MatchFixedString);
        if (i >= 0)
            DriveComboBox->setCurrentIndex(i);
    });
    resize(420, 460);
}

void MoveDlg::FillDrives() {
    DriveComboBox->clear();
    for (const auto& drive : ReadyDrives())
        DriveComboBox->addItem(ToQt(drive));
}

std::optional<std::string> MoveDlg::Choose(const std::string& start) {
    FillDrives();
    DirectoryListBox->refresh();
    DirectoryListBox->setDirectory(ChooserStartDirectory(start));
    SetLabelValue(PathLabel, ToQt(DirectoryListBox->directory()));
    if (Dialogs::Exec(this) != QDialog::Accepted || DirectoryListBox->directory().empty())
        return std::nullopt;
    return DirectoryListBox->directory();
}

}  // namespace kestrove
