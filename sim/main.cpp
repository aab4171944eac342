// tcpmodsim: serves simulated modules until Ctrl+C or SIGTERM.
#include "ModuleFile.h"
#include "SimOptions.h"
#include "Simulator.h"
#include "net.h"

#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void requestStop(int)
{
    g_stop = 1;
}

std::string printable(const std::string& data)
{
    std::string text;
    for (const char c : data.substr(0, 120)) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte >= 0x20 && byte != 0x7F
                    ? std::string(1, c)
                    : "\\x" + std::string(1, "0123456789ABCDEF"[byte >> 4]) + "0123456789ABCDEF"[byte & 15];
    }
    return data.size() > 120 ? text + "... (" + std::to_string(data.size()) + " bytes)" : text;
}

} // namespace

int main(int argc, char** argv)
{
    sim::SimOptions options;
    try {
        options = sim::parseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const sim::ModuleFileError& error) {
        std::cerr << "tcpmodsim: " << error.what() << std::endl;
        return 2;
    }
    if (options.help) {
        std::cout << sim::simUsage();
        return 0;
    }

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    try {
        sim::Simulator simulator(options.modules);
        std::cout << "tcpmodsim: serving " << options.modules.size() << " modules\n"
                  << sim::describeModules(options.modules) << std::flush;
        std::uint64_t printed = 0;
        while (g_stop == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!options.verbose)
                continue;
            // The log keeps the latest events only: what fell off its front is not printed.
            for (const auto& event : simulator.eventsAfter(printed, printed)) {
                std::cout << event.moduleMac << " <- " << event.fromIp << ":" << event.fromPort
                          << (event.broadcast ? " (broadcast) " : " ") << printable(event.data) << '\n';
            }
            std::cout << std::flush;
        }
    } catch (const SocketError& error) {
        std::string text = error.what();
        for (auto& c : text) {
            if (c == '\r' || c == '\n')
                c = ' ';
        }
        std::cerr << "tcpmodsim: cannot serve the modules: " << text
                  << " (is every address owned by this host? run inside scripts/netns)" << std::endl;
        return 1;
    }
    std::cout << "tcpmodsim: stopped" << std::endl;
    return 0;
}
