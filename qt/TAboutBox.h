#pragma once
// About: the product name, its version, the settings file in use and an OK
// button.

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace kestrove {

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(const std::string& settingsFile, QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    QLabel* Comments;
    QLabel* SettingsFile;
    QPushButton* OKButton;
};

}  // namespace kestrove
