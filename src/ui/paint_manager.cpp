#include "ui/paint_manager.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <functional>
#include <optional>

#include "ui/color_palette.h"
#include "ui/controls.h"

namespace {

// Touched on the UI thread only.
bool g_messageLoopRunning = false;
std::optional<int> g_pendingQuit;

}  // namespace

int CPaintManagerUI::MessageLoop()
{
    if (g_pendingQuit) {
        const int code = *g_pendingQuit;
        g_pendingQuit.reset();
        return code;
    }
    g_messageLoopRunning = true;
    const int code = QApplication::exec();
    g_messageLoopRunning = false;
    return code;
}

void CPaintManagerUI::QuitMessageLoop(int exitCode)
{
    // Ending the application's event processing outside its loop would make every event loop
    // started later (a modal window's) return at once; the quit is kept for the loop instead.
    if (g_messageLoopRunning)
        QCoreApplication::exit(exitCode);
    else
        g_pendingQuit = exitCode;
}

CPaintManagerUI::CPaintManagerUI(INotifyUI* receiver) : m_receiver(receiver) {}

CPaintManagerUI::~CPaintManagerUI() = default;

void CPaintManagerUI::AttachSkin(QWidget* root)
{
    m_root = root;
    AttachControl(root);
    for (QWidget* control : root->findChildren<QWidget*>())
        AttachControl(control);
}

void CPaintManagerUI::AttachControl(QWidget* control)
{
    ConnectSignals(control);
    const bool interactive = qobject_cast<QAbstractButton*>(control) || qobject_cast<QAbstractSlider*>(control)
                             || qobject_cast<QComboBox*>(control) || qobject_cast<QLineEdit*>(control)
                             || qobject_cast<QListWidget*>(control) || qobject_cast<CColorPaletteUI*>(control);
    if (interactive || control->property(kCaptionProperty).toBool())
        control->installEventFilter(this);
}

void CPaintManagerUI::ConnectSignals(QWidget* control)
{
    if (auto* option = qobject_cast<QRadioButton*>(control)) {
        connect(option, &QAbstractButton::toggled, this, [this, option](bool checked) {
            if (checked)
                SendNotify(option, NotifyType::kSelectChanged);
        });
    } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
        connect(check, &QAbstractButton::clicked, this, [this, check] { SendNotify(check, NotifyType::kCheckClick); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::clicked, this, [this, button] { SendNotify(button, NotifyType::kClick); });
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo](int index) {
            if (index >= 0)
                SendNotify(combo, NotifyType::kItemSelect, index);
        });
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        connect(list, &QListWidget::currentRowChanged, this, [this, list](int row) {
            if (row >= 0)
                SendNotify(list, NotifyType::kItemSelect, row);
        });
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        connect(slider, &QAbstractSlider::valueChanged, this, [this, slider](int value) {
            SendNotify(slider, NotifyType::kValueChanged, -1, WPARAM(value));
        });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { SendNotify(edit, NotifyType::kTextChanged); });
    } else if (auto* palette = qobject_cast<CColorPaletteUI*>(control)) {
        connect(palette, &CColorPaletteUI::colorChanged, this,
                [this, palette] { SendNotify(palette, NotifyType::kColorChanged); });
        connect(palette, &CColorPaletteUI::colorChangedButtonUp, this,
                [this, palette] { SendNotify(palette, NotifyType::kColorChangedButtonUp); });
    }
}

bool CPaintManagerUI::eventFilter(QObject* watched, QEvent* event)
{
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control)
        return false;
    switch (event->type()) {
    case QEvent::Enter:
        SendNotify(control, NotifyType::kMouseEnter);
        break;
    case QEvent::Leave:
        SendNotify(control, NotifyType::kMouseLeave);
        break;
    case QEvent::FocusIn:
        SendNotify(control, NotifyType::kSetFocus);
        break;
    case QEvent::FocusOut:
        SendNotify(control, NotifyType::kKillFocus);
        break;
    case QEvent::MouseButtonPress:
        // Dragging a caption moves the window, as a title bar would.
        if (control->property(kCaptionProperty).toBool()
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && control->window()->windowHandle()) {
            control->window()->windowHandle()->startSystemMove();
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

QWidget* CPaintManagerUI::FindControl(const QString& name) const
{
    if (!m_root || name.isEmpty())
        return nullptr;
    if (m_root->objectName() == name)
        return m_root;
    return m_root->findChild<QWidget*>(name);
}

// Watches a control for being shown and hidden (with its window too) and runs its timer only
// while the control can be seen.
class CPaintManagerUI::VisibleTimerGate final : public QObject {
public:
    VisibleTimerGate(QWidget* control, QTimer* timer, std::function<void()> tick, QObject* parent)
        : QObject(parent), m_control(control), m_timer(timer), m_tick(std::move(tick))
    {
        control->installEventFilter(this);
    }

    void Want(int intervalMs)
    {
        m_wanted = true;
        m_timer->setInterval(intervalMs);
        if (m_control && m_control->isVisible() && !m_control->window()->isMinimized())
            m_timer->start();
        else
            m_timer->stop();
    }

    void Drop()
    {
        m_wanted = false;
        m_timer->stop();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_control || !m_wanted)
            return false;
        // Hidden itself, with its window, or by minimising the window (which leaves it "visible").
        if (event->type() == QEvent::Hide) {
            m_timer->stop();
        } else if (event->type() == QEvent::Show && !m_timer->isActive()) {
            m_tick();  // shows the value it has reached at once
            if (m_wanted)
                m_timer->start();
        }
        return false;
    }

private:
    QPointer<QWidget> m_control;
    QTimer* m_timer;
    std::function<void()> m_tick;
    bool m_wanted = false;
};

bool CPaintManagerUI::SetTimer(QWidget* control, int timerId, int intervalMs, TimerRun run)
{
    if (!control)
        return false;
    QTimer*& timer = m_timers[{control, timerId}];
    QPointer<QWidget> guarded(control);
    auto tick = [this, guarded, timerId] {
        if (guarded)
            SendNotify(guarded, NotifyType::kTimer, -1, WPARAM(timerId));
    };
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, tick);
    }
    VisibleTimerGate*& gate = m_gates[{control, timerId}];
    if (run == TimerRun::WhileVisible) {
        if (!gate)
            gate = new VisibleTimerGate(control, timer, tick, timer);
        gate->Want(intervalMs);
        return true;
    }
    if (gate)
        gate->Drop();
    timer->start(intervalMs);
    return true;
}

bool CPaintManagerUI::KillTimer(QWidget* control, int timerId)
{
    const auto it = m_timers.find({control, timerId});
    if (it == m_timers.end())
        return false;
    if (const auto gate = m_gates.find({control, timerId}); gate != m_gates.end() && gate->second)
        gate->second->Drop();
    it->second->stop();
    return true;
}

bool CPaintManagerUI::IsTimerActive(QWidget* control, int timerId) const
{
    const auto it = m_timers.find({control, timerId});
    return it != m_timers.end() && it->second->isActive();
}

QString CPaintManagerUI::VirtualWndOf(const QWidget* control) const
{
    for (const QWidget* w = control; w; w = w->parentWidget()) {
        const QString name = w->property(kVirtualWndProperty).toString();
        if (!name.isEmpty())
            return name;
        if (w == m_root)
            break;
    }
    return {};
}

void CPaintManagerUI::SendNotify(QWidget* sender, const QString& type, int index, WPARAM wParam, LPARAM lParam)
{
    TNotifyUI msg{type, sender, index, wParam, lParam, VirtualWndOf(sender)};
    m_receiver->Notify(msg);
}
