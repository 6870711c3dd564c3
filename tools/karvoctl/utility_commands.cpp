#include "utility_commands.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QTextStream>

#include "core/profile/profile_record.h"
#include "core/storage/profile_store.h"
#include "device/device_access.h"
#include "running_utility.h"

namespace {

// A mouse the user may not open is worth saying, whatever the command could do without it.
void WarnAboutDeviceAccess(const CtlContext& context)
{
    if (!CurrentDeviceAccessProbe()().empty())
        context.err << "karvoctl: " << DeviceAccessHint() << '\n';
}

bool IsIndex(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// Index in the list for a name or index given on the command line.
std::size_t ResolveProfile(const QString& wanted, const QStringList& names)
{
    if (IsIndex(wanted)) {
        bool ok = false;
        const qulonglong index = wanted.toULongLong(&ok);
        if (!ok || index >= qulonglong(names.size()))
            throw CtlError{QStringLiteral("index %1 is out of range: there are %2 profiles").arg(wanted).arg(names.size())};
        return std::size_t(index);
    }
    qsizetype index = names.indexOf(wanted);
    for (qsizetype i = 0; i < names.size() && index < 0; ++i)
        if (names.at(i).compare(wanted, Qt::CaseInsensitive) == 0)
            index = i;
    if (index < 0)
        throw CtlError{QStringLiteral("no profile is named '%1'").arg(wanted)};
    return std::size_t(index);
}

void SwitchInStore(const QString& wanted, const CtlContext& context)
{
    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    const StoreLoadResult loaded = LoadProfileStore(profiles, *header, context.dataFolder);
    if (!loaded.saved)
        throw CtlError{QStringLiteral("cannot write pro.data in %1").arg(context.dataFolder)};
    QStringList names;
    for (const auto& profile : profiles)
        names << ProfileName(*profile);
    const std::size_t index = ResolveProfile(wanted, names);
    header->current_profile_index = std::uint32_t(index);
    if (!SaveProfileStore(profiles, *header, context.dataFolder))
        throw CtlError{QStringLiteral("cannot write pro.data in %1").arg(context.dataFolder)};
    context.out << "the utility is not running: profile " << index << " (" << names.at(qsizetype(index))
                << ") is now current in the store; the mouse gets it when the utility starts\n";
}

QString AbsolutePath(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

}  // namespace

bool RunUtilityCommand(const QString& command, const QStringList& arguments, const CtlContext& context)
{
    const bool ours = command == QLatin1String("switch") || command == QLatin1String("apply")
                      || command == QLatin1String("status");
    const bool import = command == QLatin1String("import-profile") || command == QLatin1String("import-macro");
    if (!ours && !import)
        return false;
    if (command == QLatin1String("switch") && arguments.size() != 1)
        throw CtlError{QStringLiteral("usage: karvoctl [--data-dir DIR] switch NAME|INDEX")};
    if ((command == QLatin1String("apply") || command == QLatin1String("status")) && !arguments.isEmpty())
        throw CtlError{QStringLiteral("usage: karvoctl [--data-dir DIR] %1").arg(command)};
    if (import && arguments.size() != 1)
        return false;  // the store command says how it is used

    const RunningUtility utility(context);
    if (!utility.Running()) {
        if (import)
            return false;
        WarnAboutDeviceAccess(context);
        if (command == QLatin1String("switch"))
            SwitchInStore(arguments.first(), context);
        else if (command == QLatin1String("apply"))
            context.out << "the utility is not running: nothing was sent to the mouse and the store is unchanged\n";
        else
            context.out << "utility: not running\n";
        return true;
    }

    if (command == QLatin1String("switch")) {
        const QString wanted = arguments.first();
        QList<QVariant> reply;
        if (IsIndex(wanted)) {
            bool ok = false;
            const uint index = wanted.toUInt(&ok);
            if (!ok)
                throw CtlError{QStringLiteral("'%1' is not an index").arg(wanted)};
            reply = utility.Invoke(QStringLiteral("SwitchProfileIndex"), {QVariant(index)});
            context.out << "the running utility switched to profile " << index << " ("
                        << (reply.isEmpty() ? QString() : reply.first().toString()) << ")\n";
        } else {
            reply = utility.Invoke(QStringLiteral("SwitchProfile"), {QVariant(wanted)});
            context.out << "the running utility switched to profile " << (reply.isEmpty() ? 0u : reply.first().toUInt())
                        << " (" << wanted << ")\n";
        }
    } else if (command == QLatin1String("apply")) {
        utility.Invoke(QStringLiteral("Apply"));
        context.out << "the running utility sends the current profile to the mouse\n";
    } else if (command == QLatin1String("status")) {
        const QVariantMap properties = utility.Properties();
        context.out << "utility: running\n";
        for (auto it = properties.constBegin(); it != properties.constEnd(); ++it) {
            const QVariant value = it.value();
            context.out << it.key() << ": "
                        << (value.canConvert<QStringList>() && value.userType() == QMetaType::QStringList
                                ? value.toStringList().join(QLatin1Char(','))
                                : value.toString())
                        << '\n';
        }
    } else {
        const bool profile = command == QLatin1String("import-profile");
        const QList<QVariant> reply = utility.Invoke(profile ? QStringLiteral("ImportProfile") : QStringLiteral("ImportMacro"),
                                                     {QVariant(AbsolutePath(arguments.first()))});
        context.out << "imported as " << (profile ? "profile " : "macro ")
                    << (reply.size() > 0 ? reply.at(0).toUInt() : 0u) << " ("
                    << (reply.size() > 1 ? reply.at(1).toString() : QString()) << ") by the running utility\n";
    }
    return true;
}

QString UtilityUsageText()
{
    return QStringLiteral(
        "\nCommands for the running utility (over the session bus, org.karvo.GamingMouse):\n"
        "  switch NAME|INDEX          make a profile current and send it to the mouse; an argument of\n"
        "                             digits is an index, anything else a name (exact, else ignoring\n"
        "                             case). Without a running utility only the store changes.\n"
        "  apply                      send the whole current profile to the mouse again\n"
        "  status                     whether the utility runs; its profile, DPI stage, battery, links\n"
        "While the utility runs, import-profile and import-macro go through it, so the window and\n"
        "the mouse follow at once.\n");
}
