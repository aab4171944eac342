// Whole operations against simulated modules, measured against the waits the protocol
// mandates. Run inside the wide private network: scripts/bench.
#include "ColdStart.h"
#include "CtlApp.h"
#include "Discovery.h"
#include "PrivateNetwork.h"
#include "Simulator.h"
#include "SwTcpFunc.h"
#include "net.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A search's fixed waits: one 50 ms receive that finds no more replies, two 100 ms pauses.
constexpr double kSearchFloorMs = 50 + 100 + 100;
constexpr int kSpreadMs = 20;

struct Result
{
    std::string name;
    double floorMs = 0; // 0: no fixed wait
    std::vector<double> samplesMs;
    std::size_t expected = 0; // rows a search should list; 0: not a search
    std::size_t fewest = 0;   // the fewest rows any run listed
    double peakRssMb = 0;     // the largest of the runs; 0: not measured
    double lastReplyMs = -1;  // searches: median time from the start to the last reply listed
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "bench: %s\n", what.c_str());
    std::exit(1);
}

// prepare, when given, runs before each run's clock starts.
Result measure(const std::string& name, double floorMs, int runs, const std::function<void()>& operation,
               const std::function<void()>& prepare = {})
{
    Result result{name, floorMs, {}};
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        const auto start = std::chrono::steady_clock::now();
        operation();
        result.samplesMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return result;
}

// Module i of the wide network (scripts/netns with TCPMOD_NETNS_WIDE=1): 10.77.1.1 ...
std::string wideModuleIp(std::size_t i)
{
    return "10.77." + std::to_string(1 + i / 250) + "." + std::to_string(1 + i % 250);
}

std::vector<sim::ModuleSpec> commandModules(std::size_t count, int spreadMs)
{
    std::vector<sim::ModuleSpec> modules;
    for (std::size_t i = 0; i < count; ++i) {
        char mac[32];
        std::snprintf(mac, sizeof mac, "00-1A-2B-00-%02zX-%02zX", i / 256, i % 256);
        modules.push_back(sim::commandModule(wideModuleIp(i), mac));
        modules.back().probeJitterMs = spreadMs;
    }
    return modules;
}

// One core search of count modules whose replies come within spreadMs (0: all at once).
// bufferBytes, when given, replaces the receive buffer the endpoint asks for; queued
// replies, when given, are waiting on the endpoint before each search (no modules then).
Result searchRow(std::size_t count, int spreadMs, int runs, std::int32_t bufferBytes = 0,
                 const std::string& note = "", std::size_t queued = 0)
{
    sim::Simulator simulator(commandModules(count, spreadMs));
    UdpEndpoint endpoint;
    ConfigureDiscoveryEndpoint(endpoint);
    if (bufferBytes > 0)
        endpoint.SocketReceiveBuffer = bufferBytes;
    if (queued > 0)
        endpoint.Send(testnet::kPcIp, 9, "bind"); // gives the endpoint its port to queue replies at
    UdpSocket sender;
    const std::string how = (count == 0 ? "" : spreadMs > 0 ? ", spread over 20 ms" : ", burst") + note;
    std::size_t fewest = count + queued;
    std::vector<double> lastReplyMs;
    const auto queueReplies = [&] {
        for (std::size_t i = 0; i < queued; ++i)
            sender.sendTo(resolveHost(testnet::kPcIp), endpoint.socket()->localPort(),
                          "M00-1A-2B-00-00-11/queued");
    };
    const auto search = [&] {
        std::size_t rows = 0;
        const auto start = std::chrono::steady_clock::now();
        auto last = start;
        RunSearch(endpoint, [&](const TModelParm&) {
            ++rows;
            last = std::chrono::steady_clock::now();
        });
        fewest = std::min(fewest, rows);
        lastReplyMs.push_back(std::chrono::duration<double, std::milli>(last - start).count());
    };
    Result result =
        measure("search (" + std::to_string(count) + " modules" + how + ")", 0, runs, search, queueReplies);
    result.expected = count + queued;
    result.fewest = fewest;
    result.lastReplyMs = median(lastReplyMs);
    // A burst spreads its replies over as long as the modules take to send them; that time is
    // the burst's, as the last reply's arrival shows.
    result.floorMs = kSearchFloorMs + (spreadMs > 0 ? spreadMs : count > 0 ? result.lastReplyMs : 0);
    return result;
}

