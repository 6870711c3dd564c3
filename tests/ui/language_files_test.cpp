// Every language file beside the program carries exactly the keys the code and the skins use, and
// the user's locale picks the language with the default texts behind every missing key.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "core/text/language_choice.h"
#include "ui/resource_manager.h"

namespace {

// One language file's keys (in order, duplicates kept) and texts, or what is wrong with it.
struct LanguageFile {
    QStringList keys;
    QHash<QString, QString> texts;
    QString error;
};

LanguageFile Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, {}, QStringLiteral("cannot read")};
    LanguageFile result;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text")) {
            result.keys << xml.attributes().value(QLatin1String("key")).toString();
            result.texts.insert(result.keys.last(), xml.readElementText());
        }
    result.error = xml.errorString();
    return result;
}

// Everything wrong with the language files of resDir, one line each. Keys are used by the skins
// (the string of every property whose name ends in "Key": textKey, accessibleNameKey, ...) and by
// the code (literals ending in "_text"; one with a number placeholder, "prate_%1_text", is a
// family that some key must match).
QStringList LanguageProblems(const QString& resDir, const QString& srcDir)
{
    const LanguageFile defaults = Read(resDir + QStringLiteral("/lan.xml"));
    if (!defaults.error.isEmpty())
        return {QStringLiteral("lan.xml: ") + defaults.error};
    QMap<QString, QString> used;  // key or family, and a file that uses it
    const QRegularExpression skinKey(QStringLiteral(R"(<property name="\w*Key"[^>]*>\s*<string[^>]*>([^<]*)</string>)"));
    const QRegularExpression codeKey(QStringLiteral(R"re("([A-Za-z0-9_%]+_text)")re"));
    for (const auto& [dir, key, names] : {std::tuple{resDir, &skinKey, QStringList{"*.xml"}}, {srcDir, &codeKey, {"*.cpp", "*.h"}}})
        for (QDirIterator it(dir, names, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            QFile file(it.next());
            file.open(QIODevice::ReadOnly);
            for (const QRegularExpressionMatch& match : key->globalMatch(QString::fromUtf8(file.readAll())))
                used.insert(match.captured(1), QDir(dir).relativeFilePath(file.fileName()));
        }
    QStringList problems;
    for (auto it = used.constBegin(); it != used.constEnd(); ++it) {
        QString family = QRegularExpression::escape(it.key());
        family.replace(QRegularExpression(QStringLiteral(R"(\\%(\d|d))")), QStringLiteral(R"(\d+)"));
        if (family == QRegularExpression::escape(it.key()) ? !defaults.keys.contains(it.key())
                                                          : defaults.keys.filter(QRegularExpression(u'^' + family + u'$')).isEmpty())
            problems << QStringLiteral("lan.xml lacks \"%1\", used by %2").arg(it.key(), it.value());
    }
    for (const QString& name : QDir(resDir).entryList({QStringLiteral("lan*.xml")}, QDir::Files, QDir::Name)) {
        const LanguageFile file = Read(resDir + u'/' + name);
        if (!file.error.isEmpty())
            problems << name + QStringLiteral(": ") + file.error;
        if (QSet<QString>(file.keys.begin(), file.keys.end()).size() != file.keys.size())
            problems << name + QStringLiteral(": a key is given twice");
        for (const QString& key : defaults.keys)
            if (!file.keys.contains(key))
                problems << QStringLiteral("%1 lacks \"%2\"").arg(name, key);
            else if (file.texts.value(key).trimmed().isEmpty() && !defaults.texts.value(key).trimmed().isEmpty())
                problems << QStringLiteral("%1 has an empty text for \"%2\"").arg(name, key);
        for (const QString& key : file.keys)
            if (!defaults.keys.contains(key))
                problems << QStringLiteral("%1 has \"%2\", which nothing uses").arg(name, key);
    }
    return problems;
}

TEST(LanguageFiles, EveryLanguageFileHasEveryUsedKeyAndNoOther)
{
    const QStringList problems = LanguageProblems(QStringLiteral(KARVO_SOURCE_DIR "/res"), QStringLiteral(KARVO_SOURCE_DIR "/src"));
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
}

// The check itself, on a small program: lan.xml has a_text, b_text, prate_1_text; main.xml uses
// a_text, the code b_text and the family prate_%1_text. Each row adds one file; "#" in it stands
// for lan.xml's three keys.
const struct {
    const char* file;
    const char* content;
    QStringList problems;
} kChecks[] = {
    {"res/lan_de.xml", "<language>#</language>", {}},
    {"res/lan_de.xml", R"(<language><text key="a_text">Ä</text><text key="prate_1_text">1</text></language>)", {"lan_de.xml lacks \"b_text\""}},
    {"res/lan_de.xml", R"(<language>#<text key="a_text"> </text></language>)", {"lan_de.xml: a key is given twice", "lan_de.xml has an empty text for \"a_text\""}},
    {"res/lan_fr.xml", R"(<language>#<text key="old_text">x</text></language>)", {"lan_fr.xml has \"old_text\", which nothing uses"}},
    {"res/lan_de.xml", "<language>#", {"lan_de.xml: Premature end of document."}},
    {"res/dlg.xml", R"(<property name="accessibleNameKey" stdset="0"> <string>c_text</string>)", {"lan.xml lacks \"c_text\", used by dlg.xml"}},
    {"src/more.cpp", R"(auto t = QStringLiteral("d_text"); auto f = "speed_%1_text";)",
     {"lan.xml lacks \"d_text\", used by more.cpp", "lan.xml lacks \"speed_%1_text\", used by more.cpp"}},
};

TEST(LanguageFiles, TheCheckNamesEachProblem)
{
    const QByteArray keys = R"(<text key="a_text">A</text><text key="b_text">B</text><text key="prate_1_text">1</text>)";
    for (const auto& row : kChecks) {
        SCOPED_TRACE(row.content);
        QTemporaryDir dir;
        for (auto [name, bytes] : {std::pair{"res/lan.xml", QByteArray("<language>#</language>")},
                                   {"res/main.xml", R"(<property name="textKey"><string>a_text</string></property>)"},
                                   {"src/page.cpp", R"(QStringLiteral("b_text"); QStringLiteral("prate_%1_text");)"},
                                   {row.file, row.content}}) {
            QDir().mkpath(QFileInfo(dir.filePath(name)).absolutePath());
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes.replace("#", keys)) > 0);
        }
        EXPECT_EQ(LanguageProblems(dir.filePath("res"), dir.filePath("src")).join(u'\n'), row.problems.join(u'\n'));
    }
}

