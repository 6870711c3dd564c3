#pragma once

#include <QString>
#include <functional>

class QWidget;

// Skins are Qt Designer files read at run time. Widgets of our own (the colour palette, ...) are
// registered here by class name so that skins can use them.
using SkinWidgetFactory = std::function<QWidget*(QWidget* parent, const QString& name)>;
void RegisterSkinWidget(const QString& className, SkinWidgetFactory factory);

// Builds the widget tree of a skin file from the resource folder; nullptr when the file is
// missing or not a skin. Controls holding a language key ("textKey") show its text.
QWidget* LoadSkin(const QString& fileName, QWidget* parent, QString* error = nullptr);

// Shows the language texts of every control below root that holds a key.
void ResolveTextKeys(QWidget* root);
// The same for every top-level window, after a language file was loaded.
void ResolveTextKeysOfAllWindows();
