// The application: runs the main window; the process ends with it.
#pragma once

// Starts the window (opening an image path given as the one argument, as a drop would) and
// returns the process's exit code when the window ends.
int RunApplication(int argc, char** argv);
