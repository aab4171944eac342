#include "Simulator.h"

#include "CommandModule.h"
#include "LibraryModule.h"
#include "MxWire.h"
#include "net.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <iostream>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>

namespace sim {

static_assert(kLibraryPort == mx::kLibraryPort, "the simulator and the library must meet on one port");

namespace {

using Clock = std::chrono::steady_clock;

// Large enough for any UDP datagram, so that an oversized request is still seen whole.
constexpr std::size_t kReceiveBufferSize = 65536;

std::uint16_t portOf(ModuleKind kind)
{
    return kind == ModuleKind::Command ? kCommandPort : kLibraryPort;
}

std::shared_ptr<UdpSocket> bindShared(const std::string& ip, std::uint16_t port)
{
    auto socket = std::make_shared<UdpSocket>();
    socket->setReuseAddress();
    socket->bind(ip, port);
    return socket;
}

// A socket at the module's address, or none when the address is not one the host owns
// (the module is then reachable by broadcast only, as a real one would be).
std::shared_ptr<UdpSocket> bindModuleSocket(const std::string& ip, std::uint16_t port)
{
    if (!isDottedQuad(ip))
        return nullptr;
    try {
        return bindShared(ip, port);
    } catch (const SocketError&) {
        return nullptr;
    }
}

struct Module
{
    std::unique_ptr<CommandModule> command;
    std::unique_ptr<LibraryModule> library;
    std::shared_ptr<UdpSocket> socket; // at boundIp, or none
    std::string boundIp;
    Loss loss;               // what lossRng was seeded for
    std::mt19937 lossRng{0}; // draws this module's lost datagrams

    const ModuleSpec& spec() const { return command ? command->spec() : library->spec(); }

    // Seeds the draws anew when the module's loss setting changed.
    void followLoss()
    {
        const Loss& wanted = spec().loss;
        if (wanted.rate != loss.rate || wanted.seed != loss.seed) {
            loss = wanted;
            lossRng.seed(loss.seed);
        }
    }

    bool lost() { return loss.rate > 0 && std::uniform_real_distribution<double>(0, 1)(lossRng) < loss.rate; }
};

struct PendingSend
{
    Clock::time_point due;
    std::uint64_t order = 0;
    std::shared_ptr<UdpSocket> via;
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    std::string data;
};

// Where a polled socket's datagrams go: one module, or every module of a port.
struct Source
{
    std::uint16_t port = 0;
    int module = -1; // -1: the wildcard socket of port; -2: an address no module holds now
};

} // namespace

class Simulator::Impl
{
public:
    explicit Impl(std::vector<ModuleSpec> specs);
    ~Impl();

    Module& module(const std::string& mac);
    // The socket another module already holds at ip and port, or none.
    std::shared_ptr<UdpSocket> sharedSocket(const std::string& ip, std::uint16_t port) const;
    void moveIfNeeded(Module& target);
    void wake();

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_eventsChanged;
    std::vector<Module> m_modules;
    std::deque<WireEvent> m_events;
    std::size_t m_eventBytes = 0;
    std::uint64_t m_eventsLogged = 0;

    void log(WireEvent event);
    void clearLog();

private:
    void run();
    Source holderOf(Source source, const UdpSocket& socket) const;
    void serve(const Source& source, const ReceivedDatagram& datagram);
    void schedule(ModuleReply reply, Module& from, const ReceivedDatagram& request);
    void sendDue();
    std::shared_ptr<UdpSocket> wildcardFor(std::uint16_t port) const;

