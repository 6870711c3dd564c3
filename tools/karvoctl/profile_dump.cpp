#include "profile_dump.h"

#include <QTextStream>

#include "core/text/name_field.h"
#include "core/profile/button_function_table.h"
#include "core/profile/profile_record.h"

namespace {

constexpr qint64 kDpiUnit = 40;
constexpr int kPageButtonCount = 12;  // the buttons the settings page edits

// Stored colours hold red in the low byte; people read them as #RRGGBB.
QString ColorText(std::int32_t stored)
{
    const std::uint32_t value = std::uint32_t(stored);
    const std::uint32_t rgb = (value & 0xFF) << 16 | (value & 0xFF00) | (value >> 16 & 0xFF);
    return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

QString PollingText(std::int32_t pollingRate)
{
    switch (pollingRate) {
    case 0: return QStringLiteral("125 Hz");
    case 1: return QStringLiteral("250 Hz");
    case 2: return QStringLiteral("500 Hz");
    case 3: return QStringLiteral("1000 Hz");
    default: return QStringLiteral("unknown (%1)").arg(pollingRate);
    }
}

QString ButtonText(const ButtonRecord& button)
{
    const QString menuItem = FunctionMenuItem(button.function);
    QString text = QStringLiteral("function %1 %2")
                       .arg(button.function)
                       .arg(menuItem.isEmpty() ? QStringLiteral("(no menu item)") : menuItem);
    if (button.function == ButtonFunction::kKeyCombination)
        text += QStringLiteral(" modifiers 0x%1 key 0x%2")
                    .arg(button.modifiers, 2, 16, QLatin1Char('0'))
                    .arg(button.key_code, 2, 16, QLatin1Char('0'));
    else if (button.function == ButtonFunction::kMacro)
        text += QStringLiteral(" macro \"%1\" (%2 actions)")
                    .arg(ReadNameField(button.macro_name))
                    .arg(button.macro_action_count);
    return text;
}

}  // namespace

QString DescribeProfile(const ProfileRecord& profile)
{
    QString text;
    QTextStream out(&text);
    out << "name: " << ProfileName(profile) << '\n';
    out << "dpi stages:\n";
    for (int i = 0; i < kDpiStageCount; ++i) {
        out << "  " << (i + 1) << ": " << qint64(profile.dpi_value[i]) * kDpiUnit << " DPI "
            << (profile.stage_enabled[i] == 1 ? "on " : "off ") << ColorText(profile.stage_color[i])
            << (profile.current_stage == i ? " (current)" : "") << '\n';
    }
    out << "lighting effect: " << profile.light_effect << " (Bluetooth LE: " << profile.light_effect_ble
        << ")\n";
    out << "brightness: " << profile.brightness << '\n';
    out << "speed: " << profile.breath_speed << '\n';
    out << "colour: " << ColorText(profile.light_color) << '\n';
    out << "polling rate: " << PollingText(profile.polling_rate) << '\n';
    out << "sleep timer: " << QString::number(profile.sleep_timer * 0.5, 'f', 1) << " (stored "
        << profile.sleep_timer << ")\n";
    out << "movement mode: " << profile.move_mode << '\n';
    out << "buttons:\n";
    for (int i = 0; i < kPageButtonCount; ++i)
        out << "  " << i << ": " << ButtonText(profile.buttons[i]) << '\n';
    return text;
}
