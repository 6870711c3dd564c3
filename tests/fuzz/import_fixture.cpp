#include "import_fixture.h"

#include <QTextStream>

#include "core/macro/macro_record.h"
#include "core/profile/button_function_table.h"
#include "core/profile/profile_record.h"
#include "core/storage/profile_store.h"
#include "core/text/name_field.h"
#include "fuzz_support.h"
#include "karvoctl_commands.h"

const ImportStores& StartingStores()
{
    static const ImportStores stores = [] {
        auto macro = CreateMacro(QStringLiteral("Burst"));
        macro->action_count = 2;
        macro->actions[0] = {4, 1, 2000};
        macro->actions[1] = {4, 2, 10};

        auto header = std::make_unique<StoreHeader>();
        *header = {};
        header->current_profile_index = 1;
        auto first = CreateProfile(QStringLiteral("Profile1"));
        auto second = CreateProfile(QStringLiteral("Work"));
        ButtonRecord& button = second->buttons[4];
        button.function = ButtonFunction::kMacro;
        button.macro_index = 0;
        WriteNameField(button.macro_name, QStringLiteral("Burst"));
        button.macro_action_count = 2;
        button.macro_actions[0] = macro->actions[0];
        button.macro_actions[1] = macro->actions[1];
        return ImportStores{ImageOf(*header) + ImageOf(*first) + ImageOf(*second), ImageOf(*macro)};
    }();
    return stores;
}

void ResetStores()
{
    const ScratchFolder& folder = Scratch();
    folder.Clear();
    WriteAll(folder.storeFile("pro.data"), StartingStores().profiles);
    WriteAll(folder.storeFile("macro.data"), StartingStores().macros);
}

bool RunCtl(const QString& command, const QStringList& arguments, QString* output)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    try {
        RunCommand(command, arguments, CtlContext{Scratch().path(), outStream, errStream});
    } catch (const CtlError& error) {
        Check(!error.message.isEmpty(), "a refusal says why");
        return false;
    }
    outStream.flush();
    if (output)
        *output = out;
    return true;
}

QByteArray ProfileStoreBytes()
{
    return ReadAll(Scratch().storeFile("pro.data"));
}

QByteArray MacroStoreBytes()
{
    return ReadAll(Scratch().storeFile("macro.data"));
}
