#pragma once

#include "device/profile_session.h"

class DeviceLinks;
class WindowImplBase;

// What the settings page lends its panels: the main window (controls, timers, message boxes),
// the shared profile session, the links, and the ways a change reaches the mouse and the disk.
class PageServices {
public:
    virtual ~PageServices() = default;

    virtual WindowImplBase* MainWindow() = 0;
    virtual ProfileSession& Session() = 0;
    virtual DeviceLinks* Links() = 0;

    // The send-configuration request, at once.
    virtual void RequestSend() = 0;
    // The send-configuration request after a pause with no further change (the settings
    // debounce timer, restarted by every call).
    virtual void RequestSendAfterPause(int pauseMs) = 0;
    // Shows every control from the current profile.
    virtual void RefreshPage() = 0;

    // The store files are written in the background by the session's store writer, in the order
    // they were asked for, so that the window never waits on the disk.
    enum StoreFlag { kProfileStore = 1, kMacroStore = 2 };
    virtual void SaveStoresLater(int stores) = 0;

    // Runs a read or write of the current profile under the session's lock.
    template <typename Function>
    decltype(auto) WithCurrent(Function&& function)
    {
        return Session().Locked([&](ProfileSession::State& state) { return function(state.Current()); });
    }
};
