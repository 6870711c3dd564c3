#include "settings/ms_1_page.h"

#include <QListWidget>
#include <QLoggingCategory>

#include "app/window_messages.h"
#include "storage/macro_store.h"
#include "ui/controls.h"
#include "ui/window_impl_base.h"

Q_LOGGING_CATEGORY(lcPage, "karvo.settings.page")

namespace {
constexpr int kProfileEntryHeight = 22;
}

CMS_1_Page::CMS_1_Page()
    : m_header(std::make_unique<StoreHeader>()), m_appliedSnapshot(std::make_unique<ProfileRecord>())
{
    *m_header = {};
    *m_appliedSnapshot = {};
    BindNotify(NotifyType::kClick, [this](TNotifyUI& msg) { OnClick(msg); });
    BindNotify(NotifyType::kSelectChanged, [this](TNotifyUI& msg) { OnSelectChanged(msg); });
    BindNotify(NotifyType::kItemSelect, [this](TNotifyUI& msg) { OnItemSelect(msg); });
    BindNotify(NotifyType::kCheckClick, [this](TNotifyUI& msg) { OnCheckClick(msg); });
    BindNotify(NotifyType::kKillFocus, [this](TNotifyUI& msg) { OnKillFocus(msg); });
    BindNotify(NotifyType::kTimer, [this](TNotifyUI& msg) { OnTimer(msg); });
    BindNotify(NotifyType::kValueChanged, [this](TNotifyUI& msg) { OnValueChanged(msg); });
    BindNotify(NotifyType::kMouseEnter, [this](TNotifyUI& msg) { OnMouseEnter(msg); });
    BindNotify(NotifyType::kMouseLeave, [this](TNotifyUI& msg) { OnMouseLeave(msg); });
}

CMS_1_Page::~CMS_1_Page()
{
    ShutdownDevice();
}

void CMS_1_Page::InitDevice()
{
    // No link is opened yet: the page reports that no mouse is reachable.
    m_anyLinkConnected = false;
    if (m_mainWindow)
        m_mainWindow->PostMessage(Msg::UM_DEVICE_STATE, 0, 0);
}

void CMS_1_Page::InitSettings()
{
    const StoreLoadResult profiles = LoadProfileStore(m_profiles, *m_header);
    if (profiles.outcome == StoreLoadResult::Outcome::Repaired)
        qCWarning(lcPage) << "profile store repaired:" << profiles.problem << "original kept as" << profiles.keptAsidePath;
    const StoreLoadResult macros = LoadMacroStore(m_macros);
    if (macros.outcome == StoreLoadResult::Outcome::Repaired)
        qCWarning(lcPage) << "macro store repaired:" << macros.problem << "original kept as" << macros.keptAsidePath;

    m_fullSend = true;
    FillProfileList();
    m_currentProfile = m_profiles.at(m_header->current_profile_index).get();
    *m_appliedSnapshot = *m_currentProfile;
}

void CMS_1_Page::FillProfileList()
{
    auto* list = m_mainWindow ? m_mainWindow->PaintManager().FindControl<QListWidget>(QStringLiteral("ms_1_list_profile"))
                              : nullptr;
    if (!list)
        return;
    for (const auto& profile : m_profiles) {
        auto* item = new QListWidgetItem(ProfileName(*profile), list);
        item->setSizeHint(QSize(0, kProfileEntryHeight));
    }
    SelectItem(list, int(m_header->current_profile_index), false);
}

void CMS_1_Page::ShutdownDevice() {}

void CMS_1_Page::HandleWiredLink(std::uint32_t linkCode)
{
    qCDebug(lcPage) << "wired link code" << Qt::hex << linkCode;
    if (m_routeObserver)
        m_routeObserver->OnWiredLink(linkCode);
}

void CMS_1_Page::HandleReceiverLink(std::uint32_t linkCode)
{
    qCDebug(lcPage) << "receiver link code" << Qt::hex << linkCode;
    if (m_routeObserver)
        m_routeObserver->OnReceiverLink(linkCode);
}

void CMS_1_Page::OnButtonFunctionMenu(const QString& itemName)
{
    if (m_routeObserver)
        m_routeObserver->OnButtonMenuItem(itemName);
}

// The page's controls come with the settings panels; until then their notifications end here.
void CMS_1_Page::OnClick(TNotifyUI&) {}
void CMS_1_Page::OnSelectChanged(TNotifyUI&) {}
void CMS_1_Page::OnItemSelect(TNotifyUI&) {}
void CMS_1_Page::OnCheckClick(TNotifyUI&) {}
void CMS_1_Page::OnKillFocus(TNotifyUI&) {}
void CMS_1_Page::OnTimer(TNotifyUI&) {}
void CMS_1_Page::OnValueChanged(TNotifyUI&) {}
void CMS_1_Page::OnMouseEnter(TNotifyUI&) {}
void CMS_1_Page::OnMouseLeave(TNotifyUI&) {}
