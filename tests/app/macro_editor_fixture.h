// The macro editor and the two button dialogs over a data folder of the test's own, a hand-moved
// clock and a stand-in for the input-hook library that notes every call and posts input as the
// library would.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/macro/macro_editor.h"
#include "app/shell/background_queue.h"
#include "app/macro/select_macro_wnd.h"
#include "app/macro/shortcut_wnd.h"
#include "app/shell/hook_library.h"
#include "karvo_hook.h"  // the message number the library posts
#include "core/storage/macro_store.h"
#include "device/profile_session.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"

namespace macro_test {

using Calls = std::vector<std::string>;
// What the stand-in library was asked, in order, where it posts, and whether it sees the desktop.
inline Calls g_hookCalls;
inline const KarvoPostTarget* g_hookTarget = nullptr;
inline bool g_hookGlobal = true;

inline void Note(std::string call, int on = -1) { g_hookCalls.push_back(on < 0 ? call : call + (on ? "(1)" : "(0)")); }
inline HookTable LoggingHookTable()
{
    HookTable t;
    t.installmousehook = [] { Note("installmousehook"); }; t.removemousehook = [] { Note("removemousehook"); };
    t.enablemousehook = [](std::uint32_t on) { Note("enablemousehook", on != 0); };
    t.installhook = [](const KarvoPostTarget* to) -> std::int32_t { g_hookTarget = to, Note("installhook"); return g_hookGlobal; };
    t.removehook = [] { g_hookTarget = nullptr; Note("removehook"); };
    t.enablehook = [](std::uint32_t on) { Note("enablehook", on != 0); };
    t.mousewheelenable = [](std::uint32_t on) { Note("mousewheelenable", on != 0); };
    return t;
}
// What ending a recording or closing the editor asks: every hook down, none left enabled.
inline const Calls kAllDown{"removehook", "removemousehook", "enablemousehook(0)", "enablehook(0)", "mousewheelenable(0)"};
inline void ResetHook(bool global = true) { g_hookCalls.clear(); g_hookTarget = nullptr; g_hookGlobal = global; }
// What the library does for an input event: posts it, under its own message number, to its target.
inline void HookPost(WPARAM wParam, LPARAM lParam)
{
    ASSERT_TRUE(g_hookTarget);
    g_hookTarget->post(g_hookTarget->context, KARVO_UM_HOOK_INPUT, wParam, lParam), ProcessPending();
}

struct HandClock final : RecordingClock {
    std::uint64_t NowMs() const override { return now; }
    std::uint64_t now = 1'000'000;
};

struct Action {
    int code, kind, delay;  // kind 1 press, 2 release
    bool operator==(const Action&) const = default;
    friend void PrintTo(const Action& a, std::ostream* os) { *os << a.code << "/" << a.kind << "/" << a.delay; }
};
using Actions = std::vector<Action>;
constexpr int kPress = 1, kRelease = 2;

template <typename SlotArray>
inline Actions ActionsOf(const SlotArray& array, int count)
{
    Actions actions;
    for (int i = 0; i < count; ++i) actions.push_back({array[i].key_code, array[i].kind, array[i].delay_ms});
    return actions;
}
inline Actions ActionsOf(const MacroRecord& r) { return ActionsOf(r.actions, r.action_count); }
inline std::unique_ptr<MacroRecord> MakeMacro(const QString& name, const Actions& actions)
{
    auto record = CreateMacro(name);
    for (const Action& a : actions) record->actions[record->action_count++] = {std::uint8_t(a.code), std::uint8_t(a.kind), std::uint16_t(a.delay)};
    return record;
}
// n key actions (A pressed and released in turn), the first `longOnes` with a 2000 ms delay.
inline std::unique_ptr<MacroRecord> MakeLongMacro(int n, int longOnes)
{
    Actions actions;
    for (int i = 0; i < n; ++i) actions.push_back({0x04, i % 2 ? kRelease : kPress, i < longOnes ? 2000 : 10});
    return MakeMacro(QStringLiteral("Long"), actions);
}

inline QString Text(const char* key) { return CResourceManager::Instance().GetText(QLatin1String(key)); }

// Gives a control the focus as the user does (a message box may have had it last).
inline void Focus(QWidget* control)
{
    control->window()->activateWindow(), ProcessPending();
    control->setFocus(Qt::TabFocusReason), ProcessPending();
}
// A dialog's control by name, and a key pressed on a control as the desktop delivers it.
template <typename T = QWidget>
T* Find(WindowImplBase& d, const QString& name) { return d.PaintManager().FindControl<T>(name); }
inline void Key(QWidget* to, int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = {}, bool release = false)
{
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, modifiers, text);
        if (type == QEvent::KeyPress || release) QApplication::sendEvent(to, &event);
    }
    ProcessPending();
}

