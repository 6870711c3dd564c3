#include "core/text/leading_number.h"

#include <algorithm>
#include <limits>

long long ParseLeadingDecimal(const QString& text)
{
    constexpr long long kSaturated = std::numeric_limits<int>::max();
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        value = std::min(kSaturated, value * 10 + (text[i].unicode() - u'0'));
    return negative ? -value : value;
}
