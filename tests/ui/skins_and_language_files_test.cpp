// The files beside the program against the code: every skin takes its look from the application's
// style sheets; every language file carries exactly the
// keys the code and the skins use; the user's locale picks the language, with the default texts
// behind every missing key.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "core/keys/builtin_keyboard_layouts.h"
#include "core/keys/key_tables.h"
#include "core/profile/button_function_table.h"
#include "core/text/language_choice.h"
#include "core/text/language_text.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace {

// Writes a file (and the folders it needs) in dir.
void Write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(dir.filePath(name)).absolutePath());
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) << name;
}

// The resource manager reads the files of a test folder until the end of the scope, then the
// program's own again, in the default language.
struct ResourcesIn {
    explicit ResourcesIn(const QTemporaryDir& dir) { resources.SetResourcePath(dir.path()); }
    ~ResourcesIn() {
        resources.SetResourcePath(previous), resources.SetLanguageCodes({});
        resources.LoadLanguage(QStringLiteral("lan.xml")), resources.LoadResource(QStringLiteral("main.xml"));
    }
    CResourceManager& resources = CResourceManager::Instance();
    const QString previous = resources.ResourcePath();
};

// One language file's keys (in order, duplicates kept) and texts, or what is wrong with it.
struct LanguageFile { QStringList keys; QHash<QString, QString> texts; QString error; };

