// The seven exported functions of the stand-in MivexAdv library. Nothing is thrown across
// this boundary: any failure inside is a status other than 1.
#include "MivexAdv.h"

#include "MxClient.h"

#include <string>

namespace {

mx::MxClient& client()
{
    static mx::MxClient instance;
    return instance;
}

} // namespace

extern "C" {

MX_API std::int32_t MX_CALL MX_SearchAll()
{
    try {
        client().searchAll();
        return 1;
    } catch (...) {
        return 0;
    }
}

MX_API std::int32_t MX_CALL MX_GetSearchDev(char* ipText, char* secondText, char* macText, std::uint8_t* tag,
                                            std::uint8_t* secondByte, std::int32_t* port)
{
    try {
        if (!ipText || !secondText || !macText || !tag || !secondByte || !port)
            return 0;
        const auto found = client().nextSearchResult();
        if (!found)
            return 0;
        mx::copyText(found->ip, ipText, kMxSearchTextSize);
        mx::copyText(found->model, secondText, kMxSearchTextSize);
        mx::copyText(found->mac, macText, kMxSearchTextSize);
        *tag = found->tag;
        *secondByte = found->version;
        *port = found->port;
        return 1;
    } catch (...) {
        return 0;
    }
}

MX_API std::int32_t MX_CALL MX_GetDevInfoUDPbyIP(const char* ip, std::int32_t tag)
{
    try {
        if (!ip)
            return 0;
        return client().fetch(ip, static_cast<std::uint32_t>(tag)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

MX_API std::int32_t MX_CALL MX_GetDevConfigUDP(const char* key, char* value)
{
    try {
        if (!key || !value)
            return 0;
        const auto found = client().configValue(key);
        mx::copyText(found ? *found : std::string(), value, kMxValueSize);
        return found ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

MX_API std::int32_t MX_CALL MX_ResetModifyConfigUDP()
{
    client().resetChanges();
    return 1;
}

MX_API std::int32_t MX_CALL MX_SetModifyConfigUDP(const char* key, const char* value)
{
    try {
        if (!key || !value)
            return 0;
        client().addChange(key, value);
        return 1;
    } catch (...) {
        return 0;
    }
}

MX_API std::int32_t MX_CALL MX_ModifyDevUDPbyIP(const char* ip, const char* password, std::int32_t tag)
{
    try {
        if (!ip || !password)
            return 0;
        return client().modify(ip, password, static_cast<std::uint32_t>(tag)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
}
