#include "tests/qt/UiTestSupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "app/MainWindowTable.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "qt/TForm1.h"
#include "qt/Widgets.h"

namespace kestrove::testing {

DriveMapReset::DriveMapReset() {
    platform::ClearDriveMap();
}

UiWorld::UiWorld() {
    Dialogs::SetTesting(true);
    Dialogs::Reset();
}

UiWorld::~UiWorld() {
    Dialogs::Reset();
}

void UiWorld::WriteIni(const std::string& section, const std::string& key,
                       const std::string& value) {
    QVERIFY(platform::ProfileWriteString(section, key, value, settings()));
}

std::string UiWorld::ReadIni(const std::string& section, const std::string& key) const {
    return platform::ProfileReadString(section, key, "<missing>", settings());
}

Forms UiWorld::Open() {
    Forms forms = CreateForms(settings());
    forms.Form1->show();
    QCoreApplication::processEvents();
    return forms;
}

namespace {
std::filesystem::path NativeOf(const std::string& path) {
    auto native = platform::ToNative(path);
    return native ? std::filesystem::path(*native) : std::filesystem::path();
}
}  // namespace

void UiWorld::MakeDir(const std::string& path) const {
    std::filesystem::create_directories(NativeOf(path));
}

void UiWorld::Touch(const std::string& path) const {
    std::ofstream(NativeOf(path), std::ios::binary);
}

void UiWorld::Folder(const std::string& indexPath, int n, int dupes,
                     const std::string& name) const {
    HeaderSpec header;
    header.name = name;
    FolderBuilder folder(header);
    for (int i = 0; i < n; ++i)
        folder.Add(Msg("sender" + std::to_string(i % 7) + "@example.org",
                       "Subject " + std::to_string(i), "01 Mar 2024 10:00", 1000 + i,
                       "Text of message " + std::to_string(i) + "\r\n"));
    for (int i = 0; i < dupes; ++i)
        folder.Add(Msg("sender0@example.org", "Subject 0", "01 Mar 2024 10:00", 1000,
                       "Text of message 0\r\n"));
    folder.Write(indexPath);
}

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

void ClickItem(QListWidget* list, int row, Qt::KeyboardModifiers modifiers) {
    QListWidgetItem* item = list->item(row);
    QVERIFY(item);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualItemRect(item).center());
}

void DoubleClickItem(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    QVERIFY(item);
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void ClickCell(QAbstractItemView* view, int row, int column) {
    const QModelIndex index = view->model()->index(row, column);
    QVERIFY(index.isValid());
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(index).center());
}

void ClickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
}

void VerifyDrawsTheTable(TForm1& f) {
    const ModeControls t = ModeControlsFor(f.state());
    for (const ButtonSpec& tableRow : kButtons) {
        const auto* button = f.findChild<QPushButton*>(ToQt(tableRow.name));
        QVERIFY2(button, tableRow.name.data());
        const ButtonControl& b = t.*tableRow.field;
        // The commands show and hide Abort themselves.
        if (button != f.AbortButton)
            QCOMPARE(button->isVisible(), b.state.visible);
        QCOMPARE(button->isEnabled(), b.state.enabled);
    }
    for (const MenuItemSpec* item : MenuItems()) {
        const auto* action = f.findChild<QAction*>(ToQt(item->name));
        QVERIFY2(action, item->name.data());
        const MenuControl& m = t.*item->field;
        QCOMPARE(action->isEnabled(), m.enabled);
        QCOMPARE(TForm1::HasMarker(action), m.marker);
        if (item->checkable)
            QCOMPARE(action->isChecked(), m.checked);
    }
    const std::pair<ListId, QListWidget*> lists[] = {{ListId::FileListBox1, f.FileListBox1},
                                                     {ListId::ListBox1, f.ListBox1},
                                                     {ListId::ListBox2, f.ListBox2},
                                                     {ListId::ListBox3, f.ListBox3}};
    for (const auto& [list, widget] : lists)
        QCOMPARE(widget->isEnabled(), ListOf(t, list).state.enabled);
}

QString DialogProblems() {
    QStringList problems = Dialogs::Failures();
    if (!Dialogs::ScriptDone())
        problems << QStringLiteral("scripted answers left unused");
    return problems.join(QLatin1Char('\n'));
}

}  // namespace kestrove::testing
