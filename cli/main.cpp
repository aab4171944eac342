// tcpmodctl: the command-line tool.
#include "CtlApp.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    try {
        return runCtl(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    } catch (const std::exception& error) {
        // Whatever the subcommands do not turn into a message of their own.
        std::cerr << "tcpmodctl: " << error.what() << '\n';
        return 1;
    }
}
