#pragma once

class CPaintManagerUI;

// The title bar's buttons show only a glyph ("◐", "☰", "–", "✕"); screen readers and automation
// get their names from the language file. A name the skin already gives is kept.
void NameTitleBarButtons(CPaintManagerUI& ui);
