// The main window's controls as both programs build them: access keys that
// never clash, menus that hold every item of the table once, buttons with
// their hints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

#include "app/MainWindowTable.h"

namespace kestrove {
namespace {

TEST(MainWindowTable, AccessKeys) {
    EXPECT_EQ(AccessKey("E&xit"), 'X');
    EXPECT_EQ(AccessKey("&contents"), 'C');
    EXPECT_EQ(AccessKey("Save"), 0);
    EXPECT_EQ(AccessKey("Tom && &Jerry"), 'J');  // "&&" is a plain "&"
    EXPECT_EQ(AccessKey("Tom &&"), 0);
    EXPECT_EQ(AccessKey("ends in &"), 0);
    EXPECT_EQ(WithoutAccessKey("Save &Log File"), "Save Log File");
    EXPECT_EQ(WithoutAccessKey("Tom && Jerry"), "Tom & Jerry");
    EXPECT_EQ(AccessKeyClashes({"&File", "&Options", "*.PMI &Files", "&Run", "User Di&rectories",
                                "&fax", "&Help"}),
              "FR");
    EXPECT_EQ(AccessKeyClashes({"&New", "No key", "N&ormal"}), "");
}

// A key pressed in the window leads to one control, in every mode; a key
// pressed in an open menu to one item.
TEST(MainWindowTable, NoTwoAccessKeysClash) {
    for (int mode : {kNormalMode, kBackupMode, kNetworkMode}) {
        const ModeControls controls = ModeControlsFor(mode, false, true, true);
        EXPECT_EQ(AccessKeyClashes(WindowCaptions(controls)), "") << mode;
    }
    for (const MenuSpec& menu : kMenus) {
        EXPECT_NE(AccessKey(menu.caption), 0) << menu.name;
        EXPECT_EQ(AccessKeyClashes(MenuCaptions(menu)), "") << menu.name;
        for (std::string_view caption : MenuCaptions(menu))
            EXPECT_NE(AccessKey(caption), 0) << caption;
    }
    for (const LabelSpec& label : kLabels)
        EXPECT_NE(AccessKey(label.caption), 0) << label.name;
}

// The program's own texts, under their marks.
TEST(MainWindowTable, CaptionsAreTheProgramsTexts) {
    std::vector<std::string> menus, file;
    for (const MenuSpec& menu : kMenus)
        menus.push_back(WithoutAccessKey(menu.caption));
    EXPECT_EQ(menus, (std::vector<std::string>{"File", "Options", "Run", "Help"}));
    for (std::string_view caption : MenuCaptions(kMenus[0]))
        file.push_back(WithoutAccessKey(caption));
    EXPECT_EQ(file, (std::vector<std::string>{"New", "Normal Mode", "Backup Mode", "Network Mode",
                                              "SaveIndex", "Save Log File", "Exit"}));
    // Three captions carry their access keys from the start.
    const std::map<std::string_view, std::string_view> given = {
        {"Sort1", "Sort &ON "},  // with its blank
        {"Exit1", "E&xit"},
        {"Contents1", "&Contents"},
        {"Index1", "&Index"}};
    for (const MenuItemSpec* item : MenuItems()) {
        const auto it = given.find(item->name);
        EXPECT_TRUE(it == given.end() || it->second == item->caption) << item->caption;
    }
}

// Every menu item of the table once, each bound to its own entry of the
// mode table; separators only between items.
TEST(MainWindowTable, EveryItemOnce) {
    std::set<std::string_view> names, actions;
    std::vector<MenuControl ModeControls::*> fields;
    for (const MenuItemSpec* item : MenuItems()) {
        EXPECT_TRUE(names.insert(item->name).second) << item->name;
        EXPECT_EQ(std::count(fields.begin(), fields.end(), item->field), 0) << item->name;
        fields.push_back(item->field);
        EXPECT_TRUE(item->action.empty() || actions.insert(item->action).second) << item->action;
    }
    EXPECT_EQ(names.size(), 22u);
    for (const MenuSpec& menu : kMenus) {
        ASSERT_FALSE(menu.items.empty());
        EXPECT_FALSE(menu.items.front().Separator()) << menu.name;
        EXPECT_FALSE(menu.items.back().Separator()) << menu.name;
        for (std::size_t i = 1; i < menu.items.size(); ++i)
            EXPECT_FALSE(menu.items[i - 1].Separator() && menu.items[i].Separator()) << menu.name;
        for (const MenuItemSpec& item : menu.items)
            EXPECT_EQ(item.Separator(), item.name.empty()) << menu.name;
    }
    // The check mark where both programs show one: the items of a choice,
    // so that a screen reader says which is chosen.
    const std::set<std::string_view> choices{"NormalMode",    "BackupMode", "NetworkMode",
                                             "Sort1",         "SortOFF1",   "SaveIndexasCSV",
                                             "SaveIndexasTAB"};
    for (const MenuItemSpec* item : MenuItems()) {
        EXPECT_EQ(item->checkable, choices.count(item->name) == 1) << item->name;
        // Drawn on the format's item alone; the others show their marker.
        EXPECT_EQ(item->checkDrawn, item->name == "SaveIndexasCSV") << item->name;
    }
}

TEST(MainWindowTable, EveryButtonOnceWithItsHint) {
    std::set<std::string_view> names;
    std::vector<ButtonControl ModeControls::*> fields;
    for (const ButtonSpec& button : kButtons) {
        EXPECT_TRUE(names.insert(button.name).second) << button.name;
        EXPECT_EQ(std::count(fields.begin(), fields.end(), button.field), 0) << button.name;
        fields.push_back(button.field);
        EXPECT_FALSE(button.hint.empty()) << button.name;
        EXPECT_EQ(FindButton(button.name), &button);
        // A screen reader says a word, never a sign.
        const std::string name = button.Name();
        EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(name.front()))) << name;
        EXPECT_EQ(name.find('\n'), std::string::npos) << name;
    }
    EXPECT_EQ(FindButton("NoSuchButton"), nullptr);
    EXPECT_EQ(FindButton("FileNames")->Name(), "Display Folder Names");
    EXPECT_EQ(FindButton("BtnMoveAllFiles")->Name(), "Add All");
}

}  // namespace
}  // namespace kestrove
