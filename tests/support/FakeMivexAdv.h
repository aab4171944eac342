#pragma once
// A scripted vendor library for unit tests. Linking support/FakeMivexAdv.cpp into a test
// binary provides the seven MX_ functions; while a FakeMivexAdv object exists they record
// every call with its arguments and answer from its script. A call with no fake in scope,
// or a text argument that is a null pointer, fails the running test.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class FakeMivexAdv
{
public:
    // One call: the function's name and its in-arguments as text (numbers in decimal;
    // the tag as the 32-bit value that arrived).
    struct Call
    {
        std::string function;
        std::vector<std::string> args;
        std::chrono::steady_clock::time_point at;

        bool operator==(const Call& other) const { return function == other.function && args == other.args; }
    };

    // One module that MX_GetSearchDev hands out: the three 20-byte buffers are copied
    // whole, so a test may leave out the NUL or fill them with anything.
    struct SearchResult
    {
        std::array<char, 20> ipText{};
        std::array<char, 20> secondText{};
        std::array<char, 20> macText{};
        std::uint8_t tag = 0;
        std::uint8_t secondByte = 0;
        std::int32_t port = 0;
        std::int32_t status = 1; // returned with this result; 1 means "one more module"

        // NUL-padded texts (at most 19 characters each).
        static SearchResult of(std::string_view ip, std::string_view mac, std::uint8_t tag,
                               std::int32_t port);
    };

    FakeMivexAdv();
    ~FakeMivexAdv();
    FakeMivexAdv(const FakeMivexAdv&) = delete;
    FakeMivexAdv& operator=(const FakeMivexAdv&) = delete;

    // --- Script ---
    // MX_GetDevConfigUDP for key: status 1 and the text NUL-terminated in the buffer (a text
    // of exactly 100 bytes fills it with no NUL). Keys without a value give status 0.
    void setValue(const std::string& key, const std::string& text);
    // Every key of the library road at once (the fourteen of a full configuration).
    void setValues(const std::map<std::string, std::string>& values);
    // Status of MX_GetDevConfigUDP for key, overriding the default (1 with a value, else 0).
    // The buffer is written only when the status is 1 and the key has a value.
    void setConfigStatus(const std::string& key, std::int32_t status);
    // Status of every MX_GetDevInfoUDPbyIP (default 1), and of its n-th call (0-based).
    void setDevInfoStatus(std::int32_t status);
    void setDevInfoStatusAt(int callIndex, std::int32_t status);
    void setModifyStatus(std::int32_t status); // MX_ModifyDevUDPbyIP, default 1
    // Results returned by the calls whose results the road ignores (default 1).
    void setIgnoredResults(std::int32_t status);
    // Modules handed out one per MX_GetSearchDev; MX_SearchAll starts over at the first.
    void setSearchResults(std::vector<SearchResult> results);
    // Returned once the results are used up (default 0); out-arguments untouched then.
    void setSearchEndStatus(std::int32_t status);
    // Runs after each call is recorded and before it answers; may throw to simulate a
    // library that fails inside a call.
    void setHook(std::function<void(const Call&)> hook);

    // --- Record ---
    const std::vector<Call>& calls() const { return m_calls; }
    std::vector<Call> callsTo(std::string_view function) const;
    int count(std::string_view function) const;
    std::vector<std::string> functionNames() const; // every call's name, in order
    void clearCalls();
    // The pending changes as MX_ModifyDevUDPbyIP found them: each (key, value) re-read
    // through the pointers MX_SetModifyConfigUDP was given, so a text the caller freed
    // too early shows up here (and under AddressSanitizer as a use after free).
    const std::vector<std::pair<std::string, std::string>>& pendingAtModify() const
    {
        return m_pendingAtModify;
    }

    // Entry points used by the MX_ functions.
    std::int32_t searchAll();
    std::int32_t getSearchDev(char* ipText, char* secondText, char* macText, std::uint8_t* tag,
                              std::uint8_t* secondByte, std::int32_t* port);
    std::int32_t getDevInfo(const char* ip, std::int32_t tag);
    std::int32_t getDevConfig(const char* key, char* value);
    std::int32_t resetModify();
    std::int32_t setModify(const char* key, const char* value);
    std::int32_t modifyDev(const char* ip, const char* password, std::int32_t tag);

    // The fake in scope, or nullptr.
    static FakeMivexAdv* current();

private:
    const Call& record(std::string function, std::vector<std::string> args);

    std::map<std::string, std::string> m_values;
    std::map<std::string, std::int32_t> m_configStatus;
    std::int32_t m_devInfoStatus = 1;
    std::map<int, std::int32_t> m_devInfoStatusAt;
    int m_devInfoCalls = 0;
    std::int32_t m_modifyStatus = 1;
    std::int32_t m_ignoredResults = 1;
    std::vector<SearchResult> m_searchResults;
    std::size_t m_nextSearchResult = 0;
    std::int32_t m_searchEndStatus = 0;
    std::function<void(const Call&)> m_hook;

    std::vector<Call> m_calls;
    std::vector<std::pair<const char*, const char*>> m_pending;
    std::vector<std::pair<std::string, std::string>> m_pendingAtModify;
};
