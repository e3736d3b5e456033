#include "AboutCommand.h"

#include <cstdio>

int AboutCommand() {
    std::printf("Plotyra, a viewer for numeric data on regular grids.\n"
                "This build reads, writes and converts chart data files.\n");
    return 0;
}
