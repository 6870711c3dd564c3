#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "ui/notify.h"

class CPaintManagerUI;
class PageServices;
class QListWidget;
class QWidget;
struct ProfileRecord;
struct TransferError;

// The profile list and its six buttons: switch, add, delete, rename, reset, export and import.
// The list's rows are the profile list's records in order, and the selected row is always the
// current profile.
class ProfileListPanel {
public:
    explicit ProfileListPanel(PageServices& page);

    void FindControls(CPaintManagerUI& ui);
    // Fills the list from the loaded store and selects the current profile without notification.
    void Fill();

    // True when the notification was one of this panel's.
    bool OnClick(TNotifyUI& msg);
    bool OnItemSelect(TNotifyUI& msg);

private:
    void SwitchTo(int index);
    void Add();
    void Delete();
    void Rename();
    void Reset();
    void Export();
    void Import();
    void FinishImport(std::unique_ptr<ProfileRecord> record, const TransferError& error);

    QStringList ProfileNames();
    void AppendRow(const QString& name);
    // Selects a row so that the selection notification is raised even when the row was current.
    void SelectRowNotifying(int row);
    int ShowWarning(const QString& textKey);
    QString ProfileFileFilter() const;

    PageServices& m_page;
    QListWidget* m_list = nullptr;
    QWidget* m_addButton = nullptr;
    QWidget* m_deleteButton = nullptr;
    QWidget* m_renameButton = nullptr;
    QWidget* m_importButton = nullptr;
    QWidget* m_exportButton = nullptr;
    QWidget* m_resetButton = nullptr;
};
