#include "app/shell/msg_wnd.h"

#include <QLabel>

#include "ui/controls.h"
#include "ui/resource_manager.h"

namespace {
// A text longer than this reads better in a wider box than in a tall narrow one.
constexpr int kLongTextLength = 160;
constexpr int kLongTextWidth = 520;
}  // namespace

CMsgWnd::CMsgWnd(const QString& titleKey, const QString& textKey) : m_titleKey(titleKey), m_textKey(textKey) {}

bool CMsgWnd::Asks(const QString& textKey)
{
    static const QStringList kQuestions{QStringLiteral("delete_profile_text"), QStringLiteral("restore_text"),
                                        QStringLiteral("delete_macro_text")};
    return kQuestions.contains(textKey);
}

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
        if (auto* label = qobject_cast<QLabel*>(text)) {
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            if (label->text().size() > kLongTextLength)
                label->setMinimumWidth(kLongTextWidth);
        }
    }
    if (m_cancelButton && !Asks(m_textKey))
        m_cancelButton->hide();
    if (m_okButton)
        m_okButton->setFocus();
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
