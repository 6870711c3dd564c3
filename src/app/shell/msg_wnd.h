#pragma once

#include <QString>
#include <QStringList>

#include "ui/window_impl_base.h"

// The program's message box: a title and a text given as language keys. A box that asks for a
// confirmation offers OK and Cancel; one that only informs offers OK alone. The text is selectable
// (commands in it can be copied) and the box grows with it.
class CMsgWnd final : public WindowImplBase {
public:
    CMsgWnd(const QString& titleKey, const QString& textKey);

    // Values for the text's %1, %2, ... (the version in the About box). Set before Create.
    void SetTextArguments(const QStringList& arguments) { m_textArguments = arguments; }
    // Whether the text asks the user to confirm something (and so the box offers Cancel).
    static bool Asks(const QString& textKey);

    QString WindowClassName() const override { return QStringLiteral("MsgWnd"); }
    QString SkinFileName() const override { return QStringLiteral("msg.xml"); }
    void Notify(TNotifyUI& msg) override;

protected:
    void OnWindowBuilt() override;

private:
    QString m_titleKey;
    QString m_textKey;
    QStringList m_textArguments;
    QWidget* m_okButton = nullptr;
    QWidget* m_cancelButton = nullptr;
};

// Runs a modal message box owned by the window: 1 for OK, 0 for Cancel.
int ShowMessageBox(WindowImplBase* owner, const QString& titleKey, const QString& textKey);
