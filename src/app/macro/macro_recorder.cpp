#include "app/macro/macro_recorder.h"

#include <QLoggingCategory>
#include <algorithm>
#include <chrono>

#include "app/macro/macro_action_buffer.h"
#include "app/macro/macro_input_hook.h"
#include "core/keys/key_tables.h"

Q_LOGGING_CATEGORY(lcRecorder, "karvo.macro.recorder")

namespace {
constexpr std::uint8_t kPress = std::uint8_t(MacroActionKind::Press);
constexpr std::uint8_t kRelease = std::uint8_t(MacroActionKind::Release);
}  // namespace

std::uint64_t SteadyRecordingClock::NowMs() const
{
    return std::uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count());
}

MacroRecorder::MacroRecorder(MacroRecorderHost& host, MacroInputHook& hook, const RecordingClock& clock)
    : m_host(host), m_hook(hook), m_clock(clock)
{
}

std::pair<std::uint8_t, std::uint8_t> MacroRecorder::MapEvent(WPARAM wParam, LPARAM lParam)
{
    switch (wParam) {
    case 513: return {MouseButtonCode::kLeft, kPress};
    case 514: return {MouseButtonCode::kLeft, kRelease};
    case 516: return {MouseButtonCode::kRight, kPress};
    case 517: return {MouseButtonCode::kRight, kRelease};
    case 519: return {MouseButtonCode::kMiddle, kPress};
    case 520: return {MouseButtonCode::kMiddle, kRelease};
    case 523:
    case 524:
        // Side buttons by their X button number; any other number is taken as a key below.
        if (lParam == 2)
            return {MouseButtonCode::kBackward, wParam == 523 ? kPress : kRelease};
        if (lParam == 1)
            return {MouseButtonCode::kForward, wParam == 523 ? kPress : kRelease};
        break;
    default:
        break;
    }
    return {VirtualKeyToUsage(std::uint32_t(wParam)).code, lParam == 0 ? kPress : kRelease};
}

void MacroRecorder::ToggleRecording(std::uint16_t defaultDelay, bool pointerOverRecordButton, std::uint32_t pressingKey)
{
    if (m_recording) {
        StopRecording(pressingKey);
        return;
    }
    MacroActionBuffer& buffer = m_host.Buffer();
    if (buffer.selected == -1) {
        buffer.Clear();
        buffer.insertPosition = -1;
        buffer.recordingStartPosition = -1;
        buffer.insertMode = false;
    } else {
        buffer.insertPosition = buffer.recordingStartPosition = buffer.selected + 1;
        buffer.insertMode = true;
    }
    StartRecording(defaultDelay, pointerOverRecordButton);
}

void MacroRecorder::StartRecording(std::uint16_t defaultDelay, bool pointerOverRecordButton)
{
    m_recording = true;
    m_hasPreviousEvent = true;
    m_host.ShowRecordingState(true);
    m_defaultDelay = defaultDelay;
    m_routeToRecording = true;
    m_keyCapture = false;
    // A new recording does not compare its first event with the last one of an earlier session.
    m_lastEvent = {0, 0};
    m_lastPress.reset();
    m_firstInsertPending = m_host.Buffer().insertPosition != -1;
    m_hook.InstallHook(m_target);
    m_hook.EnableHook(1);
    m_hook.MouseWheelEnable(0);
    m_hookInstalled = true;
    // Started from the keyboard, the pointer is elsewhere: clicks count from the start.
    if (!pointerOverRecordButton)
        m_hook.EnableMouseHook(1);
    m_referenceMs = m_clock.NowMs();
}

