// The application: runs the main window modally; the process ends with it.
#pragma once

class CMyKestruneApp {
  public:
    // Starts the window (opening an image path given as the one argument, as a drop would) and
    // returns the process's exit code when the window ends.
    int Run(int argc, char** argv);
};
