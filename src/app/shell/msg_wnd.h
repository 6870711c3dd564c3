#pragma once

#include <QString>
#include <QStringList>

#include "ui/window_impl_base.h"

// The program's message box: a title and a text given as language keys, OK and Cancel.
class CMsgWnd final : public WindowImplBase {
public:
    CMsgWnd(const QString& titleKey, const QString& textKey);

    // Values for the text's %1, %2, ... (the version in the About box). Set before Create.
    void SetTextArguments(const QStringList& arguments) { m_textArguments = arguments; }
    // A box that only informs offers OK alone.
    void SetCancelShown(bool shown) { m_cancelShown = shown; }

    QString WindowClassName() const override { return QStringLiteral("MsgWnd"); }
    QString SkinFileName() const override { return QStringLiteral("msg.xml"); }
    void Notify(TNotifyUI& msg) override;

protected:
    void OnWindowBuilt() override;

private:
    QString m_titleKey;
    QString m_textKey;
    QStringList m_textArguments;
    bool m_cancelShown = true;
    QWidget* m_okButton = nullptr;
    QWidget* m_cancelButton = nullptr;
};

// Runs a modal message box owned by the window: 1 for OK, 0 for Cancel.
int ShowMessageBox(WindowImplBase* owner, const QString& titleKey, const QString& textKey);
