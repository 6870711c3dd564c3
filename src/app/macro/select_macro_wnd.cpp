#include "app/macro/select_macro_wnd.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QSignalBlocker>
#include <algorithm>

#include "ui/controls.h"
#include "ui/resource_manager.h"

Q_LOGGING_CATEGORY(lcSelectMacro, "karvo.macro.select")

namespace {
constexpr int kMacroEntryHeight = 22;
}

QString CMS_1_SelectMacro::SelectedName() const
{
    return m_selectedIndex >= 0 && m_selectedIndex < m_macroNames.size() ? m_macroNames.at(m_selectedIndex) : QString();
}

int CMS_1_SelectMacro::ClampedLoopCount(const QString& digits)
{
    long long value = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = std::min<long long>(value * 10 + (c.unicode() - u'0'), kMaxLoopCount + 1);
    }
    return int(std::clamp<long long>(value, kMinLoopCount, kMaxLoopCount));
}

void CMS_1_SelectMacro::OnWindowBuilt()
{
    CPaintManagerUI& ui = PaintManager();
    m_list = ui.FindControl<QListWidget>(QStringLiteral("list_macro"));
    for (int i = 0; i < kRepeatModeCount; ++i)
        m_repeatOptions[i] = ui.FindControl<QAbstractButton>(QStringLiteral("repeat_%1").arg(i + 1));
    m_loopRow = ui.FindControl(QStringLiteral("hor_loop_time"));
    m_loopEdit = ui.FindControl<QLineEdit>(QStringLiteral("edit_loop_time"));
    m_emptyNote = ui.FindControl(QStringLiteral("select_macro_empty"));
    m_okButton = ui.FindControl(QStringLiteral("btn_ok"));
    m_cancelButton = ui.FindControl(QStringLiteral("btn_cancel"));
    m_exitButton = ui.FindControl(QStringLiteral("btn_exit"));
    if (!m_list || !m_loopRow || !m_loopEdit || !m_okButton || !m_cancelButton
        || std::count(std::begin(m_repeatOptions), std::end(m_repeatOptions), nullptr) != 0) {
        // Without its controls the dialog cannot choose anything: it ends as cancelled.
        qCWarning(lcSelectMacro) << SkinFileName() << "lacks some of the dialog's controls";
        DestroyWindow();
        return;
    }
    GetHWND()->setWindowTitle(CResourceManager::Instance().GetText(QStringLiteral("select_macro_title_text")));
    // Only a macro the user selected is a choice: the row the list makes current when it takes
    // the focus is none. OK waits for one.
    QObject::connect(m_list, &QListWidget::itemSelectionChanged, GetHWND(), [this] { TakeSelection(); });
    // A double click on a macro chooses it, as OK would.
    QObject::connect(m_list, &QListWidget::itemActivated, GetHWND(), [this](QListWidgetItem* item) {
        if (!item->isSelected())
            return;
        CommitLoopCount();
        Close(1);
    });

    for (const QString& name : m_macroNames) {
        auto* entry = new QListWidgetItem(name, m_list);
        entry->setSizeHint(QSize(0, kMacroEntryHeight));
    }
    if (m_emptyNote)
        m_emptyNote->setVisible(m_macroNames.isEmpty());

    // A record from elsewhere may carry values out of range; the dialog starts from sound ones.
    if (m_repeatMode < 0 || m_repeatMode >= kRepeatModeCount)
        m_repeatMode = 0;
    m_loopCount = std::clamp(m_loopCount, kMinLoopCount, kMaxLoopCount);
    if (m_selectedIndex < -1 || m_selectedIndex >= m_macroNames.size())
        m_selectedIndex = -1;
    // With a single macro there is nothing else to choose.
    if (m_selectedIndex == -1 && m_macroNames.size() == 1)
        m_selectedIndex = 0;

    SetSelected(m_repeatOptions[m_repeatMode], true, true);
    {
        const QSignalBlocker blocker(m_list);
        m_list->setCurrentRow(m_selectedIndex, QItemSelectionModel::ClearAndSelect);
    }
    TakeSelection();
    {
        const QSignalBlocker blocker(m_loopEdit);
        m_loopEdit->setText(QString::number(m_loopCount));
    }
    m_loopRow->setVisible(m_repeatMode == 0);
    m_list->setFocus();
}

void CMS_1_SelectMacro::Notify(TNotifyUI& msg)
{
    if (msg.sType == NotifyType::kClick) {
        OnClick(msg);
    } else if (msg.sType == NotifyType::kSelectChanged) {
        for (int i = 0; i < kRepeatModeCount; ++i) {
            if (msg.pSender == m_repeatOptions[i])
                OnRepeatSelected(i);
        }
    } else if (msg.sType == NotifyType::kKillFocus && msg.pSender == m_loopEdit) {
        CommitLoopCount();
    } else if (msg.sType == NotifyType::kTextChanged && msg.pSender == m_loopEdit) {
        KeepDigitsOnly();
    }
}

void CMS_1_SelectMacro::OnClick(TNotifyUI& msg)
{
    if (!msg.pSender)
        return;
    if (msg.pSender == m_okButton) {
        // A count still being typed counts as entered.
        CommitLoopCount();
        Close(1);
    } else if (msg.pSender == m_cancelButton || msg.pSender == m_exitButton) {
        Close(0);
    }
}

void CMS_1_SelectMacro::TakeSelection()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    m_selectedIndex = selected.isEmpty() ? -1 : m_list->row(selected.first());
    m_okButton->setEnabled(m_selectedIndex >= 0);
}

void CMS_1_SelectMacro::OnRepeatSelected(int mode)
{
    m_repeatMode = mode;
    if (m_loopRow)
        m_loopRow->setVisible(mode == 0);
}

void CMS_1_SelectMacro::KeepDigitsOnly()
{
    const QString text = m_loopEdit->text();
    QString digits;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    if (digits == text)
        return;
    const QSignalBlocker blocker(m_loopEdit);
    m_loopEdit->setText(digits);
    m_loopEdit->setCursorPosition(int(digits.size()));
}

void CMS_1_SelectMacro::CommitLoopCount()
{
    if (!m_loopEdit)
        return;
    m_loopCount = ClampedLoopCount(m_loopEdit->text());
    const QString shown = QString::number(m_loopCount);
    if (m_loopEdit->text() != shown) {
        const QSignalBlocker blocker(m_loopEdit);
        m_loopEdit->setText(shown);
    }
}
