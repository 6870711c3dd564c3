#include "core/keys/keyboard_layout.h"

#include <mutex>

#include "core/keys/builtin_keyboard_layouts.h"

namespace {
std::mutex g_layoutMutex;
std::shared_ptr<const KeyboardLayout> g_layout;
}  // namespace

std::shared_ptr<const KeyboardLayout> CurrentKeyboardLayout()
{
    std::lock_guard lock(g_layoutMutex);
    if (!g_layout)
        g_layout = UsKeyboardLayout();
    return g_layout;
}

void SetKeyboardLayout(std::shared_ptr<const KeyboardLayout> layout)
{
    std::lock_guard lock(g_layoutMutex);
    g_layout = std::move(layout);
}
