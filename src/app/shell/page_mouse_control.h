#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "app/shell/mouse_control.h"
#include "core/storage/store_writer.h"

class CMainWnd;

// MouseControl over the main window's settings page: its profile session, its links and its
// controls, so that what a script does shows in the window at once.
class PageMouseControl final : public QObject, public MouseControl {
public:
    explicit PageMouseControl(CMainWnd& window);
    ~PageMouseControl() override;

    QStringList ProfileNames() const override;
    MouseStatus Status() const override;
    QString DataFolder() const override;
    bool SwitchProfile(int index) override;
    void SaveProfiles(std::function<void(const QString& error)> done) override;
    void Apply() override;
    void ImportProfile(const QString& path, std::function<void(const ImportOutcome&)> done) override;
    void ImportMacro(const QString& path, std::function<void(const ImportOutcome&)> done) override;

private:
    void ShowProfileInList(int index, const QString& name);
    // A store writer's Done that hands the outcome to done on the UI thread.
    StoreWriter::Done OnUiThread(std::function<void(const QString& error)> done);
    // Tells done the outcome of an import (its position and name filled in meanwhile) once the
    // save that keeps it is over.
    StoreWriter::Done WhenImportSaved(std::function<void(const ImportOutcome&)> done,
                                      std::shared_ptr<ImportOutcome> outcome);

    CMainWnd& m_window;
    QString m_dataFolder;  // learnt once: naming it may create it
};
