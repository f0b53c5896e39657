// pelgo: the window program. Everything but the entry point lives in the GUI library.
#include <cstdio>
#include <cstdlib>

#include "core/cp1251.h"
#include "gui/main/pelgo_program.h"
#include "gui/main/top_level_errors.h"

int main(int argc, char** argv) {
    // The program reports its errors itself once its state exists; this catches what fails before.
    try {
        return pelgo::gui::RunPelgo(argc, argv);
    } catch (...) {
        std::fprintf(stderr, "pelgo: %s\n", pelgo::core::Cp1251ToUtf8(pelgo::gui::CurrentErrorText()).c_str());
        return EXIT_FAILURE;
    }
}