// The window program's start with count modules: process start to window shown, then one
// search by its search button.
std::vector<Result> windowRows(std::size_t count, int runs)
{
    sim::Simulator simulator(commandModules(count, kSpreadMs));
    const std::string modules = std::to_string(count) + " modules";
    Result shown{"window: start until shown (" + modules + ")", kSearchFloorMs + kSpreadMs, {}, count, count};
    Result search{"window: search button (" + modules + ")", kSearchFloorMs + kSpreadMs, {}, count, count};
    for (int i = 0; i < runs; ++i) {
        const ColdStart run = runColdStart(TCPMOD_PROGRAM);
        if (!run.problem.empty())
            fail(run.problem);
        shown.samplesMs.push_back(run.shownMs);
        search.samplesMs.push_back(run.searchMs);
        shown.fewest = std::min(shown.fewest, static_cast<std::size_t>(run.rows));
        search.fewest = std::min(search.fewest, static_cast<std::size_t>(run.rowsAgain));
        shown.peakRssMb = std::max(shown.peakRssMb, run.peakRssMb);
    }
    return {shown, search};
}

void require(bool ok, const char* what)
{
    if (!ok)
        fail(std::string(what) + " failed");
}

// Reads and writes of one module of each kind, as a user would run them.
std::vector<Result> roadRows(int runs)
{
    std::vector<sim::ModuleSpec> modules;
    for (int n = 1; n <= 3; ++n)
        modules.push_back(sim::commandModule(testnet::moduleIp(n), "00-1A-2B-00-00-1" + std::to_string(n)));
    for (int n = 4; n <= 5; ++n)
        modules.push_back(sim::libraryModule(testnet::moduleIp(n), "00-1A-2B-00-00-1" + std::to_string(n),
                                             static_cast<std::uint8_t>(n)));
    sim::Simulator simulator(modules);

    UdpEndpoint endpoint;
    ConfigureDiscoveryEndpoint(endpoint);
    std::vector<TModelParm> found;
    std::vector<Result> results;
    results.push_back(measure("search (3 + 2 library modules)", kSearchFloorMs, runs, [&] {
        found.clear();
        RunSearch(endpoint, [&found](const TModelParm& entry) { found.push_back(entry); });
        require(found.size() == 5, "search");
    }));
    results.back().expected = results.back().fewest = 5;

    const TModelParm& commandEntry = found.at(0);
    const TModelParm& libraryEntry = found.at(3);
    TModelConfig commandConfig;
    TModelConfig libraryConfig;
    results.push_back(measure("command read (19 exchanges)", 0, runs, [&] {
        commandConfig = TModelConfig{};
        require(ReadConfigByCommands(commandEntry, commandConfig), "command read");
    }));
    results.push_back(measure("command write (17 exchanges)", 500, runs, [&] {
        require(WriteConfigByCommands(commandEntry, commandConfig), "command write");
    }));
    results.push_back(measure("library read (14 keys)", 0, runs, [&] {
        libraryConfig = TModelConfig{};
        require(ReadConfigByLibrary(libraryEntry.Ip, libraryEntry.LibraryTag, libraryConfig), "library read");
    }));
    results.push_back(measure("library write", 0, runs, [&] {
        require(WriteConfigByLibrary(libraryEntry.Ip, kLibraryWritePassword, libraryEntry.LibraryTag,
                                     libraryConfig),
                "library write");
    }));
    return results;
}

// tcpmodctl set against one module on a link that loses each datagram, each way, with
// probability rate: how many succeed, and how many say written for a value the module did
// not commit (that must never happen). Each run has its own seed, the same in every bench.
void printLossRow(double rate, int runs)
{
    const std::string mac = "00-1A-2B-00-00-11";
    int succeeded = 0;
    int notCommitted = 0;
    std::vector<double> samplesMs;
    for (int i = 0; i < runs; ++i) {
        sim::ModuleSpec spec = sim::commandModule(testnet::moduleIp(1), mac);
        spec.loss = {rate, static_cast<std::uint32_t>(1000 + i)};
        sim::Simulator simulator({spec});
        const std::string baud = i % 2 == 0 ? "5" : "7"; // the module starts at 3
        std::ostringstream out;
        std::ostringstream err;
        const auto start = std::chrono::steady_clock::now();
        const int status = runCtl({"set", mac, "baud=" + baud, "parity=odd"}, out, err);
        samplesMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (status == 0) {
            ++succeeded;
            if (simulator.values(mac).at("GBR") != baud)
                ++notCommitted;
        }
    }
    const auto [low, high] = std::minmax_element(samplesMs.begin(), samplesMs.end());
    std::printf("| %.0f%% | %d/%d | %d | %.1f | %.1f | %.1f |\n", rate * 100, succeeded, runs, notCommitted,
                median(samplesMs), *low, *high);
    std::fflush(stdout);
}

