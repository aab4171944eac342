#pragma once
// Simulated modules from a JSON file (sim/demo-modules.json shows every member) and from
// the short command-line forms "IP[,MAC]" and "IP[,MAC[,TAG]]".

#include "Simulator.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace sim {

// A file or flag that does not describe modules; what() is one line for the user.
class ModuleFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Modules of a JSON text: {"modules": [{"kind": "command"|"library", "ip": ..., ...}]}.
// Values and faults given in the file replace the defaults of commandModule/libraryModule.
// origin names the text in error messages.
std::vector<ModuleSpec> parseModules(const std::string& jsonText, const std::string& origin);
std::vector<ModuleSpec> loadModuleFile(const std::string& path);

// "10.77.0.11" or "10.77.0.11,00-1A-2B-00-00-11"; an empty MAC is made from the address.
ModuleSpec commandModuleFromFlag(const std::string& text);
// "10.77.0.31", "10.77.0.31,MAC" or "10.77.0.31,MAC,TAG" (TAG 0..255, default 1).
ModuleSpec libraryModuleFromFlag(const std::string& text);
// The MAC a module gets when none is given: 00-1A-2B and the address's last three bytes.
std::string macForIp(const std::string& ip);

} // namespace sim
