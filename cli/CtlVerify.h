#pragma once
// A write that is read back: the one way set, apply and commission write a module, so that
// a write reported done is one the module holds. The settings window does not verify.

#include "SwTcpFunc.h"

#include <chrono>
#include <string>
#include <vector>

// How long a module may take to answer again after a write (it may restart its network).
inline constexpr std::chrono::seconds kComeBackWindow{5};

struct WriteCheck
{
    enum class Result : std::uint8_t
    {
        Refused,      // the write itself failed
        Written,      // written, not read back (verify off)
        Verified,     // every written field read back as written
        Differs,      // fields read back otherwise: differing
        NotConfirmed, // the module did not answer the read-back within kComeBackWindow
    };
    Result result = Result::Refused;
    std::vector<std::string> differing; // tcpmodctl's field names
    bool writtenTwice = false;          // the first write was not committed and was done again
};

// Writes config to the module by entry's road; before is what the module held (read just
// before the write). With verify, reads it back where the write leaves it (config's IP
// address), retrying for up to kComeBackWindow while it does not answer, and compares every
// field the road writes. When none of the changed fields took (a lost "E" commits nothing),
// the whole write is done once more and checked again. Socket errors are raised.
WriteCheck writeAndVerify(const TModelParm& entry, const TModelConfig& before, const TModelConfig& config,
                          bool verify);

// "written, verified"; "written"; "written, but read back otherwise: baud, parity"; ...
std::string describeWrite(const WriteCheck& check);
// A held write as apply and commission report it: "done", "done, verified", and whether it
// was written twice.
std::string describeDone(const WriteCheck& check);
// Whether the module is known to hold the write (Verified, or Written without a check).
bool writeHeld(const WriteCheck& check);