// One module's search through the discovery endpoints as the window holds them, in a
// network where the PC has four cards (scripts/netns with TCPMOD_NETNS_CARDS=4): one unbound
// endpoint as before cards were searched, the first card alone, and all four. The three
// take turns in each run, so that the machine's load weighs on them alike.
std::vector<Result> cardRows(int runs)
{
    sim::Simulator simulator({sim::commandModule(testnet::moduleIp(1), "00-1A-2B-00-00-11")});
    if (broadcastInterfaces().size() != 4)
        fail("expected four cards: run with TCPMOD_NETNS_CARDS=4 scripts/netns");
    UdpEndpoint unbound;
    ConfigureDiscoveryEndpoint(unbound);
    CardEndpoints firstCard([] { return std::vector<std::string>{testnet::kPcIp}; });
    CardEndpoints everyCard;
    std::vector<Result> results{
        {"search (1 module, one unbound endpoint, as before)", kSearchFloorMs, {}, 1, 1},
        {"search (1 module, 1 card)", kSearchFloorMs, {}, 1, 1},
        {"search (1 module, 4 cards)", kSearchFloorMs, {}, 1, 1}};
    const std::vector<std::function<void(const RowSink&)>> searches{
        [&](const RowSink& sink) { RunSearch(unbound, sink); },
        [&](const RowSink& sink) { RunSearch(firstCard, sink); },
        [&](const RowSink& sink) { RunSearch(everyCard, sink); },
    };
    for (int i = 0; i < runs; ++i) {
        for (std::size_t which = 0; which < searches.size(); ++which) {
            std::size_t rows = 0;
            const auto start = std::chrono::steady_clock::now();
            searches[which]([&rows](const TModelParm&) { ++rows; });
            results[which].samplesMs.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            results[which].fewest = std::min(results[which].fewest, rows);
        }
    }
    return results;
}

void printRow(const Result& r)
{
    const auto [low, high] = std::minmax_element(r.samplesMs.begin(), r.samplesMs.end());
    const double mid = median(r.samplesMs);
    std::printf("| %s | %.0f | %.1f | %.1f | %.1f | ", r.name.c_str(), r.floorMs, mid, *low, *high);
    if (r.floorMs > 0)
        std::printf("%.3f | ", mid / r.floorMs);
    else
        std::printf("- | ");
    if (r.expected > 0)
        std::printf("%zu/%zu | ", r.fewest, r.expected);
    else
        std::printf("- | ");
    if (r.lastReplyMs >= 0)
        std::printf("%.1f | ", r.lastReplyMs);
    else
        std::printf("- | ");
    if (r.peakRssMb > 0)
        std::printf("%.1f |\n", r.peakRssMb);
    else
        std::printf("- |\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (!testnet::mayRunNetworkTests(argc, argv))
        return 1;
    const bool cards = argc > 1 && std::string(argv[1]) == "--cards";
    const int runs = argc > 1 + cards ? std::max(3, std::atoi(argv[1 + cards])) : 9;

    std::printf("| operation | floor (ms) | median (ms) | min | max | median / floor | listed (fewest) | "
                "last reply (ms) | peak RSS (MB) |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    std::fflush(stdout);
    if (cards) {
        for (const Result& r : cardRows(runs))
            printRow(r);
        std::printf("\n%d runs each, taking turns.\n", runs);
        return 0;
    }
    printRow(searchRow(0, 0, runs));
    for (const std::size_t count : {1, 10, 100, 1000}) {
        printRow(searchRow(count, kSpreadMs, runs));
        printRow(searchRow(count, 0, runs));
    }
    // What an ordinary user gets from a stock Linux (net.core.rmem_max 212992, doubled).
    printRow(searchRow(1000, 0, runs, 212992, ", stock Linux buffer"));
    // How fast the endpoint drains: 1000 replies already waiting when the search starts.
    printRow(searchRow(0, 0, runs, 0, ", 1000 replies queued", 1000));
    for (const Result& r : roadRows(runs))
        printRow(r);
    for (const std::size_t count : {10, 1000}) {
        for (const Result& r : windowRows(count, runs))
            printRow(r);
    }
    std::printf("\n%d runs each; window rows: replies spread over %d ms.\n", runs, kSpreadMs);

    constexpr int kLossRuns = 40;
    std::printf("\n| tcpmodctl set, loss each way | succeeded | said written, not committed | median (ms) | "
                "min | max |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    for (const double rate : {0.0, 0.02, 0.05})
        printLossRow(rate, kLossRuns);
    return 0;
}
