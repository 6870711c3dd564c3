#include "app/shell/title_bar.h"

#include <QWidget>

#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

void NameTitleBarButtons(CPaintManagerUI& ui)
{
    static const struct {
        const char* control;
        const char* key;
    } kNames[] = {
        {"skin_btn", "look_button_text"},
        {"main_menu_btn", "menu_button_text"},
        {"min_btn", "minimize_button_text"},
        {"exit_btn", "close_button_text"},
    };
    for (const auto& name : kNames) {
        QWidget* button = ui.FindControl(QLatin1String(name.control));
        if (button && button->accessibleName().isEmpty())
            button->setAccessibleName(CResourceManager::Instance().GetText(QLatin1String(name.key)));
    }
}
