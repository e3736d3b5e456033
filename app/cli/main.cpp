// Command-line tool for scripts and tests: the dispatch to its commands, one unit each
// (AboutCommand, HelpCommand, InfoCommand, ConvertCommand, RenderCommand,
// ProbeCommand).
#include "AboutCommand.h"
#include "ConvertCommand.h"
#include "HelpCommand.h"
#include "InfoCommand.h"
#include "ProbeCommand.h"
#include "RenderCommand.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {

int Fail(const std::string& Message) {
    std::fprintf(stderr, "plotyra-cli: %s\n", Message.c_str());
    return 1;
}

int Run(int argc, char** argv) {
    const std::string command = argv[1];
    if (command == "--help" || command == "-h")
        return HelpCommand();
    if (command == "about")
        return AboutCommand();
    if (command != "info" && command != "convert" && command != "render" && command != "probe")
        return UsageError();
    // Colours, fonts and pictures need the GUI classes, but never a display.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "render")
        return RenderCommand(args);
    if (command == "probe")
        return ProbeCommand(args);
    return command == "convert" ? ConvertCommand(args) : InfoCommand(args);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return UsageError();
    // Whatever goes wrong (memory, a library's exception) ends in a message, never an abort.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    } catch (const std::exception& e) {
        return Fail(e.what());
    } catch (...) {
        return Fail("unexpected error");
    }
}
