#pragma once
// The small widgets the windows are built of: a radio group that holds an
// item index (-1 for none) and clamps what it is given, a progress meter with
// its caption, a list box on which Enter does what a double-click does, and
// the palette the windows share.

#include <QColor>
#include <QGroupBox>
#include <QHeaderView>
#include <QListWidget>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QWidget>
#include <vector>

class QAction;
class QBoxLayout;
class QButtonGroup;
class QDialog;
class QLabel;
class QPushButton;
class QProgressBar;
class QRadioButton;
class QTableView;

namespace kestrove {

namespace colors {
inline const QColor kSkyBlue(166, 202, 240);
inline const QColor kNavy(0, 0, 128);
inline const QColor kCream(255, 251, 240);
inline const QColor kRed(255, 0, 0);
inline const QColor kFuchsia(255, 0, 255);
}  // namespace colors

class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr,
               int columns = 1);
    int itemIndex() const;
    // Below -1 becomes -1 (nothing chosen); at or above the item count the
    // last item. Does not emit clicked().
    void setItemIndex(int index);
    int count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* button(int i) const { return buttons_[static_cast<std::size_t>(i)]; }
    // The keyboard focus to the chosen item (the first when none is), as an
    // access key leads there: nothing is chosen by it.
    void focusChoice();

  signals:
    // The user chose an item (also when it was already chosen).
    void clicked(int index);

  private:
    QButtonGroup* group_;
    std::vector<QRadioButton*> buttons_;
};

// The access key of `label` leads the focus into `group` and chooses
// nothing (a label clicks a button it is the buddy of).
void SetGroupBuddy(QLabel* label, RadioGroup* group);

// A meter with its caption beside it ("Files", "Messages", "Characters").
class MeterBar : public QWidget {
    Q_OBJECT
  public:
    MeterBar(const QString& caption, QWidget* parent = nullptr);
    void setValue(int percent);
    int value() const;
    QProgressBar* bar() const { return bar_; }

  private:
    QLabel* caption_;
    QProgressBar* bar_;
};

// A status line: one line of text, clipped at the right. Unlike a label,
// a new text repaints the line alone and never re-lays out the window, so
// a run can set it per record. Assistive technology reads it as static text
// named by its text ("Status line N" while it is empty).
class StatusText : public QWidget {
    Q_OBJECT
  public:
    StatusText(int number, const QString& text, QWidget* parent = nullptr);
    QString text() const { return text_; }
    void setText(const QString& text);
    int number() const { return number_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int number_;
    QString text_;
};

// A list box; Enter on an entry is its double-click. It tells a selection
// made by the mouse (followed by itemClicked) from one made by the keys.
class ListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit ListBox(QWidget* parent = nullptr) : QListWidget(parent) {}
    bool inMousePress() const { return inMousePress_; }

  signals:
    void enterPressed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    bool inMousePress_ = false;
};

// The title row of a grid, painted by the program: sky blue, navy text of
// the given size, left-aligned and vertically centred, with grid lines.
class TitleHeader : public QHeaderView {
    Q_OBJECT
  public:
    TitleHeader(int points, bool bold, QWidget* parent = nullptr);

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override;
    QSize sectionSizeFromContents(int section) const override;

  private:
    QFont font_;
};

// A grid cell painted by the program: the model's background (Qt::BackgroundRole),
// its text in its font (Qt::FontRole) and colour (Qt::ForegroundRole) on
// one line, left-aligned from the cell's left edge, vertically centred,
// clipped to the cell. The current cell gets a focus frame.
class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// The grid's settings every window shares: no row header (so no corner
// button to reach), grid lines, no editing, cells painted by CellDelegate.
void SetUpGrid(QTableView* grid, QHeaderView* titleRow);

// A column's width: the given one, widened where `samples` (the title, the
// widest value the column shows) would not fit in `font`.
int FitWidth(const QFont& font, int given, const QStringList& samples);

// Shows a list's entries again, keeping the scroll position where it can.
void FillList(QListWidget* list, const std::vector<std::string>& entries);

// The program's style: the platform's, with a plain focus frame on the
// button that has the keyboard focus. Once is enough; more calls do nothing.
void UseProgramStyle();

// The program's style draws the menu item without its check (its icon
// alone shows the choice); assistive technology still hears it.
void HideCheckMark(QAction* item);

// A modal window of the program, named and titled.
void SetUpDialog(QDialog* dialog, const QString& name, const QString& title);
// Fills a widget with `background`; its text navy.
void FillBackground(QWidget* widget, const QColor& background);
// A push button whose accessible name is its text.
QPushButton* NewButton(QWidget* parent, const QString& name, const QString& text);
// The bold default OK button of a settings window, centred at the foot of
// `layout`.
QPushButton* AddOkButton(QDialog* dialog, QBoxLayout* layout, const QString& name);

}  // namespace kestrove
