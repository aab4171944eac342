#pragma once
// The stand-in library's inner working: search, fetch and modify over its own UDP
// protocol (PROTOCOL.md). One object serves the seven exported functions; one call at a
// time, one thread. Every wait is bounded.

#include "MxWire.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class UdpSocket;

namespace mx {

// From MX_SearchAll to the end of collecting search replies.
inline constexpr std::chrono::milliseconds kSearchWindow{120};
// One wait for the reply to a fetch or a modify; the request is sent kAttempts times.
inline constexpr std::chrono::milliseconds kReplyWait{150};
inline constexpr int kAttempts = 2;

struct SearchResult
{
    std::string ip;
    std::string mac;
    std::string model;
    std::uint8_t tag = 0;
    std::uint8_t version = 0;
    std::int32_t port = 0;
};

class MxClient
{
public:
    MxClient();
    ~MxClient();
    MxClient(const MxClient&) = delete;
    MxClient& operator=(const MxClient&) = delete;

    // Broadcasts a search and returns at once; earlier results are forgotten.
    void searchAll();
    // The next module found; the first call after searchAll collects replies until the
    // search window has passed. Nothing when no search ran or all were handed out.
    std::optional<SearchResult> nextSearchResult();

    // Fetches the configuration of the module at ip (a dotted quad); false (and no
    // configuration) when it refused or did not answer.
    bool fetch(const std::string& ip, std::uint32_t tag);
    // The key's value from the last successful fetch.
    std::optional<std::string> configValue(const std::string& key) const;

    void resetChanges() { m_changes.clear(); }
    // A key given again replaces its earlier value.
    void addChange(const std::string& key, const std::string& value);
    // Sends the pending changes; true only when the module accepted them. When no answer
    // came at all, a fetch decides: true only when the module holds every change.
    bool modify(const std::string& ip, const std::string& password, std::uint32_t tag);

private:
    UdpSocket& socket();
    std::string nextNonce();
    void dropQueued();
    // Sends request to ip (by broadcast when byMac) and waits for a reply of one of the types
    // with the request's nonce; resends once when none came.
    std::optional<Message> exchange(const std::string& ip, const Message& request, MessageType accepted,
                                    bool byMac = false);
    // The MAC of the module the last search found at ip with tag, when the search found
    // more than one module at ip: a request to the address would reach any of them.
    std::optional<std::string> sharedAddressMac(const std::string& ip, std::uint32_t tag) const;
    // A fetch of the module at ip with tag: to the address, or by MAC.
    std::optional<Message> fetchConfig(const std::string& ip, std::uint32_t tag);
    bool changesApplied(const std::string& ip, std::uint32_t tag);

    std::unique_ptr<UdpSocket> m_socket; // fetches and modifies, by the routing table
    // The last search's, one per card, bound to its address; kept until the next search.
    std::vector<std::unique_ptr<UdpSocket>> m_searchSockets;
    std::uint32_t m_nonce;

    bool m_collecting = false;
    std::chrono::steady_clock::time_point m_searchStarted;
    std::string m_searchNonce;
    std::vector<SearchResult> m_found;
    std::size_t m_handedOut = 0;

    std::optional<std::map<std::string, std::string>> m_config;
    std::vector<std::pair<std::string, std::string>> m_changes;
};

// Copies text into a buffer of size bytes, cut to size - 1 bytes, NUL-terminated.
void copyText(const std::string& text, char* buffer, std::size_t size);

} // namespace mx
