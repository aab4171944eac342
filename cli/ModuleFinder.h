#pragma once
// Finding modules: one search as the window runs it, and a module named on the command line.

#include "SwTcpFunc.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SearchOutcome
{
    std::vector<TModelParm> modules; // in the order found, both phases
    // Replies the OS dropped (its receive buffer was full); empty where it is not counted.
    std::optional<std::uint64_t> droppedByOs;
    // The socket error that ended a phase early (an oversize reply, a failed send); the
    // modules found are listed all the same.
    std::string error;
};

// One search, as the window runs it, with the rows that share an address marked
// (MarkSharedIps): the probe leaves by every card of the PC. interfaceAddress, when not
// empty, is a local address: the probe leaves only by the card that owns it.
SearchOutcome searchModules(const std::string& interfaceAddress);

// What a user should know about a search beyond its modules, one line each: the error and
// the replies the OS dropped.
std::vector<std::string> searchWarnings(const SearchOutcome& outcome);

// Which road a module is wanted by, when the search lists it on both.
enum class KindChoice : std::uint8_t
{
    Any,
    Commands,
    Library,
};

struct Lookup
{
    std::vector<TModelParm> matches; // one: found; none: not found; more: ambiguous
};

// The modules whose IP or MAC (ASCII case and ":" or "-" alike) is id, of the chosen kind;
// the same module listed twice by one phase counts once.
Lookup lookUpModule(const std::vector<TModelParm>& modules, std::string_view id, KindChoice kind);

// "cmd 10.77.0.11 00-1A-2B-00-00-11", "lib 10.77.0.21 00-4D-58-00-00-41 tag 200",
// "cmd 10.77.0.50 00-1A-2B-3C-00-AA (shared IP)".
std::string describeModule(const TModelParm& entry);
