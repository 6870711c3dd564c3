#include "app/macro/macro_action_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/text/leading_number.h"

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
    return ParseLeadingDecimal(text);
}

std::uint16_t MacroActionBuffer::ParseDelay(const QString& text)
{
    return std::uint16_t(std::clamp<long long>(LeadingNumber(text), kMinDelayMs, kMaxDelayMs));
}
