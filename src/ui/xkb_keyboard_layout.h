#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "core/keys/keyboard_layout.h"

// The desktop's keyboard layout as xkbcommon compiles it. Keys are known by where they sit: a
// virtual key is the key at that place on a US keyboard (as the input hook reports it), its scan
// code the set-1 code of that place, and its text what the layout types there with no modifier
// held. The layout is read once; the object never changes and may be shared between threads.

struct xcb_connection_t;

// The names xkbcommon compiles a keymap from; empty fields take the environment's XKB_DEFAULT_*
// values, then the library's defaults.
struct XkbLayoutNames {
    QString rules;
    QString model;
    QString layout;
    QString variant;
    QString options;
};

// The keymap compiled from names, for the first of its layouts; nullptr when the names do not
// compile (unknown layout, no keymap data on the system).
std::shared_ptr<const KeyboardLayout> XkbKeyboardLayoutFromNames(const XkbLayoutNames& names);

// The desktop's current keymap and layout: from the X server when there is one (DISPLAY), else
// from the names in the environment or the defaults. nullptr when neither gives a keymap. source,
// when given, tells where it came from, for the log.
std::shared_ptr<const KeyboardLayout> DesktopKeyboardLayout(QString* source = nullptr);

// The keymap and current layout of a keyboard of an X connection that has set up the XKB
// extension; nullptr when they cannot be read.
std::shared_ptr<const KeyboardLayout> XkbKeyboardLayoutOfDevice(xcb_connection_t* connection, std::int32_t device);
