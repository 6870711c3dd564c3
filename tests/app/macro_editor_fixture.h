// The macro editor over a data folder of the test's own, a hand-moved clock and a stand-in for the
// input-hook library that notes every call and can post input as the library would.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QThreadPool>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/macro/macro_editor.h"
#include "app/shell/hook_library.h"
#include "app/shell/msg_wnd.h"
#include "app/shell/window_messages.h"
#include "core/storage/macro_store.h"
#include "device/profile_session.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"

namespace macro_test {

// What the stand-in library was asked, in order, and where it posts.
inline std::vector<std::string> g_hookCalls;
inline const KarvoPostTarget* g_hookTarget = nullptr;
// Whether the stand-in says it sees the whole desktop.
inline bool g_hookGlobal = true;

inline HookTable LoggingHookTable()
{
    HookTable table;
    table.installmousehook = [] { g_hookCalls.push_back("installmousehook"); };
    table.removemousehook = [] { g_hookCalls.push_back("removemousehook"); };
    table.enablemousehook = [](std::uint32_t on) { g_hookCalls.push_back(on ? "enablemousehook(1)" : "enablemousehook(0)"); };
    table.installhook = [](const KarvoPostTarget* target) -> std::int32_t {
        g_hookTarget = target;
        g_hookCalls.push_back("installhook");
        return g_hookGlobal ? 1 : 0;
    };
    table.removehook = [] {
        g_hookTarget = nullptr;
        g_hookCalls.push_back("removehook");
    };
    table.enablehook = [](std::uint32_t on) { g_hookCalls.push_back(on ? "enablehook(1)" : "enablehook(0)"); };
    table.mousewheelenable = [](std::uint32_t on) {
        g_hookCalls.push_back(on ? "mousewheelenable(1)" : "mousewheelenable(0)");
    };
    return table;
}

class FakeClock final : public RecordingClock {
public:
    std::uint64_t NowMs() const override { return now; }
    void Advance(std::uint64_t ms) { now += ms; }
    std::uint64_t now = 1'000'000;
};

struct Action {
    std::uint8_t code;
    std::uint8_t kind;
    std::uint16_t delay;
};
constexpr std::uint8_t kPress = 1;
constexpr std::uint8_t kRelease = 2;

inline std::unique_ptr<MacroRecord> MakeMacro(const QString& name, std::initializer_list<Action> actions)
{
    auto record = CreateMacro(name);
    for (const Action& action : actions)
        record->actions[record->action_count++] = {action.code, action.kind, action.delay};
    return record;
}

// n key actions (A press/release alternating), the first `longOnes` with a delay of 2000 ms.
inline std::unique_ptr<MacroRecord> MakeLongMacro(const QString& name, int n, int longOnes)
{
    auto record = CreateMacro(name);
    for (int i = 0; i < n; ++i)
        record->actions[i] = {0x04, std::uint8_t(i % 2 ? kRelease : kPress), std::uint16_t(i < longOnes ? 2000 : 10)};
    record->action_count = n;
    return record;
}

class MacroEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dataDir.isValid());
        session = std::make_unique<ProfileSession>(DataFolder());
        g_hookCalls.clear();
        g_hookTarget = nullptr;
        g_hookGlobal = true;
    }

    void TearDown() override
    {
        editor.reset();
        QThreadPool::globalInstance()->waitForDone();
        ProcessPending();
        g_hookTarget = nullptr;
    }

    void AddMacro(std::unique_ptr<MacroRecord> record)
    {
        session->Locked([&](ProfileSession::State& state) { state.macros.push_back(std::move(record)); });
    }

    // Opens the editor as a window of its own (not modally), so the test can act between steps.
    // With global set, the logging library stands in for Hook.so; else the window captures.
    void Open(bool global = true)
    {
        editor = std::make_unique<CMS_1_Macro>(
            *session, [this] { SaveNow(); }, global ? &hookTable : nullptr, &clock);
        ASSERT_TRUE(editor->Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
        editor->GetHWND()->activateWindow();
        ProcessPending();
    }

    // What the page's save does, done at once so the test can read the file.
    void SaveNow()
    {
        ++saves;
        MacroList copy;
        session->Locked([&](ProfileSession::State& state) {
            for (const auto& macro : state.macros)
                copy.push_back(std::make_unique<MacroRecord>(*macro));
        });
        SaveMacroStore(copy, DataFolder());
    }

    // The data folder as the program names folders: with a trailing separator.
    QString DataFolder() const { return dataDir.path() + QLatin1Char('/'); }

    MacroRecord Stored(int index)
    {
        return session->Locked([index](ProfileSession::State& state) { return *state.macros.at(std::size_t(index)); });
    }
    int MacroCount()
    {
        return session->Locked([](ProfileSession::State& state) { return int(state.macros.size()); });
    }

    template <typename T = QWidget>
    T* Control(const char* name)
    {
        return editor->PaintManager().FindControl<T>(QLatin1String(name));
    }
    QListWidget* MacroRows() { return Control<QListWidget>("ms_1_macro_list"); }
    QListWidget* ActionList() { return Control<QListWidget>("ms_1_macro_action_list"); }

    void Click(const char* name) { ASSERT_TRUE(ClickControl(*editor, QLatin1String(name))) << name; }
    // A check box clicked as the user does.
    void Check(const char* name) { Control<QCheckBox>(name)->click(); }

    void SelectMacro(int row)
    {
        MacroRows()->setCurrentRow(row);
        ProcessPending();
    }
    void SelectAction(int row)
    {
        ActionList()->setCurrentRow(row);
        ProcessPending();
    }

    // Types into an edit and leaves it, as a user tabbing away does.
    void TypeAndLeave(const char* name, const QString& text)
    {
        auto* edit = Control<QLineEdit>(name);
        Focus(edit);
        edit->setText(text);
        Focus(MacroRows());
    }
    void Focus(QWidget* control)
    {
        // A message box may have had the focus last.
        control->window()->activateWindow();
        ProcessPending();
        control->setFocus(Qt::TabFocusReason);
        ProcessPending();
    }

    // Input as the hook library posts it.
    void Input(WPARAM wParam, LPARAM lParam)
    {
        editor->PostMessage(Msg::UM_HOOK_INPUT, wParam, lParam);
        ProcessPending();
    }

    QString RowText(int row, const char* part)
    {
        QWidget* widget = ActionList()->itemWidget(ActionList()->item(row));
        QWidget* control = widget ? widget->findChild<QWidget*>(QLatin1String(part)) : nullptr;
        return control ? ControlText(control) : QStringLiteral("<no row>");
    }

    static QString Text(const char* key) { return CResourceManager::Instance().GetText(QLatin1String(key)); }

    QTemporaryDir dataDir;
    std::unique_ptr<ProfileSession> session;
    HookTable hookTable = LoggingHookTable();
    FakeClock clock;
    std::unique_ptr<CMS_1_Macro> editor;
    int saves = 0;
};

}  // namespace macro_test
