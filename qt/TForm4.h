#pragma once
// Other Options: the five settings as radio groups.

#include <QDialog>

#include "core/AppState.h"

class QLabel;
class QPushButton;

namespace kestrove {

class RadioGroup;

class TForm4 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm4(AppState& state, QWidget* parent = nullptr);

    // OK: writes the five keys in order and sets the Settings; a refused
    // write is shown and ends it.
    void OtherOptnsOKClick();

    QLabel* LblOthrOptnsUnread;
    RadioGroup* RGUnread;
    QLabel* LblOthrOptnsBkup;
    RadioGroup* RGBackup;
    QLabel* LblOthrOptnsDeleted;
    RadioGroup* RGDeleted;
    QLabel* LblOthrOptnsRunChk;
    RadioGroup* RGRunCheck;
    QLabel* LBLGetStatsOptns;
    RadioGroup* RGStats;
    QPushButton* OtherOptnsOK;

  private:
    Settings Chosen() const;

    AppState& state_;
};

}  // namespace kestrove