LanguageFile Read(const QString& path) {
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
QStringList LanguageProblems(const QString& resDir, const QString& srcDir) {
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

TEST(LanguageFiles, EveryLanguageFileHasEveryUsedKeyAndNoOther) {
    const QStringList problems = LanguageProblems(QStringLiteral(KARVO_SOURCE_DIR "/res"), QStringLiteral(KARVO_SOURCE_DIR "/src"));
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
}

// LC_ALL before LC_MESSAGES before LANG; LANGUAGE lists wishes before the locale; English and the
// C locale mean the default file; strange values name no file.
TEST(LanguageChoice, TheSessionLocalePicksTheLanguage) {
    const std::pair<QStringList, QStringList> rows[] = {  // the environment as NAME=value, the codes
        {{}, {}}, {{"LANG=de_DE.UTF-8"}, {"de_DE", "de"}}, {{"LANG=fr_FR.UTF-8@euro"}, {"fr_FR", "fr"}},
        {{"LANG=de_DE.UTF-8", "LC_MESSAGES=fr_CA.UTF-8"}, {"fr_CA", "fr"}},
        {{"LC_ALL=de_AT", "LC_MESSAGES=fr_CA.UTF-8"}, {"de_AT", "de"}},
        {{"LANGUAGE=fr:de", "LANG=de_DE.UTF-8"}, {"fr", "de", "de_DE"}}, {{"LANG=C.UTF-8", "LANGUAGE=de"}, {"de"}},
        {{"LANG=C", "LANGUAGE=de"}, {}}, {{"LANGUAGE=de"}, {}}, {{"LC_ALL=C.UTF-8", "LANGUAGE=fr_CA:de"}, {"fr_CA", "fr", "de"}},
        {{"LC_ALL=POSIX", "LANG=de_DE"}, {}}, {{"LANG=en_GB.UTF-8"}, {}}, {{"LANGUAGE=en:de", "LANG=de_DE.UTF-8"}, {}},
        {{"LANG=../../etc/passwd"}, {}}, {{"LANGUAGE=de/../x:fr", "LANG=it_IT.UTF-8"}, {"fr", "it_IT", "it"}},
    };
    for (const auto& [values, codes] : rows) {
        QProcessEnvironment env;
        for (const QString& value : values)
            env.insert(value.section(u'=', 0, 0), value.section(u'=', 1));
        EXPECT_EQ(PreferredLanguageCodes(env), codes) << values.join(u' ').toStdString();
    }
}

TEST(LanguageChoice, MissingKeysFallBackToTheDefaultTextAndNoFileKeepsEnglish) {
    QTemporaryDir dir;
    for (auto [name, bytes] : {std::pair{"lan.xml", R"(<language><text key="a_text">A</text><text key="b_text">B</text></language>)"},
                               {"lan_de.xml", R"(<language><text key="a_text">Ä</text><text key="zz_text">Z</text></language>)"}})
        Write(dir, name, bytes);
    const ResourcesIn in(dir);
    CResourceManager& resources = in.resources;
    for (auto [codes, file, a, half] : {std::tuple{QStringList{"de_DE", "de"}, "lan_de.xml", "Ä", "0,5"}, {QStringList{"pt"}, "", "A", "0.5"}}) {
        resources.SetLanguageCodes(codes);
        EXPECT_EQ(resources.LanguageFileFor(QStringLiteral("lan.xml")), QLatin1String(file));
        ASSERT_TRUE(resources.LoadLanguage(QStringLiteral("lan.xml")));
        EXPECT_EQ(std::tuple(resources.GetText("a_text"), resources.GetText("b_text"), resources.HasText("zz_text"), LanguageDecimal(0.5, 1)),
                  std::tuple(QString::fromUtf8(a), QStringLiteral("B"), false, QLatin1String(half)));  // numbers follow the language
    }
}

// Names the code makes up at run time, which the language-file check cannot see in the sources.
TEST(Skins, EveryNameTheCodeMakesUpHasAText) {
    const auto us = UsKeyboardLayout();
    for (int code = 0; code < 256; ++code) {
        const QString key = FunctionDisplayKey(std::uint8_t(code));
        EXPECT_TRUE(key.isEmpty() || CResourceManager::Instance().HasText(key)) << key.toStdString();
        // A key without a text would show as the key itself.
        EXPECT_FALSE(UsageName(std::uint8_t(code), *us).startsWith(QLatin1String("key_"))) << code;
    }
    for (const char* key : {"prate_4_text", "sleep_timer_1_text", "sleep_timer_2_text", "keyboard_win_text", "L_Button",
                            "warn_name_1_text", "warn_name_2_text", "charging_text", "add_profile_text", "add_macro_text"})
        EXPECT_TRUE(CResourceManager::Instance().HasText(QLatin1String(key))) << key;
}

// Every window takes its look from the application's style sheet: a skin with a sheet of its own
// would keep that look whatever look the user chose. The top widget names the sheet, which comes
// before its own; one that cannot be read leaves the look as it was. Sizes stay with the dark
// sheet, so that switching to the light one never moves or clips anything.
TEST(Skins, TheLookComesFromTheSheetsTheTopWidgetNames) {
    for (QDirIterator it(QStringLiteral(KARVO_SOURCE_DIR "/res"), {QStringLiteral("*.xml")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        QFile skin(it.next());
        EXPECT_TRUE(skin.open(QIODevice::ReadOnly) && !skin.readAll().contains("name=\"styleSheet\"")) << skin.fileName().toStdString();
    }
    CResourceManager& resources = CResourceManager::Instance();
    EXPECT_TRUE(resources.ResourceStyleSheet().contains(QLatin1String("QWidget[skinWindow=\"true\"]")));
    EXPECT_TRUE(resources.ResourceStyleSheet().contains(QLatin1String("QFrame#dpi_color_skin")));
    QFile light(resources.ResourcePath() + QStringLiteral("light.qss"));
    ASSERT_TRUE(light.open(QIODevice::ReadOnly));
    const QByteArray lightSheet = light.readAll();
    for (const char* sizing : {"padding", "margin", "font-size", "width", "height", "min-"})
        EXPECT_FALSE(lightSheet.contains(sizing)) << sizing;
    const QString before = resources.ResourceStyleSheet();
    ASSERT_FALSE(before.isEmpty());
    QTemporaryDir dir;
    const QByteArray top = R"(<ui><widget class="QWidget" name="top"><property name="styleSheetFile" stdset="0"><string>%1</string></property>)";
    Write(dir, "look.qss", "QLabel { color: #102030; }");
    Write(dir, "main.xml", QByteArray(top).replace("%1", "missing.qss") + "</widget></ui>");
    const ResourcesIn in(dir);
    EXPECT_FALSE(resources.LoadResource(QStringLiteral("main.xml")));
    EXPECT_EQ(std::pair(resources.ResourceStyleSheet(), qApp->styleSheet()), std::pair(before, before));
    Write(dir, "main.xml", QByteArray(top).replace("%1", "look.qss") + R"(<property name="styleSheet"><string>QPushButton { color: #405060; }</string></property>)"
                      R"(<widget class="QLabel" name="child"><property name="styleSheet"><string>x</string></property></widget></widget></ui>)");
    ASSERT_TRUE(resources.LoadResource(QStringLiteral("main.xml")));
    EXPECT_EQ(resources.ResourceStyleSheet(), QStringLiteral("QLabel { color: #102030; }\nQPushButton { color: #405060; }"));
    EXPECT_EQ(qApp->styleSheet(), resources.ResourceStyleSheet());
    QString error;  // the windows' tests load every skin of the program; one that is not there is named
    EXPECT_EQ(LoadSkin(QStringLiteral("no_such_skin.xml"), nullptr, &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
