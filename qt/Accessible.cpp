#include "qt/Accessible.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace kestrove {

namespace {

constexpr char kValueLabel[] = "kestroveValueLabel";
constexpr char kGroupPanel[] = "kestroveGroupPanel";

QString WithoutMnemonic(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == QLatin1Char('&'))
            text.remove(i, 1);  // "&&" leaves one "&", skipped by the loop
    return text;
}

// Qt's own button interface checks a box with toggle() and presses a button
// with a delayed animated click: neither is the click the program reacts to.
// Here both are click(); a push button's click is queued, so that a window
// it opens does not hold the caller until the window closes.
class ButtonAccessible : public QAccessibleWidget {
  public:
    ButtonAccessible(QAbstractButton* button, QAccessible::Role role)
        : QAccessibleWidget(button, role) {}

    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
    bool Toggles() const { return role() != QAccessible::PushButton || button()->isCheckable(); }

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name: {
                const QString name = widget()->accessibleName();
                return name.isEmpty() ? WithoutMnemonic(button()->text()) : name;
            }
            case QAccessible::Accelerator:
                return QKeySequence::mnemonic(button()->text()).toString(QKeySequence::NativeText);
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        QAbstractButton* b = button();
        s.checkable = b->isCheckable();
        s.checked = b->isChecked();
        if (auto* box = qobject_cast<QCheckBox*>(b))
            s.checkStateMixed = box->checkState() == Qt::PartiallyChecked;
        s.pressed = b->isDown();
        if (auto* push = qobject_cast<QPushButton*>(b))
            s.defaultButton = push->isDefault();
        return s;
    }

    QStringList actionNames() const override {
        if (!widget()->isEnabled())
            return {};
        return {Toggles() ? toggleAction() : pressAction()};
    }

    void doAction(const QString& action) override {
        if (!widget()->isEnabled())
            return;
        if (action == toggleAction() || action == pressAction()) {
            if (Toggles())
                button()->click();
            else
                QTimer::singleShot(0, button(), &QAbstractButton::click);
        }
    }

    QStringList keyBindingsForAction(const QString& action) const override {
        const QKeySequence key = QKeySequence::mnemonic(button()->text());
        if (key.isEmpty() || !actionNames().contains(action))
            return {};
        return {key.toString(QKeySequence::NativeText)};
    }
};

// A label whose text is a value (a path, say) under a fixed name.
class ValueLabelAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit ValueLabelAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QLabel* label() const { return static_cast<QLabel*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name:
                return widget()->accessibleName();
            case QAccessible::Value:
            case QAccessible::Description:
                return label()->text();
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QVariant currentValue() const override { return label()->text(); }
    void setCurrentValue(const QVariant&) override {}  // shown, not edited
    QVariant maximumValue() const override { return {}; }
    QVariant minimumValue() const override { return {}; }
    QVariant minimumStepSize() const override { return {}; }
};

// A window of the program: while hidden it has no children for assistive
// technology, whose cells would otherwise say they are showing (a cell
// tells only whether it lies within its view).
class WindowAccessible : public QAccessibleWidget {
  public:
    explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Dialog) {}
    int childCount() const override {
        return widget()->isVisible() ? QAccessibleWidget::childCount() : 0;
    }
    QAccessibleInterface* child(int index) const override {
        return widget()->isVisible() ? QAccessibleWidget::child(index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return widget()->isVisible() ? QAccessibleWidget::indexOfChild(child) : -1;
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("QPushButton"))
        return new ButtonAccessible(static_cast<QAbstractButton*>(object), QAccessible::PushButton);
    if (className == QLatin1String("QRadioButton"))
        return new ButtonAccessible(static_cast<QAbstractButton*>(object),
                                    QAccessible::RadioButton);
    if (className == QLatin1String("QCheckBox"))
        return new ButtonAccessible(static_cast<QAbstractButton*>(object), QAccessible::CheckBox);
    if (className == QLatin1String("QLabel") && object->property(kValueLabel).toBool())
        return new ValueLabelAccessible(static_cast<QLabel*>(object));
    if (className == QLatin1String("QDialog"))
        return new WindowAccessible(static_cast<QWidget*>(object));
    if (className == QLatin1String("QFrame") && object->property(kGroupPanel).toBool())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Grouping);
    return nullptr;
}

}  // namespace

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void MakeValueLabel(QLabel* label, const QString& name) {
    InstallAccessibility();
    label->setProperty(kValueLabel, true);
    label->setAccessibleName(name);
}

void SetLabelValue(QLabel* label, const QString& text) {
    if (label->text() == text)
        return;
    label->setText(text);
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(label, text);
        QAccessible::updateAccessibility(&event);
    }
}

void MakeGroupPanel(QFrame* panel, const QString& name) {
    InstallAccessibility();
    panel->setProperty(kGroupPanel, true);
    panel->setAccessibleName(name);
}

}  // namespace kestrove
