#pragma once

#include <QString>

// The window's look: dark (the skin's own style sheet) or light (the light style sheet laid over
// it). The choice is remembered across starts; the very first start follows the desktop's colour
// scheme where Qt can tell it.
class ShellTheme {
public:
    enum class Look { Dark, Light };

    // Reads the remembered look (or the desktop's) and applies it. Call once the resource
    // description has set the skin's style sheet.
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
