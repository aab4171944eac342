// Whole operations against simulated modules, measured against the waits the protocol
// mandates. Run inside the private network: scripts/bench.
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
#include <string>
#include <vector>

namespace {

struct Result
{
    std::string name;
    double floorMs;
    std::vector<double> samplesMs;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Result measure(const std::string& name, double floorMs, int runs, const std::function<void()>& operation)
{
    Result result{name, floorMs, {}};
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        operation();
        result.samplesMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return result;
}

void require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "bench: %s failed\n", what);
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (!testnet::mayRunNetworkTests(argc, argv))
        return 1;
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;

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

    results.push_back(measure("search (5 modules)", 50 + 100 + 100, runs, [&] {
        found.clear();
        RunSearch(endpoint, [&found](const TModelParm& entry) { found.push_back(entry); });
        require(found.size() == 5, "search");
    }));

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

    std::printf("| operation | mandated waits (ms) | median (ms) | min | max | median / waits |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    for (const Result& r : results) {
        const auto [low, high] = std::minmax_element(r.samplesMs.begin(), r.samplesMs.end());
        const double mid = median(r.samplesMs);
        if (r.floorMs > 0)
            std::printf("| %s | %.0f | %.1f | %.1f | %.1f | %.3f |\n", r.name.c_str(), r.floorMs, mid, *low,
                        *high, mid / r.floorMs);
        else
            std::printf("| %s | 0 | %.1f | %.1f | %.1f | - |\n", r.name.c_str(), mid, *low, *high);
    }
    std::printf("\n%d runs each.\n", runs);
    return 0;
}
