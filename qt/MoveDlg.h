#pragma once
// The destination chooser of Move: a drive selector and a directory tree.

#include <QDialog>
#include <optional>
#include <string>

class QComboBox;
class QDialogButtonBox;
class QLabel;

namespace kestrove {

class DirectoryTree;

class MoveDlg : public QDialog {
    Q_OBJECT
  public:
    explicit MoveDlg(QWidget* parent = nullptr);

    // Shows the chooser modally, starting in `start`; the directory chosen,
    // or empty when it was cancelled.
    std::optional<std::string> Choose(const std::string& start);

    QLabel* DriveLabel;
    QComboBox* DriveComboBox;
    QLabel* DirLabel;
    DirectoryTree* DirectoryListBox;
    QLabel* PathLabel;
    QDialogButtonBox* Buttons;

  private:
    void FillDrives();
};

}  // namespace kestrove
