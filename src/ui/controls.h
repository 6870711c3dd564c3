#pragma once

#include <QString>

class QWidget;
class QAbstractButton;
class QAbstractSlider;
class QStackedWidget;

// A control can hold a language key instead of a literal text; the toolkit shows the key's text.
inline constexpr char kTextKeyProperty[] = "textKey";
// The accessible name of a control as a language key, with an optional argument for a "%1" in
// its text ("DPI of stage %1"); a tool tip as a language key.
inline constexpr char kAccessibleNameKeyProperty[] = "accessibleNameKey";
inline constexpr char kAccessibleNameArgProperty[] = "accessibleNameArg";
inline constexpr char kToolTipKeyProperty[] = "toolTipKey";
// A combo whose item texts are language keys; each item keeps its key under kItemKeyRole.
inline constexpr char kItemTextKeysProperty[] = "itemTextKeys";
inline constexpr int kItemKeyRole = 0x0101;  // Qt::UserRole + 1
// A container marked with a virtual-window name routes its controls' notifications to the pump
// registered under that name.
inline constexpr char kVirtualWndProperty[] = "virtualwnd";
// A control marked as caption moves its window when dragged.
inline constexpr char kCaptionProperty[] = "caption";
// The accessible description of a control as a language key.
inline constexpr char kAccessibleDescriptionKeyProperty[] = "accessibleDescriptionKey";

// Control operations of the toolkit. Changes made "without notification" raise none, so code that
// sets a control never reacts to its own change; "with notification" raise the same notification
// a user's action would.
QString ControlText(const QWidget* control);
void SetControlText(QWidget* control, const QString& text);
void SetControlTextKey(QWidget* control, const QString& key);

// Lists and combos: select an item (-1 clears the selection).
void SelectItem(QWidget* listOrCombo, int index, bool notify);
int SelectedItem(const QWidget* listOrCombo);

// Options (radio buttons) and check boxes.
void SetSelected(QAbstractButton* option, bool selected, bool notify);

// Sliders, progress bars and spin boxes, always without notification.
void SetControlValue(QWidget* sliderProgressOrSpin, int value);

// Shows or hides a control the skin may lack (null is ignored).
void SetShown(QWidget* control, bool shown);

// A tab layout: -1 shows no page.
void SelectTabItem(QStackedWidget* tabs, int index);
int SelectedTabItem(const QStackedWidget* tabs);
