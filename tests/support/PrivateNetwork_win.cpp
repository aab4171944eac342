// The private network as Windows shows it. Under Wine the adapters are the Linux
// interfaces of the namespace the wineserver runs in, which also creates the sockets; a
// Windows PC names its adapters otherwise ("Ethernet", "Loopback Pseudo-Interface 1"), so
// the check cannot pass on a real network.
#include "PrivateNetwork.h"

#include <winsock2.h> // before any other Windows header

#include <iphlpapi.h>

#include <vector>

namespace testnet {

std::set<std::string> interfaceNames()
{
    constexpr ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG rc = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && rc == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        rc = GetAdaptersAddresses(AF_UNSPEC, flags, nullptr,
                                  reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    std::set<std::string> names;
    if (rc != NO_ERROR)
        return {"(adapters unreadable: error " + std::to_string(rc) + ")"};
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
         adapter = adapter->Next) {
        std::string name;
        for (const wchar_t* c = adapter->FriendlyName; c != nullptr && *c != 0; ++c)
            name += *c < 0x80 ? static_cast<char>(*c) : '?';
        names.insert(name);
    }
    return names;
}

// The second LAN is a Linux namespace of its own, out of a Windows program's reach.
bool inSecondLan(const std::function<void()>&)
{
    return false;
}

bool runningUnderWine()
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace testnet
