#include "ui/resource_manager.h"

#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QLocale>
#include <QPixmapCache>
#include <QLoggingCategory>
#include <QXmlStreamReader>

#include "core/storage/app_folders.h"
#include "core/text/language_choice.h"
#include "core/text/language_text.h"

Q_LOGGING_CATEGORY(lcResources, "karvo.ui.resources")

CResourceManager& CResourceManager::Instance()
{
    static CResourceManager instance;
    return instance;
}

CResourceManager::CResourceManager() : m_languageCodes(PreferredLanguageCodes()) {}

QString CResourceManager::ResourcePath() const
{
    return m_resourcePath.isEmpty() ? GetAppFolder() + QStringLiteral("res/") : m_resourcePath;
}

void CResourceManager::SetResourcePath(const QString& path)
{
    m_resourcePath = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

namespace {

// The look a Designer file's first (top) widget gives: the file its "styleSheetFile" property
// names (beside the description) and its own style sheet, in that order.
struct TopWidgetLook {
    QString sheetFile;
    QString styleSheet;
};

QString StringProperty(QXmlStreamReader& xml)
{
    if (xml.readNextStartElement() && xml.name() == QLatin1String("string"))
        return xml.readElementText();
    return {};
}

TopWidgetLook ReadTopWidgetLook(QXmlStreamReader& xml)
{
    TopWidgetLook look;
    bool inTopWidget = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("widget"))
            return look;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("widget")) {
            if (inTopWidget)
                xml.skipCurrentElement();  // child widgets have style sheets of their own
            inTopWidget = true;
        } else if (inTopWidget && xml.name() == QLatin1String("property")) {
            const auto name = xml.attributes().value(QLatin1String("name"));
            if (name == QLatin1String("styleSheet"))
                look.styleSheet = StringProperty(xml);
            else if (name == QLatin1String("styleSheetFile"))
                look.sheetFile = StringProperty(xml);
        }
    }
    return look;
}

}  // namespace

bool CResourceManager::LoadResource(const QString& fileName)
{
    QFile file(ResourcePath() + fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcResources) << "cannot read resource description" << file.fileName();
        return false;
    }
    QXmlStreamReader xml(&file);
    const TopWidgetLook look = ReadTopWidgetLook(xml);
    if (xml.hasError()) {
        qCWarning(lcResources) << file.fileName() << xml.errorString();
        return false;
    }
    QString styleSheet;
    if (!look.sheetFile.isEmpty()) {
        // A named sheet that cannot be read leaves the look as it was rather than half applied.
        QFile sheet(ResourcePath() + look.sheetFile);
        if (!sheet.open(QIODevice::ReadOnly)) {
            qCWarning(lcResources) << "cannot read style sheet" << sheet.fileName() << sheet.errorString();
            return false;
        }
        styleSheet = QString::fromUtf8(sheet.readAll());
    }
    if (!look.styleSheet.isEmpty())
        styleSheet += (styleSheet.isEmpty() ? QString() : QStringLiteral("\n")) + look.styleSheet;
    m_styleSheet = styleSheet;
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->setStyleSheet(styleSheet);
    return true;
}

namespace {

// Reads <language><text key="...">...</text></language>. False (and nothing kept) when the file
// cannot be read or is not well-formed.
bool ReadLanguageFile(const QString& path, QHash<QString, QString>& texts)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcResources) << "cannot read language file" << path;
        return false;
    }
    QHash<QString, QString> read;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text")) {
            const QString key = xml.attributes().value(QLatin1String("key")).toString();
            read.insert(key, xml.readElementText());
        }
    }
    if (xml.hasError()) {
        qCWarning(lcResources) << path << xml.errorString();
        return false;
    }
    texts = std::move(read);
    return true;
}

}  // namespace

void CResourceManager::SetLanguageCodes(const QStringList& codes)
{
    m_languageCodes = codes;
}

namespace {

QString OverlayFileName(const QString& fileName, const QString& code)
{
    const QString base = fileName.endsWith(QLatin1String(".xml")) ? fileName.chopped(4) : fileName;
    return QStringLiteral("%1_%2.xml").arg(base, code);
}

}  // namespace

QString CResourceManager::LanguageCodeFor(const QString& fileName) const
{
    for (const QString& code : m_languageCodes) {
        if (QFile::exists(ResourcePath() + OverlayFileName(fileName, code)))
            return code;
    }
    return {};
}

QString CResourceManager::LanguageFileFor(const QString& fileName) const
{
    const QString code = LanguageCodeFor(fileName);
    return code.isEmpty() ? QString() : OverlayFileName(fileName, code);
}

bool CResourceManager::LoadLanguage(const QString& fileName)
{
    QHash<QString, QString> texts;
    if (!ReadLanguageFile(ResourcePath() + fileName, texts))
        return false;
    // The user's language replaces the default texts key by key; a key it lacks keeps the default
    // text, and a key the default file does not know is not taken.
    const QString code = LanguageCodeFor(fileName);
    const QString translation = code.isEmpty() ? QString() : OverlayFileName(fileName, code);
    QHash<QString, QString> translated;
    const bool isTranslated = !translation.isEmpty() && ReadLanguageFile(ResourcePath() + translation, translated);
    // Numbers among the texts follow the texts' language.
    SetTextLocale(isTranslated ? QLocale(code) : QLocale(QLocale::English));
    if (isTranslated) {
        for (auto it = translated.constBegin(); it != translated.constEnd(); ++it) {
            if (texts.contains(it.key()))
                texts[it.key()] = it.value();
            else
                qCInfo(lcResources) << translation << "has a key the default language lacks:" << it.key();
        }
    }
    m_texts = std::move(texts);
    // The core asks for texts from any thread; it gets a copy that later loads do not touch.
    SetTextLookup([texts = m_texts](const QString& key) { return texts.value(key); });
    return true;
}

QPixmap CResourceManager::SkinPixmap(const QString& file) const
{
    const QString path = ResourcePath() + file;
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull()) {
        qCWarning(lcResources) << "cannot read picture" << path << reader.errorString();
        return pixmap;
    }
    pixmap = QPixmap::fromImage(image);
    QPixmapCache::insert(path, pixmap);
    return pixmap;
}

QString CResourceManager::GetText(const QString& key) const
{
    return m_texts.value(key, key);
}

bool CResourceManager::HasText(const QString& key) const
{
    return m_texts.contains(key);
}
