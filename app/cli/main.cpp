// Command-line tool for scripts and tests.
#include <cstdio>
#include <cstring>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: plotyra-cli about\n");
    return 1;
}

int About() {
    std::printf("Plotyra, a viewer for numeric data on regular grids.\n"
                "This build holds the foundation: number text, scales and lists.\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    if (std::strcmp(argv[1], "about") == 0)
        return About();
    return Usage();
}
