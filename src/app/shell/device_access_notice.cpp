#include "app/shell/device_access_notice.h"

#include <QLoggingCategory>

#include "app/shell/background_queue.h"
#include "app/shell/msg_wnd.h"
#include "device/device_access.h"

Q_LOGGING_CATEGORY(lcAccessNotice, "karvo.app.access", QtInfoMsg)

DeviceAccessNotice::DeviceAccessNotice(WindowImplBase& window) : m_window(window) {}

DeviceAccessNotice::~DeviceAccessNotice()
{
    BackgroundQueue::Shell().WaitForDone();
}

void DeviceAccessNotice::Check()
{
    if (m_shown || m_checking)
        return;
    m_checking = true;
    BackgroundQueue::Shell().Run<bool>([probe = CurrentDeviceAccessProbe()] { return !probe().empty(); }, this,
                                       [this](bool denied) {
                                           m_checking = false;
                                           if (!denied || m_shown)
                                               return;
                                           m_shown = true;
                                           qCWarning(lcAccessNotice).noquote() << DeviceAccessHint();
                                           if (m_onDenied)
                                               m_onDenied();
                                           ShowMessageBox(&m_window, QStringLiteral("warning_title_text"),
                                                          QStringLiteral("device_access_text"));
                                       });
}
