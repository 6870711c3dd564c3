#include "app/macro/macro_action_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>

void MacroActionBuffer::LoadFrom(const MacroRecord& record)
{
    std::memcpy(actions.data(), record.actions, sizeof(record.actions));
    count = ClippedActionCount(record.action_count);
}

void MacroActionBuffer::StoreInto(MacroRecord& record) const
{
    std::memcpy(record.actions, actions.data(), sizeof(record.actions));
    record.action_count = count;
}

void MacroActionBuffer::Clear()
{
    actions.fill(MacroActionSlot{});
    count = 0;
}

bool MacroActionBuffer::InsertAction(const MacroActionSlot& slot)
{
    if (count >= MacroActionLimit)
        return false;
    const int at = insertPosition == -1 ? count : std::clamp(insertPosition, 0, count);
    for (int i = count; i > at; --i)
        actions[std::size_t(i)] = actions[std::size_t(i - 1)];
    actions[std::size_t(at)] = slot;
    ++count;
    ++selected;
    if (insertPosition != -1)
        insertPosition = at + 1;
    return true;
}

void MacroActionBuffer::Swap(int a, int b)
{
    if (!Contains(a) || !Contains(b))
        return;
    std::swap(actions[std::size_t(a)], actions[std::size_t(b)]);
}

void MacroActionBuffer::Remove(int index)
{
    if (!Contains(index))
        return;
    for (int i = index; i < count - 1; ++i)
        actions[std::size_t(i)] = actions[std::size_t(i + 1)];
    --count;
    actions[std::size_t(count)] = MacroActionSlot{};
}

std::uint16_t MacroActionBuffer::ShownDelay(int index) const
{
    if (IsLast(index) || !Contains(index))
        return kLastDelayMs;
    return actions[std::size_t(index)].delay_ms;
}

long long MacroActionBuffer::LeadingNumber(const QString& text)
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

std::uint16_t MacroActionBuffer::ParseDelay(const QString& text)
{
    return std::uint16_t(std::clamp<long long>(LeadingNumber(text), kMinDelayMs, kMaxDelayMs));
}
