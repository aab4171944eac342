#pragma once
// tcpmodctl's command line: parses args (without the program name), runs one subcommand
// and gives the exit status (exitcode in CtlCommands.h).

#include <iosfwd>
#include <string>
#include <vector>

int runCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
