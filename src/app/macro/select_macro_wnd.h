#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "ui/window_impl_base.h"

class QAbstractButton;
class QLineEdit;
class QListWidget;

// The modal picker that binds a macro to a mouse button: the macros by name, three ways of
// playing the macro and, for the first way, how many times. The caller sets the state before the
// window is created and reads it back after it closes; the dialog itself changes nothing.
class CMS_1_SelectMacro final : public WindowImplBase {
public:
    static constexpr int kRepeatModeCount = 3;
    static constexpr int kMinLoopCount = 1;
    static constexpr int kMaxLoopCount = 255;

    QString WindowClassName() const override { return QStringLiteral("MS_1_SelectMacro"); }
    QString SkinFileName() const override { return QStringLiteral("MS/MS_1/selectmacro.xml"); }
    void Notify(TNotifyUI& msg) override;

    // The macros offered, by name in list order (a copy: the list may change meanwhile).
    void SetMacroNames(const QStringList& names) { m_macroNames = names; }
    void SetSelectedIndex(int index) { m_selectedIndex = index; }
    void SetRepeatMode(int mode) { m_repeatMode = mode; }
    void SetLoopCount(int count) { m_loopCount = count; }

    // -1 when no macro is selected.
    int SelectedIndex() const { return m_selectedIndex; }
    // The name of the selected macro as the dialog showed it; empty when none is selected.
    QString SelectedName() const;
    int RepeatMode() const { return m_repeatMode; }
    int LoopCount() const { return m_loopCount; }

    // The loop count a text stands for when the field is left: 1 for nothing or 0, 255 for
    // anything above, however long the number.
    static int ClampedLoopCount(const QString& digits);

protected:
    void OnWindowBuilt() override;
    void OnClick(TNotifyUI& msg) override;

private:
    void TakeSelection();
    void OnRepeatSelected(int mode);
    void KeepDigitsOnly();
    void CommitLoopCount();

    QStringList m_macroNames;
    int m_selectedIndex = -1;
    int m_repeatMode = 0;
    int m_loopCount = kMinLoopCount;

    QListWidget* m_list = nullptr;
    QAbstractButton* m_repeatOptions[kRepeatModeCount] = {};
    QWidget* m_loopRow = nullptr;
    QLineEdit* m_loopEdit = nullptr;
    QWidget* m_emptyNote = nullptr;
    QWidget* m_okButton = nullptr;
    QWidget* m_cancelButton = nullptr;
    QWidget* m_exitButton = nullptr;
};
