#include "ui/notify_pump.h"

#include <QWidget>

QString TNotifyUI::SenderName() const
{
    return pSender ? pSender->objectName() : QString();
}

QEvent::Type WindowMessageEvent::EventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

bool CNotifyPump::AddVirtualWnd(const QString& name, CNotifyPump* pump)
{
    return m_virtualWnds.emplace(name, pump).second;
}

bool CNotifyPump::RemoveVirtualWnd(const QString& name)
{
    return m_virtualWnds.erase(name) > 0;
}

CNotifyPump* CNotifyPump::VirtualWnd(const QString& name) const
{
    const auto it = m_virtualWnds.find(name);
    return it == m_virtualWnds.end() ? nullptr : it->second;
}

bool CNotifyPump::NotifyPump(TNotifyUI& msg)
{
    if (!msg.sVirtualWnd.isEmpty()) {
        CNotifyPump* pump = VirtualWnd(msg.sVirtualWnd);
        return pump && pump->Dispatch(msg);
    }
    return Dispatch(msg);
}

void CNotifyPump::BindNotify(const QString& type, Handler handler)
{
    m_messageMap[type] = std::move(handler);
}

bool CNotifyPump::Dispatch(TNotifyUI& msg)
{
    const auto it = m_messageMap.find(msg.sType);
    if (it == m_messageMap.end())
        return false;
    it->second(msg);
    return true;
}
