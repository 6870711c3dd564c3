#pragma once

#include <QString>
#include <QStringList>

#include "karvoctl_commands.h"

// "rules list|add APP PROFILE [running]|remove APP|default PROFILE|none": the application rules,
// through the running utility over the session bus when it holds the same data folder (so it
// follows them at once and writes apps.json itself), else on ms_1/apps.json. Returns false for
// any other command. Throws CtlError.
bool RunRulesCommand(const QString& command, const QStringList& arguments, const CtlContext& context);

QString RulesUsageText();
