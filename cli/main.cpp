// tcpmodctl: the command-line tool.
#include "CtlApp.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return runCtl(args, std::cout, std::cerr);
}
