#include "qt/HelpViewer.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace kestrove {

namespace {
const char* const kHelpPage = "qrc:/help/kestrove.html";
}

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Kestrove Help"));
    setModal(false);
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout();
    ContentsButton = new QPushButton(QStringLiteral("&Contents"), this);
    IndexButton = new QPushButton(QStringLiteral("&Index"), this);
    BackButton = new QPushButton(QStringLiteral("&Back"), this);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {ContentsButton, IndexButton, BackButton}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    Browser->setAccessibleName(QStringLiteral("Help Text"));
    Browser->setOpenExternalLinks(false);
    layout->addLayout(buttons);
    layout->addWidget(Browser, 1);
    connect(ContentsButton, &QPushButton::clicked, this,
            [this] { Open(QStringLiteral("contents")); });
    connect(IndexButton, &QPushButton::clicked, this, [this] { Open(QStringLiteral("index")); });
    connect(BackButton, &QPushButton::clicked, Browser, &QTextBrowser::backward);
    connect(Browser, &QTextBrowser::backwardAvailable, BackButton, &QPushButton::setEnabled);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
    BackButton->setEnabled(false);
    resize(640, 600);
}

void HelpViewer::Open(const QString& anchor) {
    QUrl url(QString::fromLatin1(kHelpPage));
    url.setFragment(anchor);
    Browser->setSource(url);
    Browser->scrollToAnchor(anchor);
}

void HelpViewer::ShowContents() {
    Open(QStringLiteral("contents"));
    show();
    raise();
    activateWindow();
}

void HelpViewer::ShowIndex() {
    Open(QStringLiteral("index"));
    show();
    raise();
    activateWindow();
}

}  // namespace kestrove
