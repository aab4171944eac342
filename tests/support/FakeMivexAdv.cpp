#include "FakeMivexAdv.h"

#include "MivexAdv.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

namespace {

FakeMivexAdv* g_current = nullptr;

// Texts must never arrive as null pointers; one that does fails the test and is recorded
// as "(null)" so the call still shows in the log.
std::string textArg(const char* text, const char* function)
{
    if (text == nullptr) {
        ADD_FAILURE() << function << " was given a null text";
        return "(null)";
    }
    return text;
}

FakeMivexAdv* fakeFor(const char* function)
{
    if (g_current == nullptr)
        ADD_FAILURE() << function << " called with no FakeMivexAdv in scope";
    return g_current;
}

template <std::size_t N> std::array<char, N> paddedText(std::string_view text)
{
    std::array<char, N> buffer{};
    std::copy_n(text.begin(), std::min(text.size(), N - 1), buffer.begin());
    return buffer;
}

} // namespace

FakeMivexAdv::SearchResult FakeMivexAdv::SearchResult::of(std::string_view ip, std::string_view mac,
                                                          std::uint8_t tag, std::int32_t port)
{
    SearchResult result;
    result.ipText = paddedText<20>(ip);
    result.macText = paddedText<20>(mac);
    result.tag = tag;
    result.port = port;
    return result;
}

FakeMivexAdv::FakeMivexAdv()
{
    if (g_current != nullptr)
        ADD_FAILURE() << "two FakeMivexAdv objects in scope at once";
    g_current = this;
}

FakeMivexAdv::~FakeMivexAdv()
{
    if (g_current == this)
        g_current = nullptr;
}

FakeMivexAdv* FakeMivexAdv::current()
{
    return g_current;
}

void FakeMivexAdv::setValue(const std::string& key, const std::string& text)
{
    if (text.size() > static_cast<std::size_t>(kMxValueSize))
        ADD_FAILURE() << "a value for " << key << " longer than the 100-byte buffer";
    m_values[key] = text.substr(0, static_cast<std::size_t>(kMxValueSize));
}

void FakeMivexAdv::setValues(const std::map<std::string, std::string>& values)
{
    for (const auto& [key, text] : values)
        setValue(key, text);
}

void FakeMivexAdv::setConfigStatus(const std::string& key, std::int32_t status)
{
    m_configStatus[key] = status;
}

void FakeMivexAdv::setDevInfoStatus(std::int32_t status)
{
    m_devInfoStatus = status;
}

void FakeMivexAdv::setDevInfoStatusAt(int callIndex, std::int32_t status)
{
    m_devInfoStatusAt[callIndex] = status;
}

void FakeMivexAdv::setModifyStatus(std::int32_t status)
{
    m_modifyStatus = status;
}

void FakeMivexAdv::setIgnoredResults(std::int32_t status)
{
    m_ignoredResults = status;
}

void FakeMivexAdv::setSearchResults(std::vector<SearchResult> results)
{
    m_searchResults = std::move(results);
    m_nextSearchResult = 0;
}

void FakeMivexAdv::setSearchEndStatus(std::int32_t status)
{
    m_searchEndStatus = status;
}

void FakeMivexAdv::setHook(std::function<void(const Call&)> hook)
{
    m_hook = std::move(hook);
}

std::vector<FakeMivexAdv::Call> FakeMivexAdv::callsTo(std::string_view function) const
{
    std::vector<Call> matching;
    std::copy_if(m_calls.begin(), m_calls.end(), std::back_inserter(matching),
                 [&](const Call& call) { return call.function == function; });
    return matching;
}

int FakeMivexAdv::count(std::string_view function) const
{
    return static_cast<int>(std::count_if(m_calls.begin(), m_calls.end(),
                                          [&](const Call& call) { return call.function == function; }));
}

std::vector<std::string> FakeMivexAdv::functionNames() const
{
    std::vector<std::string> names;
    for (const Call& call : m_calls)
        names.push_back(call.function);
    return names;
}

void FakeMivexAdv::clearCalls()
{
    m_calls.clear();
    m_pendingAtModify.clear();
}

const FakeMivexAdv::Call& FakeMivexAdv::record(std::string function, std::vector<std::string> args)
{
    m_calls.push_back(Call{std::move(function), std::move(args), std::chrono::steady_clock::now()});
    if (m_hook)
        m_hook(m_calls.back());
    return m_calls.back();
}

std::int32_t FakeMivexAdv::searchAll()
{
    record("MX_SearchAll", {});
    m_nextSearchResult = 0;
    return m_ignoredResults;
}

