// The window program from its first line to the end of the event loop.
#pragma once

namespace pelgo::gui {

// `pelgo [--home DIR] [/R]`: one instance per user, the splash over the start sequence, the main window
// and its event loop. The installation folder is --home, else $PELGO_HOME, else the program's own folder.
int RunPelgo(int argc, char** argv);

} // namespace pelgo::gui
