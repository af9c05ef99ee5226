#pragma once
// What the window tests share: drives C:, D: and S: mapped to fresh
// temporary directories (the settings file lives on S:), message boxes and
// modal windows answered by script, and clicks on list entries.

#include <QStringList>
#include <QtTest>
#include <string>

#include "qt/Dialogs.h"
#include "qt/Program.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

class QAbstractButton;
class QListWidget;
class QAbstractItemView;

namespace kestrove::testing {

struct DriveMapReset {
    DriveMapReset();
};

class UiWorld : private DriveMapReset {
  public:
    UiWorld();
    ~UiWorld();

    TempDir c{'C'};
    TempDir d{'D'};
    TempDir s{'S'};

    // S:\Kestrove.INI
    std::string settings() const { return s / "Kestrove.INI"; }
    void WriteIni(const std::string& section, const std::string& key, const std::string& value);
    std::string ReadIni(const std::string& section, const std::string& key) const;

    // Builds the seven windows and shows the main window.
    Forms Open();

    // A directory or an empty file, by Windows path text.
    void MakeDir(const std::string& path) const;
    void Touch(const std::string& path) const;
    // A folder of `n` distinct messages (and `dupes` repeats of the first).
    void Folder(const std::string& indexPath, int n, int dupes = 0,
                const std::string& name = "Folder") const;
};

QStringList Items(const QListWidget* list);
void ClickItem(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void DoubleClickItem(QListWidget* list, int row);
void ClickCell(QAbstractItemView* view, int row, int column);
// Clicks a radio button or check box on its indicator (a click on the empty
// right part of a stretched button does not count).
void ClickIndicator(QAbstractButton* button);
// The main window shows, enables and marks what the engine's table says,
// control by control (QVERIFY: check QTest::currentTestFailed after it).
void VerifyDrawsTheTable(TForm1& f);
// The boxes and windows nobody scripted, and scripted answers nobody used.
QString DialogProblems();

}  // namespace kestrove::testing

// Checks at the end of a test that every box was scripted and every answer used.
#define KESTROVE_VERIFY_DIALOGS()                           \
    QVERIFY2(kestrove::testing::DialogProblems().isEmpty(), \
             qPrintable(kestrove::testing::DialogProblems()))
