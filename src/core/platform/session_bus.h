#pragma once

// Whether the user's session bus can be reached without starting one: its address is in the
// environment, or the session's standard socket ($XDG_RUNTIME_DIR/bus) is there. Asking for the
// bus without one would have libdbus launch a private bus that no other program sees.
bool SessionBusExists();
