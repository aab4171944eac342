#pragma once
// The maker's device library: seven functions imported by name with C linkage.
// Texts are NUL-terminated 8-bit strings; an empty text is "" and never a null pointer.
// A status is 1 for success, anything else for failure. One call at a time, one thread.

#include <cstdint>

#ifdef _WIN32
// The maker's calling convention, declared here once: __stdcall, as such libraries
// usually are (the same as __cdecl on 64-bit Windows). MIVEXADV_CDECL selects __cdecl.
#ifdef MIVEXADV_CDECL
#define MX_CALL __cdecl
#else
#define MX_CALL __stdcall
#endif
// The DLL's .def file exports the seven names undecorated; callers reach them through the
// import library's stubs, so a test may also link a fake of them statically.
#define MX_API
#else
#define MX_CALL
#define MX_API __attribute__((visibility("default")))
#endif

// Sizes of the out-buffers the caller provides.
constexpr int kMxSearchTextSize = 20;
constexpr int kMxValueSize = 100;

extern "C" {

// Starts a search whose results MX_GetSearchDev hands out; result ignored.
MX_API std::int32_t MX_CALL MX_SearchAll();
// 1: one more module written into the out-arguments (three 20-byte buffers: IP text,
// a second text, MAC text; the tag byte, a second byte, the port); else no more modules.
MX_API std::int32_t MX_CALL MX_GetSearchDev(char* ipText, char* secondText, char* macText, std::uint8_t* tag,
                                            std::uint8_t* secondByte, std::int32_t* port);
// 1: the module's configuration was fetched; MX_GetDevConfigUDP answers from it.
MX_API std::int32_t MX_CALL MX_GetDevInfoUDPbyIP(const char* ip, std::int32_t tag);
// 1: the key's value was written into the 100-byte buffer as text.
MX_API std::int32_t MX_CALL MX_GetDevConfigUDP(const char* key, char* value);
// Empties the pending changes; result ignored.
MX_API std::int32_t MX_CALL MX_ResetModifyConfigUDP();
// Adds a pending change; the caller keeps both texts alive until MX_ModifyDevUDPbyIP returns.
MX_API std::int32_t MX_CALL MX_SetModifyConfigUDP(const char* key, const char* value);
// 1: the pending changes were written to the module at ip (its current address).
MX_API std::int32_t MX_CALL MX_ModifyDevUDPbyIP(const char* ip, const char* password, std::int32_t tag);
}
