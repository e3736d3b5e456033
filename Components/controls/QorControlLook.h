// The look the styled controls share: a value set by the program leaves a control in its
// unchanged colour, a change by the user gives it the changed colour, so the user sees at a
// glance what was changed since a dialog was loaded.
#pragma once

#include "UQorTypes.h"

class QWidget;

// Aqua, as the dialogs show loaded values.
constexpr TColor QorUnchangedColor = clAqua;
// The system window colour.
constexpr TColor QorChangedColor = clWindow;
// Light red: a typed number outside the range.
constexpr TColor QorOutOfRangeColor = 0x8080FF;

// Gives the widget (and its children) Color as the background of their edit fields.
void SetControlBackground(QWidget& Widget, TColor Color);
// The same for a drop-down list, whose closed face most styles paint in the button colour.
void SetListBackground(QWidget& Widget, TColor Color);
