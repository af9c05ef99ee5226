#pragma once
// The help: an HTML page shown in the program's own viewer, opened at its
// contents or at its index.

#include <QDialog>

class QTextBrowser;
class QPushButton;

namespace kestrove {

class HelpViewer : public QDialog {
    Q_OBJECT
  public:
    explicit HelpViewer(QWidget* parent = nullptr);

    void ShowContents();
    void ShowIndex();

    QPushButton* ContentsButton;
    QPushButton* IndexButton;
    QPushButton* BackButton;
    QPushButton* CloseButton;
    QTextBrowser* Browser;

  private:
    void Open(const QString& anchor);
};

}  // namespace kestrove
