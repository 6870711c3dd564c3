#include "ui/window_impl_base.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "ui/skin_loader.h"
#include "ui/work_area.h"

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

    // A window manager may let a window it maps go without the focus (the request came with an
    // older time than the last it saw); a modal window asks again each time it is exposed.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && windowModality() != Qt::NonModal && isVisible() && !isActiveWindow())
            activateWindow();
        return QWidget::eventFilter(watched, event);
    }

    // Keys no control of the window took in: Enter and Escape of a dialog.
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (!plain || !m_window->OnDialogKey(event->key()))
            QWidget::keyPressEvent(event);
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
    m_dialog = (exStyle & WindowStyle::kExToolWindow) != 0;
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
    if (!m_host)
        return false;
    GrowToContent();
    FitToWorkArea();
    if (style & WindowStyle::kVisible)
        m_host->show();
    return IsWindow();
}

void WindowImplBase::GrowToContent()
{
    // The skin's size is where a window starts; a longer text or a larger font needs more.
    m_host->ensurePolished();
    QSize size = m_host->size().expandedTo(m_host->minimumSizeHint());
    if (m_host->hasHeightForWidth())
        size.setHeight(std::max(size.height(), m_host->heightForWidth(size.width())));
    if (size != m_host->size())
        m_host->resize(size);
}

void WindowImplBase::FitToWorkArea()
{
    if (!m_host)
        return;
    const QWidget* ownerHost = m_owner ? m_owner->GetHWND() : nullptr;
    const QRect area = WorkAreaAt(ownerHost && ownerHost->isVisible() ? ownerHost->frameGeometry().center()
                                                                      : m_host->frameGeometry().center());
    if (area.isEmpty())
        return;
    const QSize frameExtra = m_host->frameGeometry().size() - m_host->size();
    const QSize room = area.size() - frameExtra;
    if (m_host->width() > room.width() || m_host->height() > room.height()) {
        // Rather than leaving the screen, a window too large for it shows its skin in a scroll area.
        auto* layout = m_host->layout();
        QWidget* skin = m_paintManager.Root();
        if (layout && skin && !qobject_cast<QScrollArea*>(skin->parentWidget()->parentWidget())) {
            // Moving the skin takes the focus from its control; the control gets it back.
            const QPointer<QWidget> focused = m_host->focusWidget();
            auto* scroll = new QScrollArea(m_host);
            scroll->setObjectName(QStringLiteral("window_scroll"));
            scroll->setFrameShape(QFrame::NoFrame);
            scroll->setWidgetResizable(true);
            delete layout->replaceWidget(skin, scroll);
            scroll->setWidget(skin);
            if (focused)
                focused->setFocus();
        }
        m_host->setMinimumSize(0, 0);
        m_host->resize(m_host->size().boundedTo(room));
    }
    const QRect frame = m_host->frameGeometry();
    const int x = std::clamp(frame.x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    const int y = std::clamp(frame.y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    if (x != frame.x() || y != frame.y())
        m_host->move(x, y);
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
    FitToWorkArea();
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
    // Modality only takes hold when the window is shown: one created visible is shown anew.
    if (m_host->isVisible())
        m_host->hide();
    m_host->setWindowModality(Qt::ApplicationModal);
    FitToWorkArea();
    m_host->show();
    m_host->raise();
    m_host->activateWindow();
    if (QWindow* handle = m_host->windowHandle())
        handle->installEventFilter(m_host);
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
    if (!*alive)
        return 0;
    m_modalLoop = nullptr;
    // The window under a closed dialog takes the keys again (no window manager does it for us).
    if (QWidget* owner = m_owner ? m_owner->GetHWND() : nullptr; owner && owner->isVisible()) {
        owner->raise();
        owner->activateWindow();
    }
    return m_modalResult;
}

bool WindowImplBase::OnDialogKey(int key)
{
    // Dialogs answer Enter and Escape; the main window leaves them to its controls.
    if (!m_dialog || !m_host || ListensForKeys())
        return false;
    if (key == Qt::Key_Escape)
        OnCloseRequest();
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        PressDefaultButton();
    else
        return false;
    return true;
}

void WindowImplBase::PressDefaultButton()
{
    const auto usable = [](const QPushButton* button) { return button && button->isVisible() && button->isEnabled(); };
    if (auto* focused = qobject_cast<QPushButton*>(m_host->focusWidget()); usable(focused)) {
        focused->click();
        return;
    }
    for (QPushButton* button : m_host->findChildren<QPushButton*>()) {
        if (button->isDefault() && usable(button)) {
            button->click();
            return;
        }
    }
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
