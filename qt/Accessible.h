#pragma once
// What assistive technology is offered besides Qt's own interfaces: buttons
// whose press and toggle are the click a person makes (so the program reacts
// as it does to the mouse), labels that show a value under a fixed name, and
// inner panels that are groups rather than windows.

#include <QString>

class QFrame;
class QLabel;

namespace kestrove {

// Installs the program's interfaces; once is enough, more calls do nothing.
void InstallAccessibility();

// `label` keeps `name` as its accessible name; its text is its value.
void MakeValueLabel(QLabel* label, const QString& name);
// Sets a value label's text and tells assistive technology of the change.
void SetLabelValue(QLabel* label, const QString& text);

// A panel inside a window: assistive technology sees a named group.
void MakeGroupPanel(QFrame* panel, const QString& name);

}  // namespace kestrove
