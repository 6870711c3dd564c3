// The real main window with its settings page, over a data folder of the test's own and without
// a mouse; modal windows are answered with a ModalScript.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <memory>

#include "app/shell/background_queue.h"
#include "app/shell/main_wnd.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"

inline QString LangText(const char* key) { return CResourceManager::Instance().GetText(QLatin1String(key)); }

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class PageWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dataHome.path().toUtf8());
        Reopen();
    }
    void TearDown() override
    {
        window.reset();
        qputenv("XDG_DATA_HOME", m_savedDataHome);
    }
    // A new start over the same data folder; the stores read on the window's thread, or off it
    // as the program reads them (the page is then disabled until they arrive).
    void Reopen(bool storesInBackground = false)
    {
        window.reset();
        window = std::make_unique<CMainWnd>();
        window->Page().SetReadStoresInBackground(storesInBackground);
        ASSERT_TRUE(window->Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572}));
        EXPECT_NE(Control(QStringLiteral("device_tab_switch"))->isEnabled(), storesInBackground);
        ProcessPending();
        ASSERT_TRUE(ProcessUntil([this] { return Control(QStringLiteral("device_tab_switch"))->isEnabled(); }));
    }

    template <typename T = QWidget>
    T* Control(const QString& name) { return window->PaintManager().FindControl<T>(name); }
    QString TextOf(const QString& name) { return ControlText(Control(name)); }
    void Click(const QString& name) { ASSERT_TRUE(ClickControl(*window, name)) << name.toStdString(); }
    QListWidget* List() { return Control<QListWidget>(QStringLiteral("ms_1_list_profile")); }

    ProfileSession& Session() { return window->Page().Session(); }
    ProfileRecord Current() { return Session().Locked([](ProfileSession::State& s) { return s.Current(); }); }
    int CurrentIndex() { return Session().Locked([](ProfileSession::State& s) { return int(s.header->current_profile_index); }); }
    QStringList ProfileNames()
    {
        return Session().Locked([](ProfileSession::State& s) {
            QStringList names;
            for (const auto& p : s.profiles) names << ProfileName(*p);
            return names;
        });
    }
    QStringList ListRows()
    {
        QStringList rows;
        for (int i = 0; i < List()->count(); ++i) rows << List()->item(i)->text();
        return rows;
    }

    // File reads and writes run on pool threads; their results come back as posted calls.
    static void FinishFileJobs() { BackgroundQueue::Files().WaitForDone(); ProcessPending(); }
    // The device worker ends after its queue: whatever it was asked to write is on disk afterwards.
    void FinishStoreWrites() { window->Page().ShutdownDevice(); }
    QString DataFolder() const { return m_dataHome.path() + QStringLiteral("/Karvo Gaming Mouse/"); }
    QString TempPath(const QString& name) const { return m_files.path() + QLatin1Char('/') + name; }

    std::unique_ptr<CMainWnd> window;

private:
    QTemporaryDir m_dataHome, m_files;
    QByteArray m_savedDataHome;
};