std::int32_t FakeMivexAdv::getSearchDev(char* ipText, char* secondText, char* macText, std::uint8_t* tag,
                                        std::uint8_t* secondByte, std::int32_t* port)
{
    record("MX_GetSearchDev", {});
    if (m_nextSearchResult >= m_searchResults.size())
        return m_searchEndStatus;
    if (!ipText || !secondText || !macText || !tag || !secondByte || !port) {
        ADD_FAILURE() << "MX_GetSearchDev was given a null out-argument";
        return 0;
    }
    const SearchResult& result = m_searchResults[m_nextSearchResult++];
    std::memcpy(ipText, result.ipText.data(), result.ipText.size());
    std::memcpy(secondText, result.secondText.data(), result.secondText.size());
    std::memcpy(macText, result.macText.data(), result.macText.size());
    *tag = result.tag;
    *secondByte = result.secondByte;
    *port = result.port;
    return result.status;
}

std::int32_t FakeMivexAdv::getDevInfo(const char* ip, std::int32_t tag)
{
    record("MX_GetDevInfoUDPbyIP", {textArg(ip, "MX_GetDevInfoUDPbyIP"), std::to_string(tag)});
    const int index = m_devInfoCalls++;
    const auto scripted = m_devInfoStatusAt.find(index);
    return scripted != m_devInfoStatusAt.end() ? scripted->second : m_devInfoStatus;
}

std::int32_t FakeMivexAdv::getDevConfig(const char* key, char* value)
{
    const std::string keyText = textArg(key, "MX_GetDevConfigUDP");
    record("MX_GetDevConfigUDP", {keyText});
    const auto text = m_values.find(keyText);
    const auto scripted = m_configStatus.find(keyText);
    const std::int32_t status =
        scripted != m_configStatus.end() ? scripted->second : (text != m_values.end() ? 1 : 0);
    if (status != 1)
        return status;
    if (value == nullptr) {
        ADD_FAILURE() << "MX_GetDevConfigUDP was given a null buffer";
        return 0;
    }
    if (text == m_values.end())
        return status; // "success" with nothing written, like a careless library
    const std::string& written = text->second;
    std::memcpy(value, written.data(), written.size());
    if (written.size() < static_cast<std::size_t>(kMxValueSize))
        value[written.size()] = '\0';
    return status;
}

std::int32_t FakeMivexAdv::resetModify()
{
    record("MX_ResetModifyConfigUDP", {});
    m_pending.clear();
    return m_ignoredResults;
}

std::int32_t FakeMivexAdv::setModify(const char* key, const char* value)
{
    record("MX_SetModifyConfigUDP",
           {textArg(key, "MX_SetModifyConfigUDP"), textArg(value, "MX_SetModifyConfigUDP")});
    // Like a library that keeps the caller's pointers until the modify call.
    if (key != nullptr && value != nullptr)
        m_pending.emplace_back(key, value);
    return m_ignoredResults;
}

std::int32_t FakeMivexAdv::modifyDev(const char* ip, const char* password, std::int32_t tag)
{
    m_pendingAtModify.clear();
    for (const auto& [key, value] : m_pending)
        m_pendingAtModify.emplace_back(key, value);
    record("MX_ModifyDevUDPbyIP", {textArg(ip, "MX_ModifyDevUDPbyIP"),
                                   textArg(password, "MX_ModifyDevUDPbyIP"), std::to_string(tag)});
    m_pending.clear();
    return m_modifyStatus;
}

extern "C" {

MX_API std::int32_t MX_CALL MX_SearchAll()
{
    FakeMivexAdv* fake = fakeFor("MX_SearchAll");
    return fake ? fake->searchAll() : 0;
}

MX_API std::int32_t MX_CALL MX_GetSearchDev(char* ipText, char* secondText, char* macText, std::uint8_t* tag,
                                            std::uint8_t* secondByte, std::int32_t* port)
{
    FakeMivexAdv* fake = fakeFor("MX_GetSearchDev");
    return fake ? fake->getSearchDev(ipText, secondText, macText, tag, secondByte, port) : 0;
}

MX_API std::int32_t MX_CALL MX_GetDevInfoUDPbyIP(const char* ip, std::int32_t tag)
{
    FakeMivexAdv* fake = fakeFor("MX_GetDevInfoUDPbyIP");
    return fake ? fake->getDevInfo(ip, tag) : 0;
}

MX_API std::int32_t MX_CALL MX_GetDevConfigUDP(const char* key, char* value)
{
    FakeMivexAdv* fake = fakeFor("MX_GetDevConfigUDP");
    return fake ? fake->getDevConfig(key, value) : 0;
}

MX_API std::int32_t MX_CALL MX_ResetModifyConfigUDP()
{
    FakeMivexAdv* fake = fakeFor("MX_ResetModifyConfigUDP");
    return fake ? fake->resetModify() : 0;
}

MX_API std::int32_t MX_CALL MX_SetModifyConfigUDP(const char* key, const char* value)
{
    FakeMivexAdv* fake = fakeFor("MX_SetModifyConfigUDP");
    return fake ? fake->setModify(key, value) : 0;
}

MX_API std::int32_t MX_CALL MX_ModifyDevUDPbyIP(const char* ip, const char* password, std::int32_t tag)
{
    FakeMivexAdv* fake = fakeFor("MX_ModifyDevUDPbyIP");
    return fake ? fake->modifyDev(ip, password, tag) : 0;
}
}
