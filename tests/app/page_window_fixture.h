// The real main window with its settings page, over a data folder of the test's own and without
// a mouse, plus a script for the modal windows the page opens.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <QThreadPool>
#include <deque>
#include <functional>
#include <memory>

#include "app/shell/main_wnd.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"

// Answers the modal windows in order, one step each, and notes which came and what they said.
class ModalScript {
public:
    using Step = std::function<void(WindowImplBase&)>;

    ModalScript()
        : m_driver([this](WindowImplBase& window) {
              shown << window.WindowClassName();
              if (QWidget* text = window.PaintManager().FindControl(QStringLiteral("warning")))
                  texts << ControlText(text);
              if (m_steps.empty())
                  return;  // left open: the driver closes it with 0
              Step step = std::move(m_steps.front());
              m_steps.pop_front();
              step(window);
          })
    {
    }

    ModalScript& Then(Step step)
    {
        m_steps.push_back(std::move(step));
        return *this;
    }
    ModalScript& Click(const char* button)
    {
        return Then([name = QString::fromLatin1(button)](WindowImplBase& w) { ClickControl(w, name); });
    }
    // Types a name into the profile-name dialog and presses OK.
    ModalScript& EnterName(const QString& name)
    {
        return Then([name](WindowImplBase& w) {
            SetControlText(w.PaintManager().FindControl(QStringLiteral("edit_name")), name);
            ClickControl(w, QStringLiteral("btn_ok"));
        });
    }
    bool Done() const { return m_steps.empty(); }

    QStringList shown;
    QStringList texts;

private:
    std::deque<Step> m_steps;
    ScopedModalDriver m_driver;
};

class PageWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dataHome.path().toUtf8());
        window = std::make_unique<CMainWnd>();
        ASSERT_TRUE(window->Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572}));
        ProcessPending();
    }

    void TearDown() override
    {
        window.reset();
        qputenv("XDG_DATA_HOME", m_savedDataHome);
    }

    template <typename T = QWidget>
    T* Control(const QString& name)
    {
        return window->PaintManager().FindControl<T>(name);
    }
    QListWidget* List() { return Control<QListWidget>(QStringLiteral("ms_1_list_profile")); }

    ProfileSession& Session() { return window->Page().Session(); }
    ProfileRecord Current()
    {
        return Session().Locked([](ProfileSession::State& s) { return s.Current(); });
    }
    int CurrentIndex()
    {
        return Session().Locked([](ProfileSession::State& s) { return int(s.header->current_profile_index); });
    }
    QStringList ProfileNames()
    {
        return Session().Locked([](ProfileSession::State& s) {
            QStringList names;
            for (const auto& p : s.profiles)
                names << ProfileName(*p);
            return names;
        });
    }
    QStringList ListRows()
    {
        QStringList rows;
        for (int i = 0; i < List()->count(); ++i)
            rows << List()->item(i)->text();
        return rows;
    }

    // File reads and writes run on pool threads; their results come back as posted calls.
    static void FinishFileJobs()
    {
        QThreadPool::globalInstance()->waitForDone();
        ProcessPending();
    }
    // Lets the device worker write what it was asked to (it ends after its queue).
    void FinishStoreWrites() { window->Page().ShutdownDevice(); }
    QString DataFolder() const { return m_dataHome.path() + QStringLiteral("/Karvo Gaming Mouse/"); }
    QString TempPath(const QString& name) const { return m_files.path() + QLatin1Char('/') + name; }

    std::unique_ptr<CMainWnd> window;

private:
    QTemporaryDir m_dataHome;
    QTemporaryDir m_files;
    QByteArray m_savedDataHome;
};