QProcessEnvironment Env(std::initializer_list<std::pair<const char*, const char*>> values)
{
    QProcessEnvironment env;
    for (const auto& [name, value] : values)
        env.insert(QLatin1String(name), QLatin1String(value));
    return env;
}

// LC_ALL before LC_MESSAGES before LANG; LANGUAGE lists wishes before the locale; English and the
// C locale mean the default file; strange values name no file.
TEST(LanguageChoice, TheSessionLocalePicksTheLanguage)
{
    const std::pair<QProcessEnvironment, QStringList> rows[] = {
        {Env({}), {}}, {Env({{"LANG", "de_DE.UTF-8"}}), {"de_DE", "de"}}, {Env({{"LANG", "fr_FR.UTF-8@euro"}}), {"fr_FR", "fr"}},
        {Env({{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "fr_CA.UTF-8"}}), {"fr_CA", "fr"}},
        {Env({{"LC_ALL", "de_AT"}, {"LC_MESSAGES", "fr_CA.UTF-8"}}), {"de_AT", "de"}},
        {Env({{"LANGUAGE", "fr:de"}, {"LANG", "de_DE.UTF-8"}}), {"fr", "de", "de_DE"}},
        {Env({{"LANG", "C.UTF-8"}, {"LANGUAGE", "de"}}), {}}, {Env({{"LC_ALL", "POSIX"}, {"LANG", "de_DE"}}), {}},
        {Env({{"LANG", "en_GB.UTF-8"}}), {}}, {Env({{"LANGUAGE", "en:de"}, {"LANG", "de_DE.UTF-8"}}), {}},
        {Env({{"LANG", "../../etc/passwd"}}), {}}, {Env({{"LANGUAGE", "de/../x:fr"}, {"LANG", "it_IT.UTF-8"}}), {"fr", "it_IT", "it"}},
    };
    for (const auto& [env, codes] : rows)
        EXPECT_EQ(PreferredLanguageCodes(env), codes) << env.toStringList().join(u' ').toStdString();
}

TEST(LanguageChoice, MissingKeysFallBackToTheDefaultTextAndNoFileKeepsEnglish)
{
    QTemporaryDir dir;
    for (auto [name, bytes] : {std::pair{"lan.xml", R"(<language><text key="a_text">A</text><text key="b_text">B</text></language>)"},
                               {"lan_de.xml", R"(<language><text key="a_text">Ä</text><text key="zz_text">Z</text></language>)"}}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) > 0);
    }
    CResourceManager& resources = CResourceManager::Instance();
    const QString previous = resources.ResourcePath();
    resources.SetResourcePath(dir.path());
    for (auto [codes, file, a] : {std::tuple{QStringList{"de_DE", "de"}, "lan_de.xml", "Ä"}, {QStringList{"pt"}, "", "A"}}) {
        resources.SetLanguageCodes(codes);
        EXPECT_EQ(resources.LanguageFileFor(QStringLiteral("lan.xml")), QLatin1String(file));
        ASSERT_TRUE(resources.LoadLanguage(QStringLiteral("lan.xml")));
        EXPECT_EQ(std::tuple(resources.GetText("a_text"), resources.GetText("b_text"), resources.HasText("zz_text")),
                  std::tuple(QString::fromUtf8(a), QStringLiteral("B"), false));
    }
    resources.SetResourcePath(previous);
    resources.SetLanguageCodes({});
    resources.LoadLanguage(QStringLiteral("lan.xml"));
}

}  // namespace
