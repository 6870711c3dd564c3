// Every language file beside the program carries exactly the keys the code and the skins use, and
// the user's locale picks the language with the default texts behind every missing key.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "core/text/language_choice.h"
#include "ui/resource_manager.h"

// Lists print as their lines when a check fails.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '\n' << list.join(QLatin1Char('\n')).toStdString();
}
QT_END_NAMESPACE

namespace {

const QString kDefaultLanguageFile = QStringLiteral("lan.xml");

struct LanguageFile {
    QStringList keys;  // in file order, duplicates kept
    QHash<QString, QString> texts;
    QString error;
};

LanguageFile ReadLanguageKeys(const QString& path)
{
    LanguageFile result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot read");
        return result;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text")) {
            const QString key = xml.attributes().value(QLatin1String("key")).toString();
            result.keys << key;
            result.texts.insert(key, xml.readElementText());
        }
    }
    if (xml.hasError())
        result.error = xml.errorString();
    return result;
}

// Keys a skin names: the string of every property whose name ends in "Key" (textKey,
// accessibleNameKey, toolTipKey, ...), so new kinds of keyed properties are checked as they come.
QMap<QString, QString> SkinKeys(const QString& resDir, QStringList& problems)
{
    QMap<QString, QString> keys;  // key -> a skin that uses it
    QDirIterator it(resDir, {QStringLiteral("*.xml")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(resDir).relativeFilePath(path);
        if (QFileInfo(path).fileName().startsWith(QLatin1String("lan")))
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            problems << name + QStringLiteral(": cannot read");
            continue;
        }
        QXmlStreamReader xml(&file);
        bool inKeyProperty = false;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("property"))
                inKeyProperty = xml.attributes().value(QLatin1String("name")).endsWith(QLatin1String("Key"));
            else if (token == QXmlStreamReader::StartElement && inKeyProperty && xml.name() == QLatin1String("string"))
                keys.insert(xml.readElementText(), name);
            else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("property"))
                inKeyProperty = false;
        }
        if (xml.hasError())
            problems << name + QStringLiteral(": ") + xml.errorString();
    }
    return keys;
}

