// The tcpmodsim program: option and file errors, --help, serving and a clean stop.
#include "PrivateNetwork.h"
#include "net.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testing::HasSubstr;
using testing::StartsWith;

namespace {

struct Outcome
{
    int status = -1;
    std::string out;
    std::string err;
};

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class Program
{
public:
    explicit Program(std::vector<std::string> arguments)
    {
        char outTemplate[] = "/tmp/tcpmodsim-out.XXXXXX";
        char errTemplate[] = "/tmp/tcpmodsim-err.XXXXXX";
        const int outFd = mkstemp(outTemplate);
        const int errFd = mkstemp(errTemplate);
        m_outPath = outTemplate;
        m_errPath = errTemplate;
        arguments.insert(arguments.begin(), TCPMODSIM_PATH);
        m_pid = fork();
        if (m_pid == 0) {
            dup2(outFd, 1);
            dup2(errFd, 2);
            std::vector<char*> argv;
            for (auto& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(outFd);
        close(errFd);
    }

    ~Program()
    {
        if (m_pid > 0 && !m_finished) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        std::remove(m_outPath.c_str());
        std::remove(m_errPath.c_str());
    }

    std::string out() const { return readFile(m_outPath); }

    void signal(int number) const { kill(m_pid, number); }

    // Waits at most a generous time; status -1 when it did not end.
    Outcome finish()
    {
        int status = 0;
        for (int i = 0; i < 500 && !m_finished; ++i) {
            if (waitpid(m_pid, &status, WNOHANG) == m_pid)
                m_finished = true;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {m_finished && WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(m_outPath),
                readFile(m_errPath)};
    }

private:
    pid_t m_pid = -1;
    bool m_finished = false;
    std::string m_outPath;
    std::string m_errPath;
};

std::string writeTemp(const std::string& text)
{
    char path[] = "/tmp/tcpmodsim-modules.XXXXXX";
    const int fd = mkstemp(path);
    const auto written = write(fd, text.data(), text.size());
    close(fd);
    EXPECT_EQ(written, static_cast<ssize_t>(text.size()));
    return path;
}

struct ErrorCase
{
    const char* name;
    std::vector<std::string> arguments;
    std::string expected;
};

TEST(TcpmodsimErrors, BadOptionsAndFilesGiveOneLineAndStatusTwo)
{
    const std::string broken = writeTemp("{\"modules\": [");
    const std::string wrongKind = writeTemp(R"({"modules": [{"kind": "router", "ip": "10.77.0.11"}]})");
    const std::string hugeNumber =
        writeTemp(R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "probeJitterMs": 1E400}]})");
    const ErrorCase cases[] = {
        {"unknown option", {"--bogus"}, "tcpmodsim: unknown option '--bogus' (see --help)"},
        {"nothing to serve", {}, "tcpmodsim: no modules given"},
        {"missing value", {"--library"}, "tcpmodsim: --library needs a value"},
        {"bad flag", {"--command", "10.77.0"}, "tcpmodsim: --command 10.77.0: expected IP[,MAC]"},
        {"missing file",
         {"--file", "/nonexistent/modules.json"},
         "tcpmodsim: /nonexistent/modules.json: cannot be read"},
        {"malformed file", {"--file", broken}, "tcpmodsim: " + broken + ": parse error"},
        {"wrong kind", {"--file", wrongKind}, "modules[0].kind: must be \"command\" or \"library\""},
        {"number too large", {"--file", hugeNumber}, "tcpmodsim: " + hugeNumber + ": number overflow"},
    };
    for (const auto& c : cases) {
        Program program(c.arguments);
        const Outcome outcome = program.finish();
        EXPECT_EQ(outcome.status, 2) << c.name;
        EXPECT_THAT(outcome.err, HasSubstr(c.expected)) << c.name;
        EXPECT_THAT(outcome.err, StartsWith("tcpmodsim: ")) << c.name;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1)
            << c.name << ": " << outcome.err;
        EXPECT_EQ(outcome.out, "") << c.name;
    }
    std::remove(broken.c_str());
    std::remove(wrongKind.c_str());
    std::remove(hugeNumber.c_str());
}

TEST(TcpmodsimErrors, AddressTheHostDoesNotOwnIsReported)
{
    Program program({"--command", "10.77.0.200"});
    const Outcome outcome = program.finish();
    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.err, HasSubstr("10049"));
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
}

TEST(TcpmodsimHelp, DescribesTheOptions)
{
    Program program({"--help"});
    const Outcome outcome = program.finish();
    EXPECT_EQ(outcome.status, 0);
    for (const char* option : {"--command IP[,MAC]", "--library IP[,MAC[,TAG]]", "--file PATH", "--verbose"})
        EXPECT_THAT(outcome.out, HasSubstr(option));
    EXPECT_EQ(outcome.err, "");
}

TEST(TcpmodsimServing, ServesTheDemoFileAndStopsOnSignal)
{
    for (const int stopSignal : {SIGTERM, SIGINT}) {
        Program program({"--file", TCPMOD_DEMO_MODULES, "--verbose"});
        std::string out;
        for (int i = 0; i < 300 && out.find("serving") == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            out = program.out();
        }
        ASSERT_THAT(out, HasSubstr("tcpmodsim: serving 6 modules"));
        EXPECT_THAT(out, HasSubstr("command  10.77.0.11  00-1A-2B-3C-00-11  UDP 65535"));
        EXPECT_THAT(out, HasSubstr("library  10.77.0.32  00-4D-58-00-00-32  UDP 41799  tag 2"));

        UdpEndpoint endpoint;
        endpoint.Send(testnet::moduleIp(2), 65535, "X");
        const auto reply = endpoint.ReceiveString(3000);
        EXPECT_EQ(reply.data, "M00-1A-2B-3C-00-12/Packing-Line-2");
        EXPECT_EQ(reply.peerIp, testnet::moduleIp(2));

        for (int i = 0; i < 300 && program.out().find("<- ") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        program.signal(stopSignal);
        const Outcome outcome = program.finish();
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_THAT(outcome.out,
                    testing::ContainsRegex("00-1A-2B-3C-00-12 <- 10\\.77\\.0\\.[0-9]+:[0-9]+ X\n"));
        EXPECT_THAT(outcome.out, HasSubstr("tcpmodsim: stopped"));
        EXPECT_EQ(outcome.err, "");
    }
}

} // namespace
