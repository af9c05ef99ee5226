#pragma once
// About: the product name, its version and an OK button.

#include <QDialog>

class QLabel;
class QPushButton;

namespace kestrove {

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    QLabel* Comments;
    QPushButton* OKButton;
};

}  // namespace kestrove
