#pragma once

#include <QObject>
#include <functional>
#include <memory>

class KeyboardLayout;
class QSocketNotifier;

// Follows the X server's keyboard while the utility runs: when its keymap changes (setxkbmap, a
// keyboard with another keymap plugged in) or another of its layouts becomes the current one, the
// layout is read again and handed on, so that key names follow without a restart. Lives on the
// window's thread; the server's notices arrive on a connection of its own.
class XkbLayoutWatcher final : public QObject {
public:
    using Changed = std::function<void(std::shared_ptr<const KeyboardLayout>)>;

    // Watches the X server named by DISPLAY; watches nothing where none can be reached.
    explicit XkbLayoutWatcher(Changed changed, QObject* parent = nullptr);
    ~XkbLayoutWatcher() override;

    bool IsWatching() const;

private:
    struct XConnection;
    void ReadNotices();

    std::unique_ptr<XConnection> m_x;
    Changed m_changed;
    QSocketNotifier* m_notifier = nullptr;
};
