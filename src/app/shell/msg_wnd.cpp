#include "app/shell/msg_wnd.h"

#include "ui/controls.h"
#include "ui/resource_manager.h"

CMsgWnd::CMsgWnd(const QString& titleKey, const QString& textKey) : m_titleKey(titleKey), m_textKey(textKey) {}

void CMsgWnd::OnWindowBuilt()
{
    m_okButton = PaintManager().FindControl(QStringLiteral("btn_ok"));
    m_cancelButton = PaintManager().FindControl(QStringLiteral("btn_cancel"));
    // The labels hold the keys; the toolkit shows their language texts.
    if (QWidget* title = PaintManager().FindControl(QStringLiteral("warning_title")))
        SetControlTextKey(title, m_titleKey);
    if (QWidget* text = PaintManager().FindControl(QStringLiteral("warning"))) {
        SetControlTextKey(text, m_textKey);
        if (!m_textArguments.isEmpty()) {
            QString filled = CResourceManager::Instance().GetText(m_textKey);
            for (const QString& argument : m_textArguments)
                filled = filled.arg(argument);
            text->setProperty(kTextKeyProperty, QString());
            SetControlText(text, filled);
        }
    }
    if (m_cancelButton && !m_cancelShown)
        m_cancelButton->hide();
}

void CMsgWnd::Notify(TNotifyUI& msg)
{
    if (msg.sType != NotifyType::kClick)
        return;
    if (msg.pSender == m_okButton)
        Close(1);
    else if (msg.pSender == m_cancelButton)
        Close(0);
}

int ShowMessageBox(WindowImplBase* owner, const QString& titleKey, const QString& textKey)
{
    CMsgWnd box(titleKey, textKey);
    if (!box.Create(owner, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow))
        return 0;
    box.CenterWindow();
    return box.ShowModal();
}
