#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>
#include <QStringList>

// The toolkit's resources: the folder the skins lie in, the resource description and the language
// texts. Texts are looked up by key; a key missing from the language file shows as itself.
class CResourceManager {
public:
    static CResourceManager& Instance();

    // "res/" beside the program unless set otherwise (tests point it at their own folder).
    QString ResourcePath() const;
    void SetResourcePath(const QString& path);

    // Reads the resource description; its top widget's look becomes every window's look: the style
    // sheet file its "styleSheetFile" property names (beside the description), followed by its
    // own style sheet. False, and the look unchanged, when either cannot be read.
    bool LoadResource(const QString& fileName);
    // The style sheet the resource description gave (the window's own look).
    QString ResourceStyleSheet() const { return m_styleSheet; }
    // Reads the language file (<language><text key="...">...</text></language>), overlaid key by
    // key with the user's language ("lan_de.xml" beside "lan.xml"), and makes it the
    // core's text lookup. Windows built before it show their keys once ResolveTextKeysOfAllWindows
    // runs (the skin loader's side, which sits above this one).
    bool LoadLanguage(const QString& fileName);

    // The user's languages, most wanted first (from the session's locale unless set; tests set
    // their own). Takes effect at the next LoadLanguage.
    void SetLanguageCodes(const QStringList& codes);
    // The language file that overlays fileName for those languages, or empty for none.
    QString LanguageFileFor(const QString& fileName) const;

    // A picture of the skin folder (file relative to it). Skins ship PNG pictures only, so no other
    // format is tried and no image plugin is loaded to guess; a null pixmap when it cannot be read.
    QPixmap SkinPixmap(const QString& file) const;

    QString GetText(const QString& key) const;
    bool HasText(const QString& key) const;

private:
    CResourceManager();
    // The first of the user's languages with a file overlaying fileName, or empty for none.
    QString LanguageCodeFor(const QString& fileName) const;

    QString m_resourcePath;
    QStringList m_languageCodes;
    QString m_styleSheet;
    QHash<QString, QString> m_texts;
};
