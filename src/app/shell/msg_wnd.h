#pragma once

#include <QString>

#include "ui/window_impl_base.h"

// The program's message box: a title and a text given as language keys, OK and Cancel.
class CMsgWnd final : public WindowImplBase {
public:
    CMsgWnd(const QString& titleKey, const QString& textKey);

    QString WindowClassName() const override { return QStringLiteral("MsgWnd"); }
    QString SkinFileName() const override { return QStringLiteral("msg.xml"); }
    void Notify(TNotifyUI& msg) override;

protected:
    void OnWindowBuilt() override;

private:
    QString m_titleKey;
    QString m_textKey;
    QWidget* m_okButton = nullptr;
    QWidget* m_cancelButton = nullptr;
};

// Runs a modal message box owned by the window: 1 for OK, 0 for Cancel.
int ShowMessageBox(WindowImplBase* owner, const QString& titleKey, const QString& textKey);
