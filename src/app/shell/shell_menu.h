#pragma once

#include <QObject>
#include <QString>
#include <functional>

class CMenuWnd;
class WindowImplBase;

// The items the tray menu and the window's menu button share besides "configuration" and "exit":
// "rules" (the application rules dialog), "autostart" (start with the desktop, a check item) and
// "about" (the version).
class ShellMenu final : public QObject {
public:
    static inline const QString kAutostartItem = QStringLiteral("autostart");
    static inline const QString kAboutItem = QStringLiteral("about");
    static inline const QString kRulesItem = QStringLiteral("rules");

    explicit ShellMenu(WindowImplBase& window);
    ~ShellMenu() override;

    // Learns whether the autostart entry exists (once, at start).
    void Init();
    // Sets the menu's check marks before it shows.
    void Prepare(CMenuWnd& menu) const;
    // Carries out an item of ours; false for any other name.
    bool HandleItem(const QString& name);

    bool AutostartEnabled() const { return m_autostart; }
    // Writes or removes the entry in the background; a failure is shown and the mark goes back.
    void SetAutostart(bool enabled);
    void ShowAbout();
    // Opens the application rules dialog; without one the item does not show.
    void SetRulesOpener(std::function<void()> opener) { m_rulesOpener = std::move(opener); }

private:
    WindowImplBase& m_window;
    bool m_autostart = false;
    std::function<void()> m_rulesOpener;
};
