#pragma once
// The subcommands of tcpmodctl, behind the argument parser. Each gives the exit status.

#include "ModuleFinder.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace exitcode {
constexpr int kOk = 0;
constexpr int kFailed = 1; // a module refused, stayed silent or was not found
constexpr int kUsage = 2;  // usage errors and bad input
} // namespace exitcode

struct CtlContext
{
    std::ostream& out;
    std::ostream& err;
    std::string interfaceAddress; // --interface, empty for the default
    bool verifyWrites = true;     // off with --no-verify
};

struct ApplyOptions
{
    std::string path;
    std::vector<std::string> modules;
    std::vector<std::string> fields; // empty: all of the file's
    bool withIp = false;
    bool dryRun = false;
};

int searchCommand(CtlContext& ctx, bool json);
int readCommand(CtlContext& ctx, const std::string& module, KindChoice kind, bool json);
int setCommand(CtlContext& ctx, const std::string& module, KindChoice kind,
               const std::vector<std::string>& assignments);
int exportCommand(CtlContext& ctx, const std::string& module, KindChoice kind, const std::string& outPath);
int applyCommand(CtlContext& ctx, const ApplyOptions& options, KindChoice kind);
// The plan's modules, found by MAC after one search, read, changed and written one after
// another (CommissionPlan.h gives the file's checks).
int commissionCommand(CtlContext& ctx, const std::string& planPath, bool dryRun);

// One line on stderr: "tcpmodctl: <text>", line breaks inside text made blanks.
void reportError(CtlContext& ctx, const std::string& text);