    std::shared_ptr<UdpSocket> m_commandWildcard;
    std::shared_ptr<UdpSocket> m_libraryWildcard;
    UdpSocket m_wake;
    std::vector<PendingSend> m_pending; // in order of due time, then of scheduling
    std::uint64_t m_sendOrder = 0;
    std::mt19937 m_rng{std::random_device{}()};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

Simulator::Impl::Impl(std::vector<ModuleSpec> specs)
{
    for (auto& spec : specs) {
        if (spec.mac.empty())
            throw std::invalid_argument("a module needs a MAC address");
        if (!isDottedQuad(spec.ip))
            throw std::invalid_argument("module " + spec.mac + ": '" + spec.ip + "' is not an IPv4 address");
        for (const auto& other : m_modules) {
            if (other.spec().mac == spec.mac)
                throw std::invalid_argument("two modules with MAC " + spec.mac);
        }
        Module added;
        added.boundIp = spec.ip;
        added.socket = sharedSocket(spec.ip, portOf(spec.kind));
        if (!added.socket)
            added.socket = bindShared(spec.ip, portOf(spec.kind));
        if (spec.kind == ModuleKind::Command)
            added.command = std::make_unique<CommandModule>(std::move(spec));
        else
            added.library = std::make_unique<LibraryModule>(std::move(spec));
        added.followLoss();
        m_modules.push_back(std::move(added));
    }
    const auto hasKind = [&](ModuleKind kind) {
        return std::any_of(m_modules.begin(), m_modules.end(),
                           [kind](const Module& m) { return m.spec().kind == kind; });
    };
    if (hasKind(ModuleKind::Command))
        m_commandWildcard = bindShared("", kCommandPort);
    if (hasKind(ModuleKind::Library))
        m_libraryWildcard = bindShared("", kLibraryPort);
    m_wake.bind("127.0.0.1", 0);
    m_thread = std::thread([this] { run(); });
}

Simulator::Impl::~Impl()
{
    m_stop = true;
    wake();
    m_thread.join();
}

void Simulator::Impl::wake()
{
    try {
        m_wake.sendTo(resolveHost("127.0.0.1"), m_wake.localPort(), "w");
    } catch (const SocketError&) {
        // The loop still wakes for its next datagram or due reply.
    }
}

Module& Simulator::Impl::module(const std::string& mac)
{
    const auto it = std::find_if(m_modules.begin(), m_modules.end(),
                                 [&](const Module& m) { return m.spec().mac == mac; });
    if (it == m_modules.end())
        throw std::invalid_argument("no simulated module has MAC " + mac);
    return *it;
}

std::shared_ptr<UdpSocket> Simulator::Impl::wildcardFor(std::uint16_t port) const
{
    return port == kCommandPort ? m_commandWildcard : m_libraryWildcard;
}

std::shared_ptr<UdpSocket> Simulator::Impl::sharedSocket(const std::string& ip, std::uint16_t port) const
{
    for (const Module& other : m_modules) {
        if (other.socket && other.boundIp == ip && portOf(other.spec().kind) == port)
            return other.socket;
    }
    return nullptr;
}

void Simulator::Impl::moveIfNeeded(Module& target)
{
    const std::string& ip = target.spec().ip;
    if (ip == target.boundIp)
        return;
    const std::uint16_t port = portOf(target.spec().kind);
    target.socket.reset();
    target.socket = sharedSocket(ip, port);
    if (!target.socket)
        target.socket = bindModuleSocket(ip, port);
    target.boundIp = ip;
}

void Simulator::Impl::run()
{
    while (!m_stop) {
        std::vector<std::shared_ptr<UdpSocket>> held; // keeps every polled socket open
        std::vector<const UdpSocket*> polled{&m_wake};
        std::vector<Source> sources{Source{}};
        int timeoutMs = -1;
        {
            std::lock_guard lock(m_mutex);
            sendDue();
            const auto add = [&](const std::shared_ptr<UdpSocket>& socket, Source source) {
                if (!socket)
                    return;
                held.push_back(socket);
                polled.push_back(socket.get());
                sources.push_back(source);
            };
            add(m_commandWildcard, {kCommandPort, -1});
            add(m_libraryWildcard, {kLibraryPort, -1});
            // Modules at one address share its socket, and a unicast there reaches the first
            // of them declared, as a switch's ARP picks one of several hosts.
            for (std::size_t i = 0; i < m_modules.size(); ++i) {
                const auto& socket = m_modules[i].socket;
                if (std::find(held.begin(), held.end(), socket) == held.end())
                    add(socket, {portOf(m_modules[i].spec().kind), static_cast<int>(i)});
            }
            if (!m_pending.empty()) {
                const auto wait =
                    std::chrono::ceil<std::chrono::milliseconds>(m_pending.front().due - Clock::now());
                timeoutMs = static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0));
            }
        }
        const auto ready = UdpSocket::waitAnyReadable(polled, timeoutMs);
        std::lock_guard lock(m_mutex);
        for (const std::size_t index : ready) {
            try {
                UdpSocket& socket = *const_cast<UdpSocket*>(polled[index]);
                const ReceivedDatagram datagram = socket.receive(kReceiveBufferSize);
                if (index != 0)
                    serve(holderOf(sources[index], socket), datagram);
            } catch (const SocketError& error) {
                std::cerr << "tcpmodsim: receive failed: " << error.what() << '\n';
            }
        }
        sendDue();
    }
}

