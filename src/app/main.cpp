// pelgo: the window program. Everything but the entry point lives in the GUI library.
#include "gui/main/pelgo_program.h"

int main(int argc, char** argv) {
    return pelgo::gui::RunPelgo(argc, argv);
}
