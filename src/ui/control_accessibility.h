#pragma once

#include <QString>

class QWidget;

// What assistive tools are told of a skin's controls beyond Qt's own answers:
// - a combo box is announced by its accessible name ("Light effect"), its value being the chosen
//   item (Qt on Linux would announce the chosen item as its name);
// - a slider marked with kAccessibleValueScaleProperty tells its value in the unit the user
//   reads (a DPI slider stepping in 40 DPI tells 3200, not 80);
// - a progress bar marked with kAccessibleValueProperty tells that text as its value, whatever
//   the bar draws (the battery bar sweeps while charging but tells the battery level).
inline constexpr char kAccessibleValueScaleProperty[] = "accessibleValueScale";
inline constexpr char kAccessibleValueProperty[] = "accessibleValue";

// Installs the answers above; called before the first skin is built. Safe to call again.
void InstallControlAccessibility();

// The value a marked progress bar tells, announced as a change.
void SetAccessibleValue(QWidget* control, const QString& value);