Source Simulator::Impl::holderOf(Source source, const UdpSocket& socket) const
{
    // A module may have moved while the wait ran (setModule): the address is now the first
    // module's that still holds its socket, or nobody's.
    if (source.module < 0)
        return source;
    source.module = -2;
    for (std::size_t i = 0; i < m_modules.size(); ++i) {
        if (m_modules[i].socket.get() == &socket) {
            source.module = static_cast<int>(i);
            break;
        }
    }
    return source;
}

void Simulator::Impl::serve(const Source& source, const ReceivedDatagram& datagram)
{
    for (std::size_t i = 0; i < m_modules.size(); ++i) {
        Module& target = m_modules[i];
        const bool atOwnAddress = source.module == static_cast<int>(i);
        if (!atOwnAddress && (source.module != -1 || portOf(target.spec().kind) != source.port))
            continue;
        if (target.lost())
            continue;
        log({target.spec().mac, datagram.data, datagram.peerIp, datagram.peerPort, !atOwnAddress,
             source.port});
        const ModuleReply reply =
            target.command
                ? target.command->receive(datagram.data, atOwnAddress, m_rng)
                : target.library->receive(datagram.data, atOwnAddress, datagram.peerIp, datagram.peerPort);
        schedule(reply, target, datagram);
        moveIfNeeded(target);
    }
    m_eventsChanged.notify_all();
}

void Simulator::Impl::log(WireEvent event)
{
    m_eventBytes += event.data.size();
    m_events.push_back(std::move(event));
    ++m_eventsLogged;
    while (m_events.size() > kEventLogLimit || (m_eventBytes > kEventLogBytes && m_events.size() > 1)) {
        m_eventBytes -= m_events.front().data.size();
        m_events.pop_front();
    }
}

void Simulator::Impl::clearLog()
{
    m_events.clear();
    m_eventBytes = 0;
}

void Simulator::Impl::schedule(ModuleReply reply, Module& from, const ReceivedDatagram& request)
{
    reply.datagrams.erase(std::remove_if(reply.datagrams.begin(), reply.datagrams.end(),
                                         [&](const std::string&) { return from.lost(); }),
                          reply.datagrams.end());
    if (reply.datagrams.empty())
        return;
    const std::shared_ptr<UdpSocket> via = from.socket ? from.socket : wildcardFor(portOf(from.spec().kind));
    const std::uint32_t address = resolveHost(request.peerIp);
    const auto due = Clock::now() + std::chrono::milliseconds(reply.delayMs);
    for (const auto& data : reply.datagrams) {
        if (m_pending.size() >= kPendingLimit)
            break; // a real module's queue is short too; UDP may lose a reply
        PendingSend send{due, m_sendOrder++, via, address, request.peerPort, data};
        const auto at =
            std::upper_bound(m_pending.begin(), m_pending.end(), send, [](const auto& a, const auto& b) {
                return a.due < b.due || (a.due == b.due && a.order < b.order);
            });
        m_pending.insert(at, std::move(send));
    }
    if (reply.delayMs == 0)
        sendDue();
}

void Simulator::Impl::sendDue()
{
    const auto now = Clock::now();
    while (!m_pending.empty() && m_pending.front().due <= now) {
        const PendingSend send = std::move(m_pending.front());
        m_pending.erase(m_pending.begin());
        try {
            send.via->sendTo(send.address, send.port, send.data);
        } catch (const SocketError& error) {
            std::cerr << "tcpmodsim: send failed: " << error.what() << '\n';
        }
    }
}

