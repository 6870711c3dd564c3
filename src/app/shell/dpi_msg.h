#pragma once

#include <QRect>
#include <QString>

#include "ui/window_impl_base.h"

// The pop-up near the bottom-right corner that shows the mouse's new DPI for a moment. The main
// window owns it and destroys it when it closes.
class CDPIMsg final : public WindowImplBase {
public:
    explicit CDPIMsg(const QString& text);

    QString WindowClassName() const override { return QStringLiteral("DPIWnd"); }
    QString SkinFileName() const override { return QStringLiteral("DPImsg.xml"); }

    // Changes the text while the pop-up is shown, without moving or re-creating it.
    void SetText(const QString& text);
    QString Text() const { return m_text; }

    // 200 × 50, 10 pixels in from the right and above the bottom of the work area.
    static QRect PlacementFor(const QRect& workArea);

protected:
    void OnWindowBuilt() override;
    // The pop-up closes on the main window's timer only; a close request from the desktop is
    // ignored.
    void OnCloseRequest() override {}

private:
    QString m_text;
    QWidget* m_label = nullptr;
};