struct BoxAnswers {  // answers every message box with OK (or Cancel) and notes its text
    explicit BoxAnswers(bool ok = true) : driver([this, ok](WindowImplBase& box) {
        if (QWidget* text = box.PaintManager().FindControl(QStringLiteral("warning"))) texts << ControlText(text);
        ClickControl(box, ok ? QStringLiteral("btn_ok") : QStringLiteral("btn_cancel"));
    }) {}
    QStringList texts;
    ScopedModalDriver driver;
};

// Runs a dialog modally, the script standing in for the user; -1 when it did not open.
template <typename Dialog>
int RunModal(Dialog& dialog, const std::function<void(Dialog&)>& script)
{
    ScopedModalDriver driver([&](WindowImplBase& window) { script(static_cast<Dialog&>(window)); });
    if (!dialog.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow)) return -1;
    dialog.CenterWindow();
    return dialog.ShowModal();
}

class MacroEditorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dataDir.isValid()); ResetHook(); }
    void TearDown() override { editor.reset(); BackgroundQueue::Files().WaitForDone(); }  // export/import jobs

    template <typename... Records>
    void SetMacros(Records... records)
    {
        session->Locked([&](ProfileSession::State& state) {
            state.macros.clear();
            (state.macros.push_back(std::move(records)), ...);
        });
    }
    // Opens the editor as a window of its own (not modally), so the test can act between steps. With
    // global set, the logging library stands in; else the window captures. It saves at once.
    void Open(bool global = true)
    {
        editor.reset();
        const auto save = [this] { ++saves; session->RequestMacroSave(); session->FlushSaves(); };
        editor = std::make_unique<CMS_1_Macro>(*session, save, global ? &hookTable : nullptr, &clock);
        ASSERT_TRUE(editor->Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
        editor->GetHWND()->activateWindow(), ProcessPending();
    }
    // Opens the editor on a macro and, given an action, on that action's edit panel.
    void OpenOn(int macro, std::optional<int> edit = {})
    {
        Open(), SelectMacro(macro);
        if (edit) SelectAction(*edit), Check("ms_1_macro_action_edit_check");
    }
    QString DataFolder() const { return dataDir.path() + QLatin1Char('/'); }  // as the program names it
    MacroRecord Stored(int i) { return session->Locked([i](ProfileSession::State& s) { return *s.macros.at(i); }); }
    int MacroCount() { return session->Locked([](ProfileSession::State& s) { return int(s.macros.size()); }); }

    template <typename T = QWidget>
    T* Control(const char* name) { return editor->PaintManager().FindControl<T>(QLatin1String(name)); }
    QListWidget* MacroRows() { return Control<QListWidget>("ms_1_macro_list"); }
    QListWidget* ActionList() { return Control<QListWidget>("ms_1_macro_action_list"); }
    int PanelPage() { return SelectedTabItem(Control<QStackedWidget>("ms_1_macro_action_edit_tab")); }
    QString Shown(const char* name) { return ControlText(Control(name)); }
    QString RowText(int row, const char* part)
    {
        QWidget* widget = ActionList()->itemWidget(ActionList()->item(row));
        widget = widget ? widget->findChild<QWidget*>(QLatin1String(part)) : nullptr;
        return widget ? ControlText(widget) : "<no row>";
    }

    void Click(const char* name) { ASSERT_TRUE(ClickControl(*editor, QLatin1String(name))) << name; }
    void Check(const char* name) { Control<QCheckBox>(name)->click(); }  // as the user clicks it
    void SelectMacro(int row) { MacroRows()->setCurrentRow(row); ProcessPending(); }
    void SelectAction(int row)  // -1: the user clears the selection
    {
        ActionList()->setCurrentRow(row);
        if (row < 0) editor->PaintManager().SendNotify(ActionList(), NotifyType::kItemSelect, -1);
        ProcessPending();
    }
    // Types into an edit and leaves it, as a user tabbing away does.
    void TypeAndLeave(const char* name, const QString& text) { Focus(Control(name)), Control<QLineEdit>(name)->setText(text), Focus(MacroRows()); }
    // Input as the hook library posts it, after the given pause.
    void Input(WPARAM wParam, LPARAM lParam, std::uint64_t afterMs = 0)
    {
        clock.now += afterMs;
        editor->PostMessage(KARVO_UM_HOOK_INPUT, wParam, lParam), ProcessPending();
    }

    QTemporaryDir dataDir;
    std::unique_ptr<ProfileSession> session = std::make_unique<ProfileSession>(DataFolder());
    HookTable hookTable = LoggingHookTable();
    HandClock clock;
    std::unique_ptr<CMS_1_Macro> editor;
    int saves = 0;
};

}  // namespace macro_test