// Keys the code names: string literals that follow the key convention (ending in "_text"). A
// literal with a number placeholder ("prate_%1_text") is a family; some key must match it.
void CodeKeys(const QString& srcDir, QMap<QString, QString>& keys, QMap<QString, QString>& families)
{
    static const QRegularExpression literal(QStringLiteral(R"re("((?:[^"\\\n]|\\.)*)")re"));
    static const QRegularExpression keyShape(QStringLiteral("^[A-Za-z0-9_]+_text$"));
    static const QRegularExpression familyShape(QStringLiteral("^[A-Za-z0-9_]*%(?:\\d|d)[A-Za-z0-9_%]*_text$"));
    QDirIterator it(srcDir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        const QString name = QDir(srcDir).relativeFilePath(path);
        for (const QRegularExpressionMatch& match : literal.globalMatch(text)) {
            const QString value = match.captured(1);
            if (keyShape.match(value).hasMatch())
                keys.insert(value, name);
            else if (familyShape.match(value).hasMatch())
                families.insert(value, name);
        }
    }
}

QRegularExpression FamilyPattern(const QString& family)
{
    static const QRegularExpression placeholder(QStringLiteral("%(?:\\d|d)"));
    QStringList parts;
    for (const QString& part : family.split(placeholder))
        parts << QRegularExpression::escape(part);
    return QRegularExpression(QLatin1Char('^') + parts.join(QStringLiteral("\\d+")) + QLatin1Char('$'));
}

// Everything wrong with the language files of resDir against the keys used under resDir and
// srcDir, one line each; empty when every file is complete.
QStringList LanguageProblems(const QString& resDir, const QString& srcDir)
{
    QStringList problems;
    const LanguageFile defaults = ReadLanguageKeys(resDir + QLatin1Char('/') + kDefaultLanguageFile);
    if (!defaults.error.isEmpty())
        return {kDefaultLanguageFile + QStringLiteral(": ") + defaults.error};
    const QSet<QString> known(defaults.keys.begin(), defaults.keys.end());
    if (known.size() != defaults.keys.size())
        problems << kDefaultLanguageFile + QStringLiteral(": a key is given twice");

    QMap<QString, QString> used = SkinKeys(resDir, problems);
    QMap<QString, QString> families;
    CodeKeys(srcDir, used, families);
    for (auto it = used.constBegin(); it != used.constEnd(); ++it) {
        if (!known.contains(it.key()))
            problems << QStringLiteral("%1 lacks \"%2\", used by %3").arg(kDefaultLanguageFile, it.key(), it.value());
    }
    for (auto it = families.constBegin(); it != families.constEnd(); ++it) {
        const QRegularExpression pattern = FamilyPattern(it.key());
        if (std::none_of(known.begin(), known.end(), [&](const QString& key) { return pattern.match(key).hasMatch(); }))
            problems << QStringLiteral("%1 has no key of the family \"%2\", used by %3")
                            .arg(kDefaultLanguageFile, it.key(), it.value());
    }

    const QStringList translations =
        QDir(resDir).entryList({QStringLiteral("lan_*.xml")}, QDir::Files, QDir::Name);
    for (const QString& name : translations) {
        const LanguageFile translation = ReadLanguageKeys(resDir + QLatin1Char('/') + name);
        if (!translation.error.isEmpty()) {
            problems << name + QStringLiteral(": ") + translation.error;
            continue;
        }
        const QSet<QString> present(translation.keys.begin(), translation.keys.end());
        if (present.size() != translation.keys.size())
            problems << name + QStringLiteral(": a key is given twice");
        for (const QString& key : defaults.keys) {
            if (!present.contains(key))
                problems << QStringLiteral("%1 lacks \"%2\"").arg(name, key);
            else if (translation.texts.value(key).trimmed().isEmpty() && !defaults.texts.value(key).trimmed().isEmpty())
                problems << QStringLiteral("%1 has an empty text for \"%2\"").arg(name, key);
        }
        for (const QString& key : translation.keys) {
            if (!known.contains(key))
                problems << QStringLiteral("%1 has \"%2\", which nothing uses").arg(name, key);
        }
    }
    return problems;
}

const QString kSourceRes = QStringLiteral(KARVO_SOURCE_DIR "/res");
const QString kSourceSrc = QStringLiteral(KARVO_SOURCE_DIR "/src");

TEST(LanguageFiles, EveryLanguageFileHasEveryUsedKeyAndNoOther)
{
    const QStringList problems = LanguageProblems(kSourceRes, kSourceSrc);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
}

class LanguageCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(res());
        QDir().mkpath(src());
        Write(res() + "/lan.xml", "<language><text key=\"a_text\">A</text><text key=\"b_text\">B</text>"
                                  "<text key=\"prate_1_text\">1</text></language>");
        Write(res() + "/main.xml", "<ui><widget><property name=\"textKey\" stdset=\"0\"><string>a_text</string>"
                                   "</property></widget></ui>");
        Write(src() + "/page.cpp", "auto t = QStringLiteral(\"b_text\"); auto f = QStringLiteral(\"prate_%1_text\");");
    }

    QString res() const { return dir.path() + QStringLiteral("/res"); }
    QString src() const { return dir.path() + QStringLiteral("/src"); }
    static void Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
};

TEST_F(LanguageCheckTest, CompleteFilesPass)
{
    Write(res() + "/lan_de.xml", "<language><text key=\"a_text\">Ä</text><text key=\"b_text\">Ö</text>"
                                 "<text key=\"prate_1_text\">1</text></language>");
    EXPECT_EQ(LanguageProblems(res(), src()), QStringList());
}

TEST_F(LanguageCheckTest, LanguageFileWithMissingKeyFails)
{
    Write(res() + "/lan_de.xml", "<language><text key=\"a_text\">Ä</text><text key=\"prate_1_text\">1</text></language>");
    EXPECT_EQ(LanguageProblems(res(), src()), QStringList{"lan_de.xml lacks \"b_text\""});
}

TEST_F(LanguageCheckTest, LanguageFileWithUnknownKeyFails)
{
    Write(res() + "/lan_fr.xml", "<language><text key=\"a_text\">A</text><text key=\"b_text\">B</text>"
                                 "<text key=\"prate_1_text\">1</text><text key=\"old_text\">x</text></language>");
    EXPECT_EQ(LanguageProblems(res(), src()), QStringList{"lan_fr.xml has \"old_text\", which nothing uses"});
}

TEST_F(LanguageCheckTest, KeyUsedBySkinOrCodeButMissingFails)
{
    Write(res() + "/dlg.xml", "<ui><widget><property name=\"accessibleNameKey\" stdset=\"0\"><string>c_text</string>"
                              "</property></widget></ui>");
    Write(src() + "/more.cpp", "auto t = QStringLiteral(\"d_text\"); auto f = \"speed_%1_text\";");
    const QStringList problems = LanguageProblems(res(), src());
    EXPECT_EQ(problems.size(), 3) << problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(problems.filter(QStringLiteral("\"c_text\", used by dlg.xml")).size() == 1);
    EXPECT_TRUE(problems.filter(QStringLiteral("\"d_text\", used by more.cpp")).size() == 1);
    EXPECT_TRUE(problems.filter(QStringLiteral("speed_%1_text")).size() == 1);
}

TEST_F(LanguageCheckTest, BrokenLanguageFileFails)
{
    Write(res() + "/lan_de.xml", "<language><text key=\"a_text\">Ä</text>");
    EXPECT_FALSE(LanguageProblems(res(), src()).isEmpty());
}

// --- the user's locale picks the language ---

QProcessEnvironment Env(std::initializer_list<std::pair<const char*, const char*>> values)
{
    QProcessEnvironment env;
    for (const auto& [name, value] : values)
        env.insert(QLatin1String(name), QLatin1String(value));
    return env;
}

TEST(LanguageChoice, FromTheSessionLocale)
{
    EXPECT_EQ(PreferredLanguageCodes(Env({})), QStringList());
    EXPECT_EQ(PreferredLanguageCodes(Env({{"LANG", "de_DE.UTF-8"}})), (QStringList{"de_DE", "de"}));
    EXPECT_EQ(PreferredLanguageCodes(Env({{"LANG", "fr_FR.UTF-8@euro"}})), (QStringList{"fr_FR", "fr"}));
    // LC_ALL before LC_MESSAGES before LANG.
    EXPECT_EQ(PreferredLanguageCodes(Env({{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "fr_CA.UTF-8"}})),
              (QStringList{"fr_CA", "fr"}));
    EXPECT_EQ(PreferredLanguageCodes(Env({{"LC_ALL", "de_AT"}, {"LC_MESSAGES", "fr_CA.UTF-8"}})),
              (QStringList{"de_AT", "de"}));
    // LANGUAGE lists the wishes in order, the locale comes last.
    EXPECT_EQ(PreferredLanguageCodes(Env({{"LANGUAGE", "fr:de"}, {"LANG", "de_DE.UTF-8"}})),
              (QStringList{"fr", "de", "de_DE"}));
}

TEST(LanguageChoice, EnglishAndTheCLocaleMeanTheDefaultFile)
{
    EXPECT_EQ(PreferredLanguageCodes(Env({{"LANG", "C.UTF-8"}, {"LANGUAGE", "de"}})), QStringList());
    EXPECT_EQ(PreferredLanguageCodes(Env({{"LC_ALL", "POSIX"}, {"LANG", "de_DE"}})), QStringList());
    EXPECT_EQ(PreferredLanguageCodes(Env({{"LANG", "en_GB.UTF-8"}})), QStringList());
    EXPECT_EQ(PreferredLanguageCodes(Env({{"LANGUAGE", "en:de"}, {"LANG", "de_DE.UTF-8"}})), QStringList());
}

TEST(LanguageChoice, StrangeValuesNameNoFile)
{
    EXPECT_EQ(PreferredLanguageCodes(Env({{"LANG", "../../etc/passwd"}})), QStringList());
    EXPECT_EQ(PreferredLanguageCodes(Env({{"LANGUAGE", "de/../x:fr"}, {"LANG", "it_IT.UTF-8"}})),
              (QStringList{"fr", "it_IT", "it"}));
}

class LanguageOverlayTest : public LanguageCheckTest {
protected:
    void TearDown() override
    {
        CResourceManager::Instance().SetResourcePath(previousPath);
        CResourceManager::Instance().SetLanguageCodes({});
        CResourceManager::Instance().LoadLanguage(kDefaultLanguageFile);
    }
    QString previousPath = CResourceManager::Instance().ResourcePath();
};

TEST_F(LanguageOverlayTest, MissingKeysFallBackToTheDefaultText)
{
    Write(res() + "/lan_de.xml", "<language><text key=\"a_text\">Ä</text><text key=\"zz_text\">Z</text></language>");
    CResourceManager& resources = CResourceManager::Instance();
    resources.SetResourcePath(res());
    resources.SetLanguageCodes({QStringLiteral("de_DE"), QStringLiteral("de")});
    EXPECT_EQ(resources.LanguageFileFor(kDefaultLanguageFile), QStringLiteral("lan_de.xml"));
    ASSERT_TRUE(resources.LoadLanguage(kDefaultLanguageFile));
    EXPECT_EQ(resources.GetText(QStringLiteral("a_text")), QStringLiteral("Ä"));
    EXPECT_EQ(resources.GetText(QStringLiteral("b_text")), QStringLiteral("B"));
    EXPECT_FALSE(resources.HasText(QStringLiteral("zz_text")));
}

TEST_F(LanguageOverlayTest, NoFileForTheLanguageKeepsEnglish)
{
    CResourceManager& resources = CResourceManager::Instance();
    resources.SetResourcePath(res());
    resources.SetLanguageCodes({QStringLiteral("pt")});
    EXPECT_EQ(resources.LanguageFileFor(kDefaultLanguageFile), QString());
    ASSERT_TRUE(resources.LoadLanguage(kDefaultLanguageFile));
    EXPECT_EQ(resources.GetText(QStringLiteral("a_text")), QStringLiteral("A"));
}

}  // namespace
