#pragma once

// Whether a Bluetooth LE mouse (vendor 0x045E, product 0x0040) is attached, asked of hidapi once
// at start. False when hidapi cannot start.
bool ProbeBleMouse();
