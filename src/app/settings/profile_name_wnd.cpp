#include "app/settings/profile_name_wnd.h"

#include <QLineEdit>

#include "app/shell/msg_wnd.h"
#include "core/text/name_field.h"
#include "ui/controls.h"

CMS_1_ProfileName::CMS_1_ProfileName(const QString& titleKey, const QStringList& existingNames)
    : m_titleKey(titleKey), m_existingNames(existingNames)
{
}

CMS_1_ProfileName::~CMS_1_ProfileName() = default;

void CMS_1_ProfileName::OnWindowBuilt()
{
    CPaintManagerUI& ui = PaintManager();
    m_okButton = ui.FindControl(QStringLiteral("btn_ok"));
    m_cancelButton = ui.FindControl(QStringLiteral("btn_cancel"));
    m_exitButton = ui.FindControl(QStringLiteral("btn_exit"));
    m_edit = ui.FindControl(QStringLiteral("edit_name"));
    if (QWidget* title = ui.FindControl(QStringLiteral("title_string")))
        SetControlTextKey(title, m_titleKey);
    if (auto* edit = qobject_cast<QLineEdit*>(m_edit)) {
        // Longer names cannot be typed or pasted, whatever the skin says.
        edit->setMaxLength(kMaxNameLength);
        // Enter in the edit is OK, the skin's default button.
        edit->setFocus();
    }
}

void CMS_1_ProfileName::Notify(TNotifyUI& msg)
{
    if (msg.sType == NotifyType::kClick)
        OnClick(msg);
}

void CMS_1_ProfileName::OnClick(TNotifyUI& msg)
{
    if (msg.pSender == m_cancelButton || msg.pSender == m_exitButton) {
        Close(0);
        return;
    }
    if (msg.pSender != m_okButton)
        return;
    // Spaces round a name are not part of it, nor are unprintable characters (pasted line ends);
    // a name of nothing else counts as empty. Imported names are cleaned the same way.
    const QString name = CleanName(ControlText(m_edit)).left(kMaxNameLength);
    if (name.isEmpty()) {
        ShowMessageBox(this, QStringLiteral("warning_title_text"), QStringLiteral("warn_name_1_text"));
        return;
    }
    if (m_existingNames.contains(name, Qt::CaseInsensitive)) {
        ShowMessageBox(this, QStringLiteral("warning_title_text"), QStringLiteral("warn_name_2_text"));
        return;
    }
    m_acceptedName = name;
    Close(1);
}

QString RunProfileNameDialog(WindowImplBase* owner, const QString& titleKey, const QStringList& existingNames)
{
    CMS_1_ProfileName dialog(titleKey, existingNames);
    if (!dialog.Create(owner, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow))
        return {};
    dialog.CenterWindow();
    return dialog.ShowModal() == 1 ? dialog.AcceptedName() : QString();
}
