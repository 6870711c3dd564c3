// karvoctl: the command-line front end for scripts and power users, on the utility's own core.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTextStream>
#include <cstdio>

#include "core/storage/app_folders.h"
#include "karvoctl_commands.h"
#include "rules_commands.h"
#include "utility_commands.h"

namespace {
constexpr int kExitBadInput = 2;
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // karvoctl reports problems itself, one line each; the core's log stays quiet unless
    // QT_LOGGING_RULES asks for it.
    QLoggingCategory::setFilterRules(QStringLiteral("karvo.*=false"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(dataDir);
    parser.addOption(help);

    try {
        if (!parser.parse(app.arguments()))
            throw CtlError{parser.errorText()};
        if (parser.isSet(help)) {
            out << UsageText() << UtilityUsageText() << RulesUsageText();
            return 0;
        }
        const QStringList positional = parser.positionalArguments();
        if (positional.isEmpty())
            throw CtlError{QStringLiteral("no command given (see karvoctl --help)")};

        QString dataFolder;
        if (parser.isSet(dataDir)) {
            const QString dir = parser.value(dataDir);
            const QFileInfo info(dir);
            if (!info.exists() && !info.isSymLink())
                throw CtlError{QStringLiteral("data folder %1 does not exist").arg(dir)};
            if (!info.isDir())
                throw CtlError{QStringLiteral("data folder %1 is not a folder").arg(dir)};
            dataFolder = QDir::cleanPath(QFileInfo(dir).absoluteFilePath()) + QLatin1Char('/');
        } else {
            dataFolder = GetDataFolder();
        }
        const CtlContext context{dataFolder, out, err};
        if (!RunRulesCommand(positional.first(), positional.mid(1), context)
            && !RunUtilityCommand(positional.first(), positional.mid(1), context))
            RunCommand(positional.first(), positional.mid(1), context);
    } catch (const CtlError& error) {
        out.flush();
        err << "karvoctl: " << error.message << '\n';
        return kExitBadInput;
    }
    return 0;
}
