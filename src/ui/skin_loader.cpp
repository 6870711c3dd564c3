#include "ui/skin_loader.h"

#include <QAction>
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QUiLoader>
#include <QWidget>

#include "ui/control_accessibility.h"
#include "ui/color_palette.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"

namespace {

QHash<QString, SkinWidgetFactory>& Factories()
{
    // The toolkit's own widgets are always there.
    static QHash<QString, SkinWidgetFactory> factories{
        {QLatin1String(CColorPaletteUI::kClassName),
         [](QWidget* parent, const QString& name) {
             auto* palette = new CColorPaletteUI(parent);
             palette->setObjectName(name);
             return palette;
         }},
    };
    return factories;
}

class SkinUiLoader final : public QUiLoader {
public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        const auto it = Factories().constFind(className);
        if (it != Factories().constEnd())
            return (*it)(parent, name);
        return QUiLoader::createWidget(className, parent, name);
    }
};

}  // namespace

void RegisterSkinWidget(const QString& className, SkinWidgetFactory factory)
{
    Factories().insert(className, std::move(factory));
}

QWidget* LoadSkin(const QString& fileName, QWidget* parent, QString* error)
{
    InstallControlAccessibility();
    QFile file(CResourceManager::Instance().ResourcePath() + fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read skin %1").arg(file.fileName());
        return nullptr;
    }
    // Qt's loader loads every Designer plugin it finds beside Qt as it is made, and with them
    // libraries we never use (Qt Quick and QML, for one). Every class a skin names is one of Qt's
    // own widgets or registered here, so it is made with no plugin folder to look in.
    const QStringList libraryPaths = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});
    SkinUiLoader loader;
    QCoreApplication::setLibraryPaths(libraryPaths);
    loader.setWorkingDirectory(QDir(CResourceManager::Instance().ResourcePath()));
    QWidget* root = loader.load(&file, parent);
    if (!root) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(file.fileName(), loader.errorString());
        return nullptr;
    }
    ResolveTextKeys(root);
    return root;
}

namespace {

// The language text of a key, with "%1" replaced by the argument when one is given.
QString KeyText(const QString& key, const QString& argument)
{
    const QString text = CResourceManager::Instance().GetText(key);
    // Before the language file is read a key shows as itself, with no place for the argument.
    return argument.isEmpty() || !text.contains(QLatin1String("%1")) ? text : text.arg(argument);
}

// A combo marked with "itemTextKeys" holds a language key per item; the key is kept in the item
// so that a later language change finds it again.
void ResolveComboItemKeys(QComboBox* combo)
{
    if (!combo || !combo->property(kItemTextKeysProperty).toBool())
        return;
    for (int i = 0; i < combo->count(); ++i) {
        QString itemKey = combo->itemData(i, kItemKeyRole).toString();
        if (itemKey.isEmpty()) {
            itemKey = combo->itemText(i);
            combo->setItemData(i, itemKey, kItemKeyRole);
        }
        combo->setItemText(i, CResourceManager::Instance().GetText(itemKey));
    }
}

}  // namespace

void ResolveTextKeys(QWidget* root)
{
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        const QString key = widget->property(kTextKeyProperty).toString();
        if (!key.isEmpty())
            SetControlTextKey(widget, key);
        const QString nameKey = widget->property(kAccessibleNameKeyProperty).toString();
        if (!nameKey.isEmpty())
            widget->setAccessibleName(KeyText(nameKey, widget->property(kAccessibleNameArgProperty).toString()));
        const QString tipKey = widget->property(kToolTipKeyProperty).toString();
        if (!tipKey.isEmpty())
            widget->setToolTip(KeyText(tipKey, {}));
        ResolveComboItemKeys(qobject_cast<QComboBox*>(widget));
        // A combo's drop-down list is a list of its own to assistive tools; it bears the combo's name.
        if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->view())
            combo->view()->setAccessibleName(combo->accessibleName());
        for (QAction* action : widget->actions()) {
            const QString actionKey = action->property(kTextKeyProperty).toString();
            if (!actionKey.isEmpty())
                action->setText(CResourceManager::Instance().GetText(actionKey));
        }
        const QString descriptionKey = widget->property(kAccessibleDescriptionKeyProperty).toString();
        if (!descriptionKey.isEmpty())
            widget->setAccessibleDescription(CResourceManager::Instance().GetText(descriptionKey));
    }
}

void ResolveTextKeysOfAllWindows()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        ResolveTextKeys(window);
}
