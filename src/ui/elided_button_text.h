#pragma once

#include <QString>

class QAbstractButton;

// A push button whose text can be wider than the button (a macro's name in a button slot, a long
// translation) shows the start of the text and "…", never a text cut off mid-character at its
// edge. Only the painting changes: the button's text stays whole for everyone who reads it, and
// the caller gives the whole text as tool tip and accessible description. The cut follows the
// button's width, font and scale whenever it is painted.
void ElideTextWhenNarrow(QAbstractButton* button);

// What the button shows: its text, or the shortened text where ElideTextWhenNarrow is on and the
// text does not fit.
QString ShownButtonText(const QAbstractButton* button);