// ---- Simulator ----

Simulator::Simulator(std::vector<ModuleSpec> modules) : m_impl(std::make_unique<Impl>(std::move(modules))) {}

Simulator::~Simulator() = default;

std::vector<WireEvent> Simulator::events() const
{
    std::lock_guard lock(m_impl->m_mutex);
    return {m_impl->m_events.begin(), m_impl->m_events.end()};
}

std::uint64_t Simulator::eventsLogged() const
{
    std::lock_guard lock(m_impl->m_mutex);
    return m_impl->m_eventsLogged;
}

std::vector<WireEvent> Simulator::eventsAfter(std::uint64_t seen, std::uint64_t& logged) const
{
    std::lock_guard lock(m_impl->m_mutex);
    const auto& log = m_impl->m_events;
    logged = m_impl->m_eventsLogged;
    const std::uint64_t unseen = logged > seen ? logged - seen : 0;
    const auto kept = static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(unseen, log.size()));
    return {log.end() - kept, log.end()};
}

std::vector<WireEvent> Simulator::eventsFor(const std::string& mac) const
{
    std::lock_guard lock(m_impl->m_mutex);
    m_impl->module(mac);
    std::vector<WireEvent> found;
    std::copy_if(m_impl->m_events.begin(), m_impl->m_events.end(), std::back_inserter(found),
                 [&](const WireEvent& event) { return event.moduleMac == mac; });
    return found;
}

void Simulator::clearEvents()
{
    std::lock_guard lock(m_impl->m_mutex);
    m_impl->clearLog();
}

bool Simulator::waitForEvents(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_impl->m_mutex);
    return m_impl->m_eventsChanged.wait_for(lock, timeout, [&] { return m_impl->m_events.size() >= count; });
}

std::map<std::string, std::string> Simulator::values(const std::string& mac) const
{
    std::lock_guard lock(m_impl->m_mutex);
    return m_impl->module(mac).spec().values;
}

std::map<std::string, std::string> Simulator::staged(const std::string& mac) const
{
    std::lock_guard lock(m_impl->m_mutex);
    const Module& found = m_impl->module(mac);
    return found.command ? found.command->staged() : std::map<std::string, std::string>{};
}

std::string Simulator::currentIp(const std::string& mac) const
{
    std::lock_guard lock(m_impl->m_mutex);
    return m_impl->module(mac).spec().ip;
}

bool Simulator::inSession(const std::string& mac) const
{
    std::lock_guard lock(m_impl->m_mutex);
    const Module& found = m_impl->module(mac);
    return found.command && found.command->inSession();
}

bool Simulator::selected(const std::string& mac) const
{
    std::lock_guard lock(m_impl->m_mutex);
    const Module& found = m_impl->module(mac);
    return found.command && found.command->selected();
}

bool Simulator::gone(const std::string& mac) const
{
    std::lock_guard lock(m_impl->m_mutex);
    const Module& found = m_impl->module(mac);
    return found.command ? found.command->gone() : found.library->gone();
}

std::vector<std::string> Simulator::macs() const
{
    std::lock_guard lock(m_impl->m_mutex);
    std::vector<std::string> list;
    for (const auto& entry : m_impl->m_modules)
        list.push_back(entry.spec().mac);
    return list;
}

void Simulator::setFault(const std::string& mac, const std::string& codeOrKey, Fault fault)
{
    std::lock_guard lock(m_impl->m_mutex);
    Module& found = m_impl->module(mac);
    if (found.command)
        found.command->setFault(codeOrKey, fault);
    else
        found.library->setFault(codeOrKey, fault);
}

void Simulator::setModule(const std::string& mac, const ModuleSpec& spec)
{
    {
        std::lock_guard lock(m_impl->m_mutex);
        Module& found = m_impl->module(mac);
        if (spec.mac != mac || spec.kind != found.spec().kind)
            throw std::invalid_argument("setModule keeps a module's MAC and kind");
        if (found.command)
            found.command->setSpec(spec);
        else
            found.library->setSpec(spec);
        found.followLoss();
        m_impl->moveIfNeeded(found);
    }
    m_impl->wake();
}

} // namespace sim
