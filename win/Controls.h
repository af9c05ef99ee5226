#pragma once
// A small layer over user32 and comctl32: top-level forms with a member
// window procedure, child controls by id, fonts and sizes that follow the
// monitor's DPI, and the modal loop (which tests replace by a hook, so that
// no test ever waits in a loop of its own).

#include <windows.h>
// windows.h first: the common controls need its types.
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "reports/IndexViewer.h"  // Rgb and the program's colours

namespace kestrove::win {

COLORREF ToColorRef(Rgb colour);

// Design sizes are for 96 dpi.
int Scale(int value, int dpi);
int WindowDpi(HWND window);
// Where a top-level window of a design size goes on a monitor's work area
// at a DPI: centred, no larger than the work area, and wholly inside it (so
// its caption and menu bar are on the screen).
RECT PlaceInWorkArea(const RECT& work, int dpi, int width, int height);

std::string GetText(HWND window);
void SetText(HWND window, const std::string& text);

// A child control. `cls` is a window class such as "BUTTON" or WC_LISTVIEWA.
HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int id, DWORD exStyle = 0);
// A bare child window that holds other controls, drawn in its parent's
// background, so that they show and hide as one (under Wine every window
// shown or hidden costs about a millisecond). It passes its controls'
// notifications and colour requests on to its parent.
HWND Group(HWND parent, int id);
// Moves a control to a rectangle given in 96-dpi units.
void Place(HWND control, int dpi, int x, int y, int w, int h);

// List boxes.
void FillListBox(HWND list, const std::vector<std::string>& entries);
std::vector<int> SelectedRows(HWND list);  // multiple or single selection

// "A|B|C|D" as the save dialog wants it: "A\0B\0C\0D\0\0".
std::string DialogFilter(std::string_view filter);

// A top-level window. Closing a form that shows modally only hides it.
class Form {
  public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    HWND hwnd() const { return hwnd_; }
    HWND Item(int id) const;  // also a control inside a group
    int dpi() const { return dpi_; }

    // Shows the form modally over `owner` until Close(). Tests set a hook
    // that is called instead of the loop, with the form on screen; the form
    // closes after it if the hook did not close it.
    void ShowModal(HWND owner);
    void Close();
    bool Modal() const { return modal_; }
    using ModalHook = std::function<void(Form&)>;
    static void SetModalHook(ModalHook hook);

    // A click on a control, as the user's click would send it.
    void Click(int id);

    // Runs the handlers of waiting messages once.
    static void PumpMessages();

    // The control that gets the keyboard focus when the form is shown.
    void FocusOnShow(HWND control) { focusOnShow_ = control; }

  protected:
    void Create(const char* name, const char* caption, DWORD style, int width, int height,
                HWND owner, Rgb background);
    // The form's fonts, made anew when the DPI changes.
    HFONT Font(int points, bool bold, bool fixed = false);
    void ApplyFont(int id, HFONT font);
    virtual void Layout(int width, int height) = 0;
    virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
    virtual LRESULT OnNotify(NMHDR* /*header*/, bool& handled) {
        handled = false;
        return 0;
    }
    virtual bool OnClose();  // true: the window may go
    virtual void OnFontsChanged() {}
    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Relayout();

    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    Rgb background_{255, 255, 255};
    HBRUSH brush_ = nullptr;

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void DropFonts();
    struct FontKey {
        int points;
        bool bold, fixed;
        HFONT font;
    };
    std::vector<FontKey> fonts_;
    bool modal_ = false;
    bool done_ = false;
    // The control that had the focus when the form was last deactivated
    // (a box or another window came over it); it gets it back.
    HWND lastFocus_ = nullptr;
    HWND focusOnShow_ = nullptr;
};

}  // namespace kestrove::win
