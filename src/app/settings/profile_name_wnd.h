#pragma once

#include <QString>
#include <QStringList>

#include "ui/window_impl_base.h"

// The profile-name dialog: a title given as a language key, one edit for the name. OK keeps the
// dialog open with a warning while the name is empty or already used (in any letter case) by
// one of the given names; otherwise it ends with 1 and the accepted name.
class CMS_1_ProfileName final : public WindowImplBase {
public:
    // A profile name fills at most 99 of the record's 100 units.
    static constexpr int kMaxNameLength = 99;

    CMS_1_ProfileName(const QString& titleKey, const QStringList& existingNames);
    ~CMS_1_ProfileName() override;

    QString WindowClassName() const override { return QStringLiteral("MS_1_ProfileName"); }
    QString SkinFileName() const override { return QStringLiteral("MS/MS_1/profilename.xml"); }
    void Notify(TNotifyUI& msg) override;

    QString AcceptedName() const { return m_acceptedName; }

protected:
    void OnWindowBuilt() override;
    void OnClick(TNotifyUI& msg) override;

private:
    QString m_titleKey;
    QStringList m_existingNames;
    QString m_acceptedName;
    QWidget* m_okButton = nullptr;
    QWidget* m_cancelButton = nullptr;
    QWidget* m_exitButton = nullptr;
    QWidget* m_edit = nullptr;
};

// Runs the dialog modally over the owner; the accepted name, or an empty string when cancelled.
QString RunProfileNameDialog(WindowImplBase* owner, const QString& titleKey, const QStringList& existingNames);
