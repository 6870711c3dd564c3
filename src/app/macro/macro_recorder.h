#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "app/macro/macro_action_buffer.h"
#include "karvo_post_target.h"
#include "ui/window_message.h"

class MacroInputHook;

// Milliseconds from a monotonic source; tests give a clock they move by hand.
class RecordingClock {
public:
    virtual ~RecordingClock() = default;
    virtual std::uint64_t NowMs() const = 0;
};

class SteadyRecordingClock final : public RecordingClock {
public:
    std::uint64_t NowMs() const override;
};

// What the recorder needs from the editor it records into.
class MacroRecorderHost {
public:
    virtual ~MacroRecorderHost() = default;
    virtual MacroActionBuffer& Buffer() = 0;
    virtual void SaveCurrentMacro() = 0;
    virtual void RebuildActionList() = 0;
    // The record button follows the recording: its text, and its check.
    virtual void ShowRecordingState(bool recording) = 0;
};

// Turns live key and mouse-button input into macro actions, measuring the pause before each one,
// and runs the single-key capture of the action edit. It owns the editor's use of the input hook:
// whatever it installs it removes again, at the latest when the editor closes.
class MacroRecorder {
public:
    enum class DelayMode { Recorded = 0, Default = 1, None = 2 };
    // Recording stops once the macro reaches this many device steps.
    static constexpr int kRecordingStepLimit = 46;

    MacroRecorder(MacroRecorderHost& host, MacroInputHook& hook, const RecordingClock& clock);

    // Where the hook posts UM_HOOK_INPUT: the editor window's post target.
    void SetTarget(const KarvoPostTarget* target) { m_target = target; }

    void SetDelayMode(DelayMode mode) { m_delayMode = mode; }
    DelayMode GetDelayMode() const { return m_delayMode; }
    std::uint16_t DefaultDelay() const { return m_defaultDelay; }

    bool IsRecording() const { return m_recording; }
    bool RoutesToRecording() const { return m_routeToRecording; }
    bool CapturesKey() const { return m_keyCapture; }

    // The record button was clicked with a macro current: stops a running recording, else
    // prepares the buffer (emptied when no action is selected, else inserting after it) and
    // starts. The pointer is over the record button when it was clicked with the mouse;
    // pressingKey is the virtual key that pressed it from the keyboard (0 for none).
    void ToggleRecording(std::uint16_t defaultDelay, bool pointerOverRecordButton, std::uint32_t pressingKey = 0);
    void StartRecording(std::uint16_t defaultDelay, bool pointerOverRecordButton);
    // One UM_HOOK_INPUT message while recording.
    void RecordEvent(WPARAM wParam, LPARAM lParam);
    // The key that stops a recording (stopKey, a virtual key; 0 for none) is no action of it.
    void StopRecording(std::uint32_t stopKey = 0);
    // The mouse part is off while the pointer is over the record button, so that the click that
    // stops the recording is not recorded.
    void OnRecordButtonHover(bool pointerOver);

    // The action edit got or lost the focus.
    void StartKeyCapture();
    void EndKeyCapture();

    // The editor is closing: a recording stops (and is saved), and every hook is removed.
    void Shutdown();

    // The action an input message stands for: key code and kind (1 press, 2 release).
    static std::pair<std::uint8_t, std::uint8_t> MapEvent(WPARAM wParam, LPARAM lParam);

private:
    void RemoveEveryHook();

    MacroRecorderHost& m_host;
    MacroInputHook& m_hook;
    const RecordingClock& m_clock;
    const KarvoPostTarget* m_target = nullptr;

    DelayMode m_delayMode = DelayMode::Default;
    std::uint16_t m_defaultDelay = 10;
    bool m_recording = false;
    bool m_hasPreviousEvent = false;
    bool m_routeToRecording = false;
    bool m_keyCapture = false;
    bool m_hookInstalled = false;
    bool m_firstInsertPending = false;
    std::pair<WPARAM, LPARAM> m_lastEvent{0, 0};
    // The last press recorded and the buffer as it was before it, kept while nothing but its own
    // release follows: that press may turn out to be the key stopping the recording.
    struct PressRecorded {
        WPARAM wParam;
        MacroActionBuffer before;
    };
    std::optional<PressRecorded> m_lastPress;
    std::uint64_t m_referenceMs = 0;
};
