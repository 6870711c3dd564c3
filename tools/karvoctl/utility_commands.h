#pragma once

#include <QString>
#include <QStringList>

#include "karvoctl_commands.h"

// Commands that concern the running utility, reached over the session bus: "switch", "apply" and
// "status", and the imports while the utility runs (so the window and the mouse follow at once and
// the stores are written once, by the utility). Without a running utility switch and apply work
// on the store alone and say so. Returns false for a command left to the store commands.
// Throws CtlError.
bool RunUtilityCommand(const QString& command, const QStringList& arguments, const CtlContext& context);

// The --help lines of these commands.
QString UtilityUsageText();
