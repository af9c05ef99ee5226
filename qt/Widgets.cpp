#include "qt/Widgets.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOption>
#include <QTableView>
#include <algorithm>

#include "core/Settings.h"
#include "qt/Dialogs.h"

namespace kestrove {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent,
                       int columns)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
    setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setVerticalSpacing(2);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setAccessibleName(QString(items[i]).remove(QLatin1Char('&')));
        group_->addButton(b, i);
        layout->addWidget(b, i % rows, i / rows);
        buttons_.push_back(b);
    }
    connect(group_, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
}

int RadioGroup::itemIndex() const {
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    index = ClampRadioIndex(index, count());
    if (index < 0) {
        group_->setExclusive(false);
        for (auto* b : buttons_)
            b->setChecked(false);
        group_->setExclusive(true);
        return;
    }
    buttons_[static_cast<std::size_t>(index)]->setChecked(true);
}

void RadioGroup::focusChoice() {
    if (buttons_.empty())
        return;
    const int chosen = itemIndex();
    button(chosen < 0 ? 0 : chosen)->setFocus(Qt::ShortcutFocusReason);
}

namespace {

class GroupBuddyFilter : public QObject {
  public:
    GroupBuddyFilter(QLabel* label, RadioGroup* group) : QObject(label), group_(group) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Shortcut) {
            group_->focusChoice();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    RadioGroup* group_;
};

}  // namespace

void SetGroupBuddy(QLabel* label, RadioGroup* group) {
    label->setBuddy(group);
    label->installEventFilter(new GroupBuddyFilter(label, group));
}

MeterBar::MeterBar(const QString& caption, QWidget* parent)
    : QWidget(parent), caption_(new QLabel(caption, this)), bar_(new QProgressBar(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    caption_->setMinimumWidth(
        caption_->fontMetrics().horizontalAdvance(QStringLiteral("Characters")) + 6);
    caption_->setBuddy(bar_);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setAccessibleName(caption);
    caption_->setAccessibleName(caption);
    layout->addWidget(caption_);
    layout->addWidget(bar_, 1);
    setAccessibleName(caption);
}

void MeterBar::setValue(int percent) {
    bar_->setValue(percent);
}

int MeterBar::value() const {
    return bar_->value();
}

namespace {

class StatusLineAccessible : public QAccessibleWidget {
  public:
    explicit StatusLineAccessible(StatusText* line)
        : QAccessibleWidget(line, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        auto* line = static_cast<StatusText*>(widget());
        if (t == QAccessible::Name)
            return line->text().isEmpty() ? QStringLiteral("Status line %1").arg(line->number())
                                          : line->text();
        if (t == QAccessible::Value)
            return line->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* StatusLineFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("kestrove::StatusText") && object && object->isWidgetType())
        return new StatusLineAccessible(static_cast<StatusText*>(object));
    return nullptr;
}

}  // namespace

StatusText::StatusText(int number, const QString& text, QWidget* parent)
    : QWidget(parent), number_(number), text_(text) {
    static const bool installed = [] {
        QAccessible::installFactory(StatusLineFactory);
        return true;
    }();
    (void)installed;
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void StatusText::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

QSize StatusText::sizeHint() const {
    return {fontMetrics().horizontalAdvance(text_) + 4, fontMetrics().height() + 4};
}

QSize StatusText::minimumSizeHint() const {
    return {0, fontMetrics().height() + 4};
}

void StatusText::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect().adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               text_);
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit enterPressed();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    inMousePress_ = true;
    QListWidget::mousePressEvent(event);
    inMousePress_ = false;
}

// A list the window hides keeps no size until its layout shows it again:
// an entry tells assistive technology whether it lies within its list.
void ListBox::hideEvent(QHideEvent* event) {
    QListWidget::hideEvent(event);
    if (!isHidden())
        return;
    setGeometry(QRect(geometry().topLeft(), QSize(0, 0)));
}

TitleHeader::TitleHeader(int points, bool bold, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent) {
    font_ = font();
    font_.setPointSize(points);
    font_.setBold(bold);
    setSectionsClickable(false);
    setHighlightSections(false);
    setMinimumSectionSize(4);
}

