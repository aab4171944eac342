#pragma once
// Simulated modules of both kinds, served over real UDP from one thread of this process.
//
// Command modules answer the command protocol on UDP 65535; library modules answer the
// stand-in MivexAdv library's own protocol on kLibraryPort (mivexadv/PROTOCOL.md). Every
// module lives at an IPv4 address the host owns (10.77.0.11 and up in the private test
// network). Texts are raw bytes throughout; nothing is re-encoded.
//
// Command modules, in short (sim/README.md has the whole behaviour):
// - "X" (any arrival): reply "M" + MAC + "/" + device name, from the module's own address.
// - "L" at the module's own address opens a session ("N" when refuseOpenAtOwnAddress).
// - "W<mac>" selects the module whose MAC matches (ASCII case ignored): reply "A". Others
//   stay silent. A selected module answers broadcast commands as if sent to its address.
// - In a session: the 17 reads reply "A" + value, the 14 writes stage a value and reply
//   "A", "E" commits the staged values ("A"; a new IP moves the module after the reply and
//   ends the session), "O" ends session and selection ("A").
// - Outside a session: every command but "X", "W" and "L" is refused with "N" when sent to
//   the module's own address, and ignored when it came by broadcast to an unselected
//   module. Unknown commands are refused with "N" wherever a reply would be given.
// - "O" always ends session and selection, and replies "N" when there was no session.

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace sim {

inline constexpr std::uint16_t kCommandPort = 65535;
// UDP port of the stand-in library's protocol (search, fetch, modify).
inline constexpr std::uint16_t kLibraryPort = 41799;
// The only write password a library module accepts.
inline constexpr const char* kWritePassword = "52417";
// Size of an Oversize reply: longer than the program's 8192-byte receive buffer.
inline constexpr std::size_t kOversizeBytes = 9000;
// The event log keeps the latest datagrams only, so a long run or a flood of junk cannot
// grow it without bound: at most this many events and this many bytes of data.
inline constexpr std::size_t kEventLogLimit = 20000;
inline constexpr std::size_t kEventLogBytes = 8u << 20;
// Replies waiting for their due time (late faults); beyond this, new ones are dropped.
inline constexpr std::size_t kPendingLimit = 10000;

enum class ModuleKind
{
    Command,
    Library
};

// What happens to a reply the module would send. The module acts on the command in every
// case but Refuse (a refused command changes nothing).
enum class FaultKind
{
    None,
    Refuse,   // reply "N" (command) or a refusal message (library) instead
    Silent,   // no reply
    Late,     // the reply leaves delayMs later
    Twice,    // the reply is sent two times
    Empty,    // a zero-length datagram instead of the reply
    Oversize, // the reply padded to kOversizeBytes
    Gone,     // the module vanishes at this request: it does not act, and answers nothing
              // more until setModule brings it back
    Lost      // the request is lost on its way: the module neither acts nor answers
};

struct Fault
{
    FaultKind kind = FaultKind::None;
    int delayMs = 0; // for Late
    // The first `skip` requests of the code that reach the module are served as if there
    // were no fault (counted down as they pass): a fault at the third fetch is skip 2.
    int skip = 0;
    // After skip, only this many requests are harmed and the fault is then gone; 0: every one.
    int times = 0;
};

// Fault keys of library modules: one per message of the library's protocol.
inline constexpr const char* kSearchFault = "SEARCH";
inline constexpr const char* kFetchFault = "FETCH";
inline constexpr const char* kModifyFault = "MODIFY";

// A lossy link to one module: each datagram in and each reply out is lost with probability
// rate, drawn from a generator of the module's own seeded with seed, so a lossy run can be
// told again. A datagram lost in neither acts nor is logged.
struct Loss
{
    double rate = 0; // 0 .. 1
    std::uint32_t seed = 0;
};

struct ModuleSpec
{
    ModuleKind kind = ModuleKind::Command;
    std::string ip;  // an address the host owns, e.g. 10.77.0.11
    std::string mac; // the module's identity, e.g. "00-1A-2B-00-00-11" (any text is used verbatim)
    // Command modules: current value text by read code "GON".."GDT" (17 entries).
    // Library modules: current value text by key "NAME".."C1_DATAB" (14 entries), library codes.
    std::map<std::string, std::string> values;
    // By command code ("L", "W", "GON", "SIP", "E", "O", "X") for command modules;
    // by kSearchFault / kFetchFault / kModifyFault for library modules.
    std::map<std::string, Fault> faults;
    Loss loss;                           // both kinds
    bool refuseOpenAtOwnAddress = false; // "L" sent to the module's own address is refused
    int probeJitterMs = 0;               // probe reply delayed by a random 0..jitter ms
    // Library modules only:
    std::uint8_t tag = 0;           // LibraryTag the search reports; fetch and modify must carry it
    std::int32_t searchPort = 0;    // the integer the search reports as port
    std::string model = "MX-E210";  // the search's second text
    std::uint8_t version = 1;       // the search's second byte
    std::set<std::string> failKeys; // MX_GetDevConfigUDP fails for these keys
    bool rejectModify = false;      // MX_ModifyDevUDPbyIP returns failure
    bool failFetch = false;         // MX_GetDevInfoUDPbyIP returns failure
};

// The seventeen read codes, in the order the program sends them.
const std::vector<std::string>& readCodes();
// The fourteen write codes, in the order the program sends them.
const std::vector<std::string>& writeCodes();
// The read code a write code stages ("SON" -> "GON"); empty for anything else.
std::string readCodeOf(const std::string& writeCode);
// The fourteen library keys, "NAME" .. "C1_DATAB".
const std::vector<std::string>& libraryKeys();

// A command module with realistic defaults: static IP, port 8080, TCP server, 9600 8N1,
// gateway 10.77.0.1, mask 255.255.255.0, GFE = mac.
ModuleSpec commandModule(const std::string& ip, const std::string& mac);
// A library module with the same defaults in the library's codes (IP_MODE 1, C1_OP 1,
// C1_BAUD 5, C1_DATAB 8, C1_STOPB 1, C1_PARITY 0), searchPort 8080.
ModuleSpec libraryModule(const std::string& ip, const std::string& mac, std::uint8_t tag);

struct WireEvent // one datagram one module received
{
    std::string moduleMac;
    std::string data;
    std::string fromIp;
    std::uint16_t fromPort = 0;
    bool broadcast = false;   // arrived by broadcast (or at the wildcard socket)
    std::uint16_t toPort = 0; // kCommandPort or kLibraryPort
};

class Simulator // serves modules on its own thread until destroyed
{
public:
    // Binds every socket before it returns; raises SocketError (e.g. an address the host
    // does not own) or std::invalid_argument (two modules with one MAC). Modules may share an
    // address: a unicast to it reaches the first of them in the order given, a broadcast
    // reaches all, and "W" selects one by its MAC.
    explicit Simulator(std::vector<ModuleSpec> modules);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Accessors taking a MAC raise std::invalid_argument for a MAC no module has.
    // The log holds the latest kEventLogLimit events (and kEventLogBytes of data) at most.
    std::vector<WireEvent> events() const; // every module's, in arrival order
    // Events logged since the start, those dropped from the log's front included.
    std::uint64_t eventsLogged() const;
    // The logged events after the first `seen` of all time that the log still holds; logged
    // becomes eventsLogged() of the same moment.
    std::vector<WireEvent> eventsAfter(std::uint64_t seen, std::uint64_t& logged) const;
    std::vector<WireEvent> eventsFor(const std::string& mac) const;
    void clearEvents();
    // Waits until at least count events are logged (all modules), at most timeout.
    bool waitForEvents(std::size_t count,
                       std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) const;

    std::map<std::string, std::string> values(const std::string& mac) const; // committed values
    std::map<std::string, std::string> staged(const std::string& mac) const; // command modules
    std::string currentIp(const std::string& mac) const;
    bool inSession(const std::string& mac) const;
    bool selected(const std::string& mac) const;
    bool gone(const std::string& mac) const; // vanished by a Gone fault
    std::vector<std::string> macs() const;   // in the order given

    void setFault(const std::string& mac, const std::string& codeOrKey, Fault fault);
    // Replaces a module's spec (flags, faults, values); a new ip moves its sockets.
    // Session and selection are kept.
    void setModule(const std::string& mac, const ModuleSpec& spec);

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace sim
