#include "karvoctl_commands.h"

#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <functional>

#include "core/report/apply_reports.h"
#include "core/macro/macro_file.h"
#include "profile_dump.h"
#include "core/profile/profile_file.h"
#include "core/profile/profile_import.h"
#include "core/storage/macro_store.h"
#include "core/storage/profile_store.h"
#include "core/storage/store_pair.h"

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
    if (result.outcome == StoreLoadResult::Outcome::Unreadable)
        throw CtlError{QStringLiteral("cannot read %1 in %2 (%3); it was left as it is")
                           .arg(storeName, context.dataFolder, result.problem)};
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

std::size_t ParseIndex(const QString& text, std::size_t count, const char* what = "profiles")
{
    // Plain decimal digits only: no sign, no spaces, no other digit forms.
    const bool digitsOnly = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    bool ok = false;
    const qulonglong index = digitsOnly ? text.toULongLong(&ok, 10) : 0;
    if (!ok)
        throw CtlError{QStringLiteral("'%1' is not an index").arg(text)};
    if (index >= count)
        throw CtlError{count == 0 ? QStringLiteral("index %1 is out of range: there are no %2")
                                        .arg(text, QLatin1String(what))
                                  : QStringLiteral("index %1 is out of range: there are %2 %3 (0..%4)")
                                        .arg(text)
                                        .arg(count)
                                        .arg(QLatin1String(what))
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
    if (const TransferError error = WriteProfileFile(arguments.at(1), context.dataFolder, *store.profiles[index]))
        throw CtlError{error.message};
    context.out << "exported profile " << index << " (" << ProfileName(*store.profiles[index]) << ") to "
                << arguments.at(1) << '\n';
}

// Like the utility's import: the profile is appended under a unique name, brings its macros along
// into macro.data and becomes the current profile.
void ImportProfile(const QStringList& arguments, const CtlContext& context)
{
    TransferError refused;
    auto record = ReadProfileFile(arguments.at(0), context.dataFolder, &refused);
    if (!record)
        throw CtlError{refused.message};
    QString error;

    // The macro store first: one that cannot be read stops the import before a missing profile
    // store is created.
    MacroList macros = LoadMacros(context);
    ProfileStore store = LoadProfiles(context);
    const ProfileImport imported = ImportProfileRecord(store.profiles, macros, std::move(record));
    store.header->current_profile_index = std::uint32_t(imported.profileIndex);
    if (imported.macrosCreated > 0) {
        if (!SaveProfileAndMacroStores(store.profiles, *store.header, macros, &error, context.dataFolder))
            throw CtlError{error};
    } else if (!SaveProfileStore(store.profiles, *store.header, context.dataFolder)) {
        throw CtlError{QStringLiteral("cannot write pro.data in %1").arg(context.dataFolder)};
    }
    context.out << "imported as profile " << imported.profileIndex << " ("
                << ProfileName(*store.profiles[imported.profileIndex]) << ")";
    if (imported.macrosCreated > 0)
        context.out << " with " << imported.macrosCreated << " macro(s)";
    context.out << '\n';
}

QString HexLine(const Report& report)
{
    QStringList bytes;
    for (std::uint8_t byte : report)
        bytes << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0'));
    return bytes.join(QLatin1Char(' '));
}

// The reports a full send of the profile produces, one per line in send order.
void PrintReports(const QStringList& arguments, const CtlContext& context)
{
    const ProfileStore store = LoadProfiles(context);
    const ProfileRecord& profile = *store.profiles[ProfileIndexArgument(arguments, store)];
    for (const Report& report : ApplyReports(profile, profile, true))
        context.out << HexLine(report) << '\n';
}

void ListMacros(const QStringList&, const CtlContext& context)
{
    const MacroList macros = LoadMacros(context);
    for (std::size_t i = 0; i < macros.size(); ++i) {
        const MacroRecord& macro = *macros[i];
        context.out << i << '\t' << MacroName(macro) << '\t' << macro.action_count << '\t'
                    << MacroStepCount(macro) << '\n';
    }
}

void ExportMacro(const QStringList& arguments, const CtlContext& context)
{
    const MacroList macros = LoadMacros(context);
    const std::size_t index = ParseIndex(arguments.at(0), macros.size(), "macros");
    if (const TransferError error = WriteMacroFile(arguments.at(1), context.dataFolder, *macros[index]))
        throw CtlError{error.message};
    context.out << "exported macro " << index << " (" << MacroName(*macros[index]) << ") to " << arguments.at(1)
                << '\n';
}

void ImportMacro(const QStringList& arguments, const CtlContext& context)
{
    TransferError error;
    auto record = ReadMacroFile(arguments.at(0), context.dataFolder, &error);
    if (!record)
        throw CtlError{error.message};
    MacroList macros = LoadMacros(context);
    const std::size_t index = AppendImportedMacro(macros, std::move(record));
    if (!SaveMacroStore(macros, context.dataFolder))
        throw CtlError{QStringLiteral("cannot write macro.data in %1").arg(context.dataFolder)};
    context.out << "imported as macro " << index << " (" << MacroName(*macros[index]) << ")\n";
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
        {"reports", "[INDEX]",
         "the reports a full send of a profile (default: the current one) sends,\n"
         "                             in order, one per line as hex bytes",
         0, 1, PrintReports},
        {"macros", "", "the macros, one per line: index, name, action count, step count", 0, 0, ListMacros},
        {"export-macro", "INDEX FILE", "write one macro to a *.macro file", 2, 2, ExportMacro},
        {"import-macro", "FILE", "append the macro of a *.macro file under a unique name", 1, 1, ImportMacro},
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
        << "a file that is not a regular file of exactly one record or is damaged, a store as an\n"
        << "export's target or an import's source, a store or\n"
        << "folder that cannot be read or written), with one line on stderr and no store file changed.\n"
        << "A store that cannot be read is left as it is; it is never taken for a damaged or\n"
        << "missing one.\n";
    return text;
}
