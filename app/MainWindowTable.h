#pragma once
// The main window's controls as every window program builds them: the
// captions with their access keys, the buttons' hints, the menus with their
// items and separators. What each control shows, enables and means at a
// moment is ModeControls'; this is what it is.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/ModeControls.h"

namespace kestrove {

inline constexpr std::string_view kMainWindowCaption = "Kestrove - 2.30";

// A caption's "&" marks the access key of the letter after it; "&&" is a
// plain "&".
// The letter a caption marks, in upper case; 0 for none.
char AccessKey(std::string_view caption);
// The caption without its marks, as a screen reader says it.
std::string WithoutAccessKey(std::string_view caption);
// The letters that more than one caption marks, each once, in the order of
// their second use; empty when every key leads to one control.
std::string AccessKeyClashes(const std::vector<std::string_view>& captions);

// The labels that stand before a control and name it (the captions of the
// two list labels follow the mode: ModeControls).
struct LabelSpec {
    std::string_view name;
    std::string_view caption;
};
extern const std::array<LabelSpec, 3> kLabels;  // Label3, Label1, Label2

// RGMode1's items, by index; and the meters' captions (Meter's order).
extern const std::array<std::string_view, 3> kModeItems;
extern const std::array<std::string_view, 3> kMeterCaptions;
// The status lines' design texts.
extern const std::array<std::string_view, 3> kStatusDesignTexts;

struct ButtonSpec {
    std::string_view name;  // the control's
    ButtonControl ModeControls::*field;
    std::string_view caption;  // lines parted by "\n"
    std::string_view hint;
    // What a screen reader calls it, where the caption does not say it.
    std::string_view accessibleName;
    // The accessible name, else the caption on one line.
    std::string Name() const;
};
extern const std::array<ButtonSpec, 12> kButtons;
// The button of that name; none for a name the table does not have.
const ButtonSpec* FindButton(std::string_view name);

struct MenuItemSpec {
    std::string_view name;     // the item's; empty for a separator
    std::string_view action;   // the action it is bound to; empty for none
    std::string_view caption;  // with its access key
    MenuControl ModeControls::*field = nullptr;
    // A check mark shows MenuControl::checked (besides the marker of the
    // current choice, which any item may show): the items of the mode, sort
    // and format choices.
    bool checkable = false;
    // The check mark is drawn; else the marker alone shows the choice on
    // screen and the check is for assistive technology.
    bool checkDrawn = false;
    bool Separator() const { return field == nullptr; }
};

struct MenuSpec {
    std::string_view name;     // the menu's
    std::string_view caption;  // on the menu bar, with its access key
    std::span<const MenuItemSpec> items;
};
// MainMenu1: "File", "Options", "Run", "Help".
extern const std::array<MenuSpec, 4> kMenus;
// Every item of every menu, separators left out, in menu order.
std::vector<const MenuItemSpec*> MenuItems();

// The captions whose access keys work in the window itself, without a menu
// open: the menu bar's, the labels' (the list labels as `controls` has
// them), the mode items', and the buttons' that `controls` shows, Abort
// among them (a command shows it beside the others).
std::vector<std::string_view> WindowCaptions(const ModeControls& controls);
// The button the keyboard focus goes to after a command when the control
// that had it is gone or disabled: the mode's main command (its name).
std::string_view CommandButton(const ModeControls& controls);
// The captions of one open menu's items.
std::vector<std::string_view> MenuCaptions(const MenuSpec& menu);

}  // namespace kestrove
