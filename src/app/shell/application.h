#pragma once

// Runs the utility: one instance per user, the main window and the message loop. Returns the
// process exit code: 1 when another instance already runs, 0 otherwise.
int RunApplication(int argc, char* argv[]);
