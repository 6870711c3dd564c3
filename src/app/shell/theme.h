#pragma once

#include <QString>

// The windows' look: dark (the application's style sheet the resource description names) or light
// (the light style sheet laid over it). The choice is remembered across starts; the very first
// start follows the desktop's colour scheme where Qt can tell it.
class ShellTheme {
public:
    enum class Look { Dark, Light };

    // Reads the remembered look (or the desktop's) and applies it; later calls do nothing. Call
    // once the resource description has set the skin's style sheet, and before the first widget
    // is built, so that no widget is polished twice.
    void Init();
    void Toggle();
    void SetLook(Look look);
    Look CurrentLook() const { return m_look; }

    static Look DesktopLook();
    static QString LookName(Look look);

private:
    void Apply();

    Look m_look = Look::Dark;
    QString m_darkSheet;
    QString m_lightSheet;
    bool m_initialised = false;
};
