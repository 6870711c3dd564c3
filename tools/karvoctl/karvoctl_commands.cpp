#include "karvoctl_commands.h"

#include <QFileInfo>
#include <QTextStream>
#include <functional>

#include "profile_dump.h"
#include "settings/profile_file.h"
#include "settings/profile_import.h"
#include "storage/macro_store.h"
#include "storage/profile_store.h"

namespace {

struct Command {
    const char* name;
    const char* arguments;
    const char* summary;
    int minArguments;
    int maxArguments;
    std::function<void(const QStringList&, const CtlContext&)> run;
};

void ReportLoad(const StoreLoadResult& result, const QString& storeName, const CtlContext& context)
{
    if (result.outcome == StoreLoadResult::Outcome::Repaired) {
        context.err << "karvoctl: warning: " << storeName << " was damaged (" << result.problem << ")";
        if (!result.keptAsidePath.isEmpty())
            context.err << "; the original is kept as " << result.keptAsidePath;
        context.err << '\n';
    }
    if (!result.saved)
        throw CtlError{QStringLiteral("cannot write %1 in %2").arg(storeName, context.dataFolder)};
}

struct ProfileStore {
    ProfileList profiles;
    std::unique_ptr<StoreHeader> header = std::make_unique<StoreHeader>();
};

ProfileStore LoadProfiles(const CtlContext& context)
{
    ProfileStore store;
    ReportLoad(LoadProfileStore(store.profiles, *store.header, context.dataFolder), QStringLiteral("pro.data"),
               context);
    return store;
}

MacroList LoadMacros(const CtlContext& context)
{
    MacroList macros;
    ReportLoad(LoadMacroStore(macros, context.dataFolder), QStringLiteral("macro.data"), context);
    return macros;
}

std::size_t ParseIndex(const QString& text, std::size_t count)
{
    bool ok = false;
    const qulonglong index = text.toULongLong(&ok);
    if (!ok || text.startsWith(QLatin1Char('+')))
        throw CtlError{QStringLiteral("'%1' is not an index").arg(text)};
    if (index >= count)
        throw CtlError{QStringLiteral("index %1 is out of range: there are %2 profiles (0..%3)")
                           .arg(text)
                           .arg(count)
                           .arg(count - 1)};
    return std::size_t(index);
}

std::size_t ProfileIndexArgument(const QStringList& arguments, const ProfileStore& store)
{
    if (arguments.isEmpty())
        return store.header->current_profile_index;
    return ParseIndex(arguments.first(), store.profiles.size());
}

void ListProfiles(const QStringList&, const CtlContext& context)
{
    const ProfileStore store = LoadProfiles(context);
    for (std::size_t i = 0; i < store.profiles.size(); ++i) {
        context.out << i << '\t' << ProfileName(*store.profiles[i]);
        if (i == store.header->current_profile_index)
            context.out << "\t*";
        context.out << '\n';
    }
}

void ShowProfile(const QStringList& arguments, const CtlContext& context)
{
    const ProfileStore store = LoadProfiles(context);
    const std::size_t index = ProfileIndexArgument(arguments, store);
    context.out << "index: " << index << (index == store.header->current_profile_index ? " (current)" : "")
                << '\n'
                << DescribeProfile(*store.profiles[index]);
}

void ExportProfile(const QStringList& arguments, const CtlContext& context)
{
    const ProfileStore store = LoadProfiles(context);
    const std::size_t index = ParseIndex(arguments.at(0), store.profiles.size());
    if (!WriteProfileFile(arguments.at(1), *store.profiles[index]))
        throw CtlError{QStringLiteral("cannot write %1").arg(arguments.at(1))};
    context.out << "exported profile " << index << " (" << ProfileName(*store.profiles[index]) << ") to "
                << arguments.at(1) << '\n';
}

// Like the utility's import: the profile is appended under a unique name, brings its macros along
// into macro.data and becomes the current profile.
void ImportProfile(const QStringList& arguments, const CtlContext& context)
{
    QString error;
    auto record = ReadProfileFile(arguments.at(0), &error);
    if (!record)
        throw CtlError{error};

    ProfileStore store = LoadProfiles(context);
    MacroList macros = LoadMacros(context);
    const ProfileImport imported = ImportProfileRecord(store.profiles, macros, std::move(record));
    store.header->current_profile_index = std::uint32_t(imported.profileIndex);
    if (imported.macrosCreated > 0 && !SaveMacroStore(macros, context.dataFolder))
        throw CtlError{QStringLiteral("cannot write macro.data in %1").arg(context.dataFolder)};
    if (!SaveProfileStore(store.profiles, *store.header, context.dataFolder))
        throw CtlError{QStringLiteral("cannot write pro.data in %1").arg(context.dataFolder)};
    context.out << "imported as profile " << imported.profileIndex << " ("
                << ProfileName(*store.profiles[imported.profileIndex]) << ")";
    if (imported.macrosCreated > 0)
        context.out << " with " << imported.macrosCreated << " macro(s)";
    context.out << '\n';
}

const std::vector<Command>& Commands()
{
    static const std::vector<Command> commands = {
        {"list", "", "the profiles, one per line: index, name, and * on the current one", 0, 0, ListProfiles},
        {"show", "[INDEX]", "the settings of one profile (default: the current one)", 0, 1, ShowProfile},
        {"export-profile", "INDEX FILE", "write one profile to a *.pro file", 2, 2, ExportProfile},
        {"import-profile", "FILE",
         "append a *.pro file's profile under a unique name and make it current;\n"
         "                             its macros are added to macro.data",
         1, 1, ImportProfile},
    };
    return commands;
}

}  // namespace

void RunCommand(const QString& command, const QStringList& arguments, const CtlContext& context)
{
    for (const Command& candidate : Commands()) {
        if (command != QLatin1String(candidate.name))
            continue;
        if (arguments.size() < candidate.minArguments || arguments.size() > candidate.maxArguments)
            throw CtlError{QStringLiteral("usage: karvoctl [--data-dir DIR] %1 %2")
                               .arg(command, QLatin1String(candidate.arguments))
                               .trimmed()};
        candidate.run(arguments, context);
        return;
    }
    throw CtlError{QStringLiteral("unknown command '%1' (see karvoctl --help)").arg(command)};
}

QString UsageText()
{
    QString text;
    QTextStream out(&text);
    out << "Usage: karvoctl [--data-dir DIR] COMMAND [ARGUMENTS]\n\n"
        << "Reads and writes the profile and macro stores of Karvo Gaming Mouse (ms_1/pro.data and\n"
        << "ms_1/macro.data in the data folder). A missing profile store is created with one default\n"
        << "profile, as the utility does at start.\n\n"
        << "Options:\n"
        << "  --data-dir DIR   the data folder holding ms_1/ (default: the utility's own data folder)\n"
        << "  -h, --help       show this text\n\n"
        << "Commands:\n";
    for (const Command& command : Commands()) {
        const QString head = QStringLiteral("%1 %2").arg(QLatin1String(command.name),
                                                         QLatin1String(command.arguments));
        out << "  " << head.trimmed().leftJustified(26) << ' ' << command.summary << '\n';
    }
    out << "\nExit status: 0 on success; 2 on bad input (unknown arguments, an index out of range,\n"
        << "a short or damaged file, a folder that cannot be written), with one line on stderr and\n"
        << "no store file changed.\n";
    return text;
}
