// The program's start-up sequence, from the configuration to the message loop.
#pragma once

// Runs the program: configuration, splash and single instance, language,
// password, main window, message loop. Returns the process exit code.
int runTessaron(int argc, char **argv);

// Step 5: the application's name "Tessaron". Window captions stay as each
// window sets them; no display name is appended to them.
void SetApplicationTitle();
