/* Where keys sit: the evdev key code of each physical key (an X server's key code minus 8) and
 * the virtual-key code a key at that place has on a US keyboard. Keys are reported by place, so
 * the key left of W is 0x51 whatever the layout prints on it; what it types comes from the layout.
 * For the main block (codes 1 to 88) the evdev code equals the key's set-1 scan code. */
#ifndef KARVO_KEY_POSITIONS_H
#define KARVO_KEY_POSITIONS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KarvoKeyPosition {
    uint16_t evdevCode;
    uint16_t virtualKey;
} KarvoKeyPosition;

static const KarvoKeyPosition kKarvoKeyPositions[] = {
    {1, 0x1B},   /* Esc */
    {2, 0x31},   {3, 0x32},   {4, 0x33},   {5, 0x34},   {6, 0x35},
    {7, 0x36},   {8, 0x37},   {9, 0x38},   {10, 0x39},  {11, 0x30}, /* 1 .. 0 */
    {12, 0xBD},  /* - */
    {13, 0xBB},  /* = */
    {14, 0x08},  /* Backspace */
    {15, 0x09},  /* Tab */
    {16, 0x51},  {17, 0x57},  {18, 0x45},  {19, 0x52},  {20, 0x54},
    {21, 0x59},  {22, 0x55},  {23, 0x49},  {24, 0x4F},  {25, 0x50}, /* Q W E R T Y U I O P */
    {26, 0xDB},  /* [ */
    {27, 0xDD},  /* ] */
    {28, 0x0D},  /* Enter */
    {29, 0xA2},  /* left Ctrl */
    {30, 0x41},  {31, 0x53},  {32, 0x44},  {33, 0x46},  {34, 0x47},
    {35, 0x48},  {36, 0x4A},  {37, 0x4B},  {38, 0x4C},  /* A S D F G H J K L */
    {39, 0xBA},  /* ; */
    {40, 0xDE},  /* ' */
    {41, 0xC0},  /* ` */
    {42, 0xA0},  /* left Shift */
    {43, 0xDC},  /* \ */
    {44, 0x5A},  {45, 0x58},  {46, 0x43},  {47, 0x56},  {48, 0x42},
    {49, 0x4E},  {50, 0x4D},  /* Z X C V B N M */
    {51, 0xBC},  /* , */
    {52, 0xBE},  /* . */
    {53, 0xBF},  /* / */
    {54, 0xA1},  /* right Shift */
    {55, 0x6A},  /* keypad * */
    {56, 0xA4},  /* left Alt */
    {57, 0x20},  /* Space */
    {58, 0x14},  /* Caps Lock */
    {59, 0x70},  {60, 0x71},  {61, 0x72},  {62, 0x73},  {63, 0x74},
    {64, 0x75},  {65, 0x76},  {66, 0x77},  {67, 0x78},  {68, 0x79}, /* F1 .. F10 */
    {69, 0x90},  /* Num Lock */
    {70, 0x91},  /* Scroll Lock */
    {71, 0x67},  {72, 0x68},  {73, 0x69},  /* keypad 7 8 9 */
    {74, 0x6D},  /* keypad - */
    {75, 0x64},  {76, 0x65},  {77, 0x66},  /* keypad 4 5 6 */
    {78, 0x6B},  /* keypad + */
    {79, 0x61},  {80, 0x62},  {81, 0x63},  /* keypad 1 2 3 */
    {82, 0x60},  /* keypad 0 */
    {83, 0x6E},  /* keypad . */
    {86, 0xE2},  /* the extra key beside left Shift on 102-key keyboards */
    {87, 0x7A},  {88, 0x7B}, /* F11 F12 */
    {96, 0x6C},  /* keypad Enter */
    {97, 0xA3},  /* right Ctrl */
    {98, 0x6F},  /* keypad / */
    {99, 0x2C},  /* Print Screen */
    {100, 0xA5}, /* right Alt */
    {102, 0x24}, /* Home */
    {103, 0x26}, /* Up */
    {104, 0x21}, /* Page Up */
    {105, 0x25}, /* Left */
    {106, 0x27}, /* Right */
    {107, 0x23}, /* End */
    {108, 0x28}, /* Down */
    {109, 0x22}, /* Page Down */
    {110, 0x2D}, /* Insert */
    {111, 0x2E}, /* Delete */
    {113, 0xAD}, /* Mute */
    {114, 0xAE}, /* Volume down */
    {115, 0xAF}, /* Volume up */
    {119, 0x13}, /* Pause */
    {125, 0x5B}, /* left Windows / Super */
    {126, 0x5C}, /* right Windows / Super */
    {127, 0x5D}, /* Menu */
    {163, 0xB0}, /* next track */
    {164, 0xB3}, /* play / pause */
    {165, 0xB1}, /* previous track */
    {166, 0xB2}, /* stop */
    {183, 0x7C}, {184, 0x7D}, {185, 0x7E}, {186, 0x7F}, {187, 0x80}, {188, 0x81},
    {189, 0x82}, {190, 0x83}, {191, 0x84}, {192, 0x85}, {193, 0x86}, {194, 0x87}, /* F13 .. F24 */
};

#define KARVO_KEY_POSITION_COUNT (sizeof kKarvoKeyPositions / sizeof kKarvoKeyPositions[0])

/* The virtual key of the key at an evdev code; 0 for a key without one. */
static inline uint32_t KarvoVirtualKeyFromEvdev(uint32_t evdevCode)
{
    for (uint32_t i = 0; i < KARVO_KEY_POSITION_COUNT; ++i) {
        if (kKarvoKeyPositions[i].evdevCode == evdevCode)
            return kKarvoKeyPositions[i].virtualKey;
    }
    return 0;
}

/* The evdev code of the key with a virtual key; 0 for a virtual key no key has. */
static inline uint32_t KarvoEvdevFromVirtualKey(uint32_t virtualKey)
{
    for (uint32_t i = 0; i < KARVO_KEY_POSITION_COUNT; ++i) {
        if (kKarvoKeyPositions[i].virtualKey == virtualKey)
            return kKarvoKeyPositions[i].evdevCode;
    }
    return 0;
}

/* The virtual key of the key an X server reports with a key code (evdev code + 8). */
static inline uint32_t KarvoVirtualKeyFromXKeycode(uint32_t keycode)
{
    return keycode > 8 ? KarvoVirtualKeyFromEvdev(keycode - 8) : 0;
}

#ifdef __cplusplus
}
#endif

#endif
