#include "qt/TAboutBox.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Settings.h"
#include "qt/Dialogs.h"
#include "qt/Widgets.h"

namespace kestrove {

TAboutBox::TAboutBox(const std::string& settingsFile, QWidget* parent) : QDialog(parent) {
    SetUpDialog(this, QStringLiteral("AboutBox"), QStringLiteral("About"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    ProductName = new QLabel(QStringLiteral("Kestrove"), this);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont big = font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 6);
    ProductName->setFont(big);
    QPalette pal = ProductName->palette();
    pal.setColor(QPalette::WindowText, colors::kNavy);
    ProductName->setPalette(pal);
    Version = new QLabel(QStringLiteral("Version 2.30"), this);
    Version->setObjectName(QStringLiteral("Version"));
    Comments = new QLabel(
        QStringLiteral("Removes duplicate messages from\nPegasus Mail (WinPmail) folders."), this);
    Comments->setObjectName(QStringLiteral("Comments"));
    SettingsFile =
        new QLabel(QStringLiteral("Settings: ") + ToQt(SettingsFileShownName(settingsFile)), this);
    SettingsFile->setObjectName(QStringLiteral("SettingsFile"));
    SettingsFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    OKButton = NewButton(this, QStringLiteral("OKButton"), QStringLiteral("OK"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    for (QLabel* l : {ProductName, Version, Comments, SettingsFile}) {
        l->setAlignment(Qt::AlignHCenter);
        layout->addWidget(l);
    }
    layout->addSpacing(12);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());
}

}  // namespace kestrove