void TitleHeader::paintSection(QPainter* painter, const QRect& rect, int section) const {
    painter->save();
    painter->fillRect(rect, colors::kSkyBlue);
    painter->setPen(QColor(128, 128, 128));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->setPen(colors::kNavy);
    painter->setFont(font_);
    const QString text =
        model() ? model()->headerData(section, Qt::Horizontal).toString() : QString();
    painter->setClipRect(rect.adjusted(0, 0, -1, -1));
    painter->drawText(rect.adjusted(2, 0, -1, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
}

QSize TitleHeader::sectionSizeFromContents(int section) const {
    QSize size = QHeaderView::sectionSizeFromContents(section);
    size.setHeight(std::max(24, QFontMetrics(font_).height() + 6));
    return size;
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    painter->save();
    const QVariant background = index.data(Qt::BackgroundRole);
    painter->fillRect(option.rect,
                      background.isValid() ? background.value<QColor>() : colors::kCream);
    const QVariant font = index.data(Qt::FontRole);
    if (font.isValid())
        painter->setFont(font.value<QFont>());
    const QVariant foreground = index.data(Qt::ForegroundRole);
    painter->setPen(foreground.isValid() ? foreground.value<QColor>() : colors::kNavy);
    painter->setClipRect(option.rect);
    painter->drawText(option.rect.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(Qt::DisplayRole).toString());
    if ((option.state & QStyle::State_HasFocus) != 0) {
        QPen pen(colors::kNavy, 1, Qt::DotLine);
        painter->setPen(pen);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

int FitWidth(const QFont& font, int given, const QStringList& samples) {
    const QFontMetrics metrics(font);
    int width = given;
    for (const QString& sample : samples)
        width = std::max(width, metrics.horizontalAdvance(sample) + 8);
    return width;
}

void SetUpGrid(QTableView* grid, QHeaderView* titleRow) {
    grid->setHorizontalHeader(titleRow);
    grid->setItemDelegate(new CellDelegate(grid));
    grid->verticalHeader()->setVisible(false);
    grid->setCornerButtonEnabled(false);
    for (QAbstractButton* corner : grid->findChildren<QAbstractButton*>())
        corner->setAccessibleName(QStringLiteral("Select All"));
    grid->setShowGrid(true);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    titleRow->setSectionResizeMode(QHeaderView::Interactive);
}

void FillList(QListWidget* list, const std::vector<std::string>& entries) {
    const int scroll = list->verticalScrollBar() ? list->verticalScrollBar()->value() : 0;
    const bool blocked = list->blockSignals(true);
    list->clear();
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(entries.size()));
    for (const auto& e : entries)
        texts << ToQt(e);
    list->addItems(texts);
    list->blockSignals(blocked);
    if (list->verticalScrollBar())
        list->verticalScrollBar()->setValue(scroll);
}

namespace {

// The platform style marks the focused button with a slightly darker
// border, which is easy to miss: a frame in the highlight colour inside it.
constexpr char kCheckHidden[] = "kestroveCheckHidden";

class ProgramStyle : public QProxyStyle {
  public:
    explicit ProgramStyle(const QString& key) : QProxyStyle(key) {}
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuItem) {
            const auto* menu = qobject_cast<const QMenu*>(widget);
            const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            const QAction* action = menu && item ? menu->actionAt(item->rect.center()) : nullptr;
            if (action && action->property(kCheckHidden).toBool()) {
                QStyleOptionMenuItem plain(*item);
                plain.checkType = QStyleOptionMenuItem::NotCheckable;
                plain.checked = false;
                QProxyStyle::drawControl(element, &plain, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element != CE_PushButton || (option->state & State_HasFocus) == 0)
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(option->palette.color(QPalette::Highlight), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option->rect).adjusted(3, 3, -3, -3));
        painter->restore();
    }
};

}  // namespace

void HideCheckMark(QAction* item) {
    item->setProperty(kCheckHidden, true);
}

void UseProgramStyle() {
    if (dynamic_cast<ProgramStyle*>(QApplication::style()))
        return;
    QApplication::setStyle(new ProgramStyle(QApplication::style()->name()));
}

void SetUpDialog(QDialog* dialog, const QString& name, const QString& title) {
    dialog->setObjectName(name);
    dialog->setWindowTitle(title);
    dialog->setModal(true);
}

void FillBackground(QWidget* widget, const QColor& background) {
    widget->setAutoFillBackground(true);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::WindowText, colors::kNavy);
    widget->setPalette(pal);
}

QPushButton* NewButton(QWidget* parent, const QString& name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(text);
    return button;
}

QPushButton* AddOkButton(QDialog* dialog, QBoxLayout* layout, const QString& name) {
    QPushButton* ok = NewButton(dialog, name, QStringLiteral("OK"));
    QFont bold = dialog->font();
    bold.setBold(true);
    ok->setFont(bold);
    ok->setDefault(true);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    return ok;
}

}  // namespace kestrove
