#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// A command that cannot be carried out: bad arguments, a damaged input file, an index out of range,
// a folder that cannot be written. karvoctl prints the message as one line and exits with 2.
struct CtlError {
    QString message;
};

struct CtlContext {
    QString dataFolder;  // ends in a separator
    QTextStream& out;
    QTextStream& err;
};

// Runs one command ("list", "show", ...) with its arguments. Throws CtlError.
void RunCommand(const QString& command, const QStringList& arguments, const CtlContext& context);

// The text of --help: every command with its arguments.
QString UsageText();
