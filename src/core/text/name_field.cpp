#include "core/text/name_field.h"

#include <QList>
#include <algorithm>

QString ReadNameField(std::span<const char16_t> field)
{
    const auto end = std::find(field.begin(), field.end(), u'\0');
    return QString(reinterpret_cast<const QChar*>(field.data()), end - field.begin());
}

void WriteNameField(std::span<char16_t> field, const QString& name)
{
    if (field.empty())
        return;
    const QString fitted = FitName(name, static_cast<qsizetype>(field.size()) - 1);
    auto out = std::copy_n(reinterpret_cast<const char16_t*>(fitted.utf16()), fitted.size(), field.begin());
    std::fill(out, field.end(), u'\0');
}

bool NameFieldTerminated(std::span<const char16_t> field)
{
    return std::find(field.begin(), field.end(), u'\0') != field.end();
}

QString FitName(const QString& name, qsizetype maxUnits)
{
    if (maxUnits <= 0)
        return {};
    if (name.size() <= maxUnits)
        return name;
    qsizetype cut = maxUnits;
    if (name.at(cut - 1).isHighSurrogate())
        --cut;
    return name.left(cut);
}

QString CleanName(const QString& name)
{
    QString clean;
    clean.reserve(name.size());
    for (const uint point : name.toUcs4()) {
        if (QChar::isPrint(char32_t(point))) {
            const char32_t kept = point;
            clean.append(QString::fromUcs4(&kept, 1));
        }
    }
    return clean.trimmed();
}
