#include "app/shell/theme.h"

#include <QApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QPalette>
#include <QSettings>
#include <QStyleHints>

#include "app/shell/background_queue.h"
#include "app/shell/shell_settings.h"
#include "ui/resource_manager.h"

Q_LOGGING_CATEGORY(lcTheme, "karvo.app.theme", QtInfoMsg)

namespace {

const QString kLookKey = QStringLiteral("window/look");
const QString kLightSheetFile = QStringLiteral("light.qss");

std::optional<ShellTheme::Look> LookFromName(const QString& name)
{
    if (name == QLatin1String("dark"))
        return ShellTheme::Look::Dark;
    if (name == QLatin1String("light"))
        return ShellTheme::Look::Light;
    return std::nullopt;
}

}  // namespace

QString ShellTheme::LookName(Look look)
{
    return look == Look::Light ? QStringLiteral("light") : QStringLiteral("dark");
}

ShellTheme::Look ShellTheme::DesktopLook()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    switch (QGuiApplication::styleHints()->colorScheme()) {
    case Qt::ColorScheme::Light: return Look::Light;
    case Qt::ColorScheme::Dark: return Look::Dark;
    default: break;
    }
#endif
    // Where the desktop does not say, its palette does: a light window background means light.
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    return window.lightness() >= 128 ? Look::Light : Look::Dark;
}

void ShellTheme::Init()
{
    if (m_initialised)
        return;  // set before the first widget was built: every widget got its look once
    m_darkSheet = CResourceManager::Instance().ResourceStyleSheet();
    // Both sheets are read now, with the skins, so that switching never reads a file.
    QFile light(CResourceManager::Instance().ResourcePath() + kLightSheetFile);
    if (light.open(QIODevice::ReadOnly))
        m_lightSheet = m_darkSheet + QLatin1Char('\n') + QString::fromUtf8(light.readAll());
    else
        qCWarning(lcTheme) << "no light look:" << light.fileName() << light.errorString();

    const QSettings settings(ShellSettingsPath(), QSettings::IniFormat);
    const std::optional<Look> remembered = LookFromName(settings.value(kLookKey).toString());
    m_look = remembered.value_or(DesktopLook());
    m_initialised = true;
    Apply();
}

void ShellTheme::Toggle()
{
    SetLook(m_look == Look::Dark ? Look::Light : Look::Dark);
}

void ShellTheme::SetLook(Look look)
{
    m_look = look;
    Apply();
    BackgroundQueue::Shell().Run([name = LookName(look)] {
        QSettings settings(ShellSettingsPath(), QSettings::IniFormat);
        settings.setValue(kLookKey, name);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            qCWarning(lcTheme) << "cannot remember the look in" << settings.fileName();
    });
}

void ShellTheme::Apply()
{
    if (!m_initialised)
        return;
    const QString& sheet = (m_look == Look::Light && !m_lightSheet.isEmpty()) ? m_lightSheet : m_darkSheet;
    // Setting the sheet polishes every widget again, so the sheet in place is left alone.
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()); app && app->styleSheet() != sheet)
        app->setStyleSheet(sheet);
    qCDebug(lcTheme) << "look:" << LookName(m_look);
}
