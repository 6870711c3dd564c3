#include "ui/window_impl_base.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include "ui/skin_loader.h"

Q_LOGGING_CATEGORY(lcWindow, "karvo.ui.window")

namespace {
ModalDriver g_modalDriver;
}

void SetModalDriver(ModalDriver driver)
{
    g_modalDriver = std::move(driver);
}

// The Qt window behind a WindowImplBase: delivers window messages and close requests to it.
class SkinHost final : public QWidget {
public:
    SkinHost(WindowImplBase* window, QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags), m_window(window) {}

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == WindowMessageEvent::EventType()) {
            // A message that arrives after the window was destroyed is dropped, as for any
            // window that is gone.
            const auto* message = static_cast<WindowMessageEvent*>(event);
            if (m_window->GetHWND() == this)
                m_window->HandleMessage(message->message, message->wParam, message->lParam);
            return true;
        }
        return QWidget::event(event);
    }

    void closeEvent(QCloseEvent* event) override
    {
        // Closing goes through the window's own rules (the main window only hides).
        event->ignore();
        QTimer::singleShot(0, this, [window = m_window] { window->OnCloseRequest(); });
    }

private:
    WindowImplBase* m_window;
};

WindowImplBase::WindowImplBase() : m_paintManager(this) {}

WindowImplBase::~WindowImplBase()
{
    *m_alive = false;
    if (m_modalLoop)
        m_modalLoop->quit();
    delete m_host.data();
    delete m_closingHost.data();
}

Qt::WindowFlags WindowImplBase::WindowFlagsFor(std::uint32_t style, std::uint32_t exStyle)
{
    // The skin draws the caption, so pop-up windows have no frame of the desktop's.
    Qt::WindowFlags flags = (exStyle & WindowStyle::kExToolWindow) ? Qt::Tool : Qt::Window;
    if (style & WindowStyle::kPopup)
        flags |= Qt::FramelessWindowHint;
    if (exStyle & WindowStyle::kExTopmost)
        flags |= Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;
    return flags;
}

bool WindowImplBase::Create(WindowImplBase* owner, std::uint32_t style, std::uint32_t exStyle, const QRect& rect)
{
    m_owner = owner;
    QWidget* ownerHost = owner ? owner->GetHWND() : nullptr;
    auto* host = new SkinHost(this, ownerHost, WindowFlagsFor(style, exStyle));
    host->setObjectName(WindowClassName());
    // The application's style sheet gives every skin's window its background by this mark.
    host->setProperty("skinWindow", true);
    host->setGeometry(rect);
    if (exStyle & WindowStyle::kExTopmost)
        host->setAttribute(Qt::WA_ShowWithoutActivating);

    QString error;
    QWidget* skin = LoadSkin(SkinFileName(), host, &error);
    if (!skin) {
        qCWarning(lcWindow) << WindowClassName() << error;
        delete host;
        return false;
    }
    // The skin sets the real size.
    host->resize(skin->size());
    host->setWindowTitle(skin->windowTitle());
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(skin);
    m_host = host;
    m_paintManager.AttachSkin(skin);

    OnWindowBuilt();
    if (m_host && (style & WindowStyle::kVisible))
        m_host->show();
    return IsWindow();
}

void WindowImplBase::CenterWindow()
{
    if (!m_host)
        return;
    QRect area;
    if (m_owner && m_owner->GetHWND() && m_owner->GetHWND()->isVisible())
        area = m_owner->GetHWND()->frameGeometry();
    else if (QScreen* screen = m_host->screen())
        area = screen->availableGeometry();
    QRect frame = m_host->frameGeometry();
    frame.moveCenter(area.center());
    m_host->move(frame.topLeft());
}

void WindowImplBase::ShowWindow(bool show, bool takeFocus)
{
    if (!m_host)
        return;
    if (!show) {
        m_host->hide();
        return;
    }
    m_host->show();
    if (takeFocus) {
        m_host->raise();
        m_host->activateWindow();
    }
}

int WindowImplBase::ShowModal()
{
    if (!m_host)
        return -1;
    QEventLoop loop;
    m_modalLoop = &loop;
    m_modalResult = 0;
    m_host->setWindowModality(Qt::ApplicationModal);
    m_host->show();
    if (g_modalDriver) {
        QTimer::singleShot(0, m_host, [this, driver = g_modalDriver] {
            driver(*this);
            if (IsWindow()) {
                qCWarning(lcWindow) << WindowClassName() << "left open by the modal driver; closing with 0";
                Close(0);
            }
        });
    }
    const std::shared_ptr<bool> alive = m_alive;
    loop.exec();
    if (*alive)
        m_modalLoop = nullptr;
    return m_modalResult;
}

void WindowImplBase::Close(int result)
{
    m_modalResult = result;
    DestroyWindow();
}

void WindowImplBase::DestroyWindow()
{
    if (!m_host)
        return;
    HandleMessage(WindowMessage::kDestroy, 0, 0);
    for (auto& [id, timer] : m_timers)
        timer->stop();
    m_closingHost = m_host;
    m_host = nullptr;
    m_closingHost->hide();
    m_closingHost->deleteLater();
    if (m_modalLoop)
        m_modalLoop->quit();
    // The final message comes once the window is gone, as the desktop would send it.
    QTimer::singleShot(0, qApp, [this, alive = m_alive] {
        if (*alive)
            OnFinalMessage();
    });
}

void WindowImplBase::OnFinalMessage()
{
    if (m_selfDelete)
        delete this;
}

void WindowImplBase::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_host)
        QCoreApplication::postEvent(m_host, new WindowMessageEvent(message, wParam, lParam));
}

LRESULT WindowImplBase::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_host ? HandleMessage(message, wParam, lParam) : 0;
}

void WindowImplBase::SetTimer(UINT timerId, int intervalMs)
{
    QTimer*& timer = m_timers[timerId];
    if (!timer) {
        timer = new QTimer(&m_paintManager);
        QObject::connect(timer, &QTimer::timeout, &m_paintManager,
                         [this, timerId] { HandleMessage(WindowMessage::kTimer, timerId, 0); });
    }
    timer->start(intervalMs);
}

void WindowImplBase::KillTimer(UINT timerId)
{
    const auto it = m_timers.find(timerId);
    if (it != m_timers.end())
        it->second->stop();
}

int WindowImplBase::TimerIntervalMs(UINT timerId) const
{
    const auto it = m_timers.find(timerId);
    return it != m_timers.end() && it->second->isActive() ? it->second->interval() : -1;
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WindowMessage::kDestroy)
        OnDestroy();
    bool handled = false;
    const LRESULT result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled || !m_host)
        return result;
    if (message == WindowMessage::kSysCommand) {
        if (wParam == SysCommand::kMinimize)
            m_host->showMinimized();
        else if (wParam == SysCommand::kRestore)
            m_host->showNormal();
    }
    return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

void WindowImplBase::Notify(TNotifyUI& msg)
{
    if (NotifyPump(msg))
        return;
    if (msg.sVirtualWnd.isEmpty() && msg.sType == NotifyType::kClick)
        OnClick(msg);
}
