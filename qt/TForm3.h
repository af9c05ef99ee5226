#pragma once
// Set Drives: which drive letters the main window offers.

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QPushButton;

namespace kestrove {

class TForm1;

class TForm3 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm3(TForm1& main, QWidget* parent = nullptr);

    // OK: writes the 26 drive keys and Path, enters the stored directory
    // and builds the drive list anew. A refused write is shown and ends it.
    void SetDriveOKxClick();

    QLabel* SetDrivesLbl1;
    QLabel* SetDrivesLbl2;
    std::array<QCheckBox*, 26> ChkDrive{};  // ChkDriveA .. ChkDriveZ
    QPushButton* SetDriveOK;

  private:
    TForm1& main_;
};

}  // namespace kestrove
