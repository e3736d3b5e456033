#include "HelpCommand.h"

#include "ConvertCommand.h"
#include "InfoCommand.h"
#include "RenderCommand.h"

#include <cstdio>

namespace {

int Usage(std::FILE* To) {
    std::fprintf(To, "usage: plotyra-cli about\n       %s       %s       %s", InfoUsage,
                 ConvertUsage, RenderUsage);
    return To == stderr ? 1 : 0;
}

} // namespace

int HelpCommand() {
    return Usage(stdout);
}

int UsageError() {
    return Usage(stderr);
}
