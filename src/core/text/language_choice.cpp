#include "core/text/language_choice.h"

#include <QRegularExpression>

namespace {

// "de_DE.UTF-8@euro" -> "de_DE"; anything that is not a plain language[_TERRITORY] is dropped,
// so an environment value can never name a file outside res/.
QString LocaleName(QString value)
{
    const qsizetype cut = value.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (cut >= 0)
        value.truncate(cut);
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z]{2,3}(_[A-Za-z0-9]{2,3})?$"));
    return plain.match(value).hasMatch() ? value : QString();
}

// As gettext does: only the plain C locale (which an unset locale and "POSIX" both are) keeps
// programs in English whatever LANGUAGE asks; "C.UTF-8" is a C locale with a character set, and
// LANGUAGE still picks the messages.
bool IsEnglishOnly(const QString& value)
{
    return value.isEmpty() || value == QLatin1String("C") || value == QLatin1String("POSIX");
}

}  // namespace

QStringList PreferredLanguageCodes(const QProcessEnvironment& environment)
{
    QString messageLocale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        messageLocale = environment.value(QLatin1String(name));
        if (!messageLocale.isEmpty())
            break;
    }
    if (IsEnglishOnly(messageLocale))
        return {};

    QStringList wanted = environment.value(QStringLiteral("LANGUAGE")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    wanted << messageLocale;

    QStringList codes;
    for (const QString& entry : wanted) {
        const QString name = LocaleName(entry);
        if (name.isEmpty())
            continue;
        const QString language = name.section(QLatin1Char('_'), 0, 0).toLower();
        // English is the default language file itself: whatever follows it is not wanted.
        if (language == QLatin1String("en"))
            break;
        for (const QString& code : {name, language}) {
            if (!codes.contains(code))
                codes << code;
        }
    }
    return codes;
}
