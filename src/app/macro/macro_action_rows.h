#pragma once

#include <QString>
#include <cstdint>

class MacroActionBuffer;
class QWidget;

// The rows of the action list, built from "keylistitem.xml": the key or mouse button with its
// picture, press or release with its arrow, and the delay.
namespace ActionRow {

inline constexpr int kHeight = 30;
inline constexpr char kSkinFile[] = "keylistitem.xml";

// Pictures as the skin names them: the resource and where it goes in the control.
inline const QString kKeyboardImage = QStringLiteral("res='skins/keyboard_key_action.png' dest='5,6,35,24'");
inline const QString kMouseImage = QStringLiteral("res='skins/mouse.png' dest='2,2,28,28'");
// After a move the mouse picture is drawn taller.
inline const QString kMovedMouseImage = QStringLiteral("res='skins/mouse.png' dest='10,4,32,36'");
inline const QString kPressImage = QStringLiteral("res='skins/macro_key_down.png' dest='5,6,21,24'");
inline const QString kReleaseImage = QStringLiteral("res='skins/macro_key_up.png' dest='5,6,21,24'");

// Makes the picture-carrying label known to skins (class "CImageLabelUI").
void RegisterWidgets();

// A new row from the skin, or nullptr (with the reason) when the skin cannot be built.
QWidget* Create(QString* error = nullptr);
// Writes the row's "key", "action" and "delay" from the action at index; a moved row takes the
// taller mouse picture.
void Fill(QWidget* row, const MacroActionBuffer& buffer, int index, bool moved = false);
// Only the key part, after the key of an action changed.
void FillKey(QWidget* row, std::uint8_t code, bool moved = false);

}  // namespace ActionRow

// A control's background picture in the skin's notation "res='file' dest='left,top,right,bottom'".
QString ControlBkImage(const QWidget* control);
void SetControlBkImage(QWidget* control, const QString& image);