void MacroRecorder::RecordEvent(WPARAM wParam, LPARAM lParam)
{
    // Messages still queued when the recording stopped are not recorded.
    if (!m_recording)
        return;
    if (std::pair{wParam, lParam} == m_lastEvent)
        return;
    m_lastEvent = {wParam, lParam};

    MacroActionBuffer& buffer = m_host.Buffer();
    const int steps = buffer.StepCount();
    qCDebug(lcRecorder, "iTotalNum = %d", steps);
    if (steps >= kRecordingStepLimit) {
        StopRecording();
        return;
    }
    const auto [code, kind] = MapEvent(wParam, lParam);
    if (kind == kPress)
        m_lastPress = PressRecorded{wParam, buffer};
    else if (m_lastPress && m_lastPress->wParam != wParam)
        m_lastPress.reset();

    const std::uint64_t now = m_clock.NowMs();
    std::uint16_t delay = MacroActionBuffer::kMinDelayMs;
    if (m_hasPreviousEvent) {
        switch (m_delayMode) {
        case DelayMode::Recorded:
            delay = std::uint16_t(std::min<std::uint64_t>(now - std::min(now, m_referenceMs), 65535));
            break;
        case DelayMode::Default: delay = m_defaultDelay; break;
        case DelayMode::None: delay = MacroActionBuffer::kMinDelayMs; break;
        }
    }
    // The pause goes to the action before the new one. The wait before the first event of a
    // recording is not kept: appending, nothing precedes it; inserting, the action before it is
    // one the user did not record now, and its delay stays as it was.
    if (buffer.insertPosition == -1) {
        if (buffer.count >= 1 && buffer.count <= MacroActionLimit)
            buffer.actions[std::size_t(buffer.count - 1)].delay_ms = delay;
    } else if (!m_firstInsertPending && buffer.insertPosition >= 1 && buffer.insertPosition <= buffer.count) {
        buffer.actions[std::size_t(buffer.insertPosition - 1)].delay_ms = delay;
    }
    m_firstInsertPending = false;

    if (buffer.InsertAction(MacroActionSlot{code, kind, delay})) {
        const int newest = (buffer.insertPosition == -1 ? buffer.count : buffer.insertPosition) - 1;
        if (buffer.Contains(newest))
            buffer.actions[std::size_t(newest)].delay_ms = MacroActionBuffer::kLastDelayMs;
    }
    m_referenceMs = now;
    m_hasPreviousEvent = true;

    if (buffer.count >= MacroActionLimit)
        StopRecording();
    m_host.RebuildActionList();
}

void MacroRecorder::StopRecording(std::uint32_t stopKey)
{
    if (stopKey != 0 && m_lastPress && m_lastPress->wParam == stopKey) {
        // The press (and release) of the key that stops the recording are taken back.
        m_host.Buffer() = m_lastPress->before;
        m_host.RebuildActionList();
    }
    m_lastPress.reset();
    m_referenceMs = 0;
    m_recording = false;
    m_host.ShowRecordingState(false);
    RemoveEveryHook();
    m_hasPreviousEvent = false;
    m_firstInsertPending = false;
    m_host.SaveCurrentMacro();
}

void MacroRecorder::OnRecordButtonHover(bool pointerOver)
{
    if (m_recording)
        m_hook.EnableMouseHook(pointerOver ? 0 : 1);
}

void MacroRecorder::StartKeyCapture()
{
    // While recording, the keys belong to the recording.
    if (m_recording)
        return;
    m_routeToRecording = false;
    m_keyCapture = true;
    m_hook.InstallHook(m_target);
    m_hook.EnableHook(1);
    m_hookInstalled = true;
}

void MacroRecorder::EndKeyCapture()
{
    if (!m_keyCapture)
        return;
    m_keyCapture = false;
    if (m_recording)
        return;
    m_hook.RemoveHook();
    m_hook.EnableHook(0);
    m_hookInstalled = false;
}

void MacroRecorder::Shutdown()
{
    if (m_recording)
        StopRecording();
    m_keyCapture = false;
    if (m_hookInstalled)
        RemoveEveryHook();
}

void MacroRecorder::RemoveEveryHook()
{
    m_hook.RemoveHook();
    m_hook.RemoveMouseHook();
    m_hook.EnableMouseHook(0);
    m_hook.EnableHook(0);
    m_hook.MouseWheelEnable(0);
    m_hookInstalled = false;
}
