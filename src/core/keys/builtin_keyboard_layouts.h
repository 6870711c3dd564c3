#pragma once

#include <memory>

#include "core/keys/keyboard_layout.h"

// Fixed layouts covering every key of the key code table: letters, digits, punctuation, Enter,
// Escape, Backspace, Tab, Space, Caps Lock and F1..F12.
std::shared_ptr<const KeyboardLayout> UsKeyboardLayout();
std::shared_ptr<const KeyboardLayout> FrenchAzertyKeyboardLayout();
