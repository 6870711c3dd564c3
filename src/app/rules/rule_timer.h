#pragma once

#include <QTimer>
#include <functional>

// The one-shot timer of the rule engine's wait before a switch; tests put a fake clock behind it.
class RuleTimer {
public:
    virtual ~RuleTimer() = default;
    // (Re)starts the wait: a pending one is dropped.
    virtual void Start(int ms, std::function<void()> due) = 0;
    virtual void Stop() = 0;
};

class QtRuleTimer final : public RuleTimer {
public:
    QtRuleTimer() { m_timer.setSingleShot(true); }
    void Start(int ms, std::function<void()> due) override
    {
        m_timer.disconnect();
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(due));
        m_timer.start(ms);
    }
    void Stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};
