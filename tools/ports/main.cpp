// kadrant-ports [--dir D] [list] | assign ComN DEVICE | forget ComN
#include "tools/ports/TPortsCommand.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunPortsCommand(args, serialports::TPortRoots{}, UserDirectory(), std::cout, std::cerr);
}
