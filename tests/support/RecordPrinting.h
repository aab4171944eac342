#pragma once
// Readable GoogleTest messages for the device records: every field by name.

#include "SwTcpFunc.h"

#include <ostream>

inline void PrintTo(const TModelConfig& c, std::ostream* os)
{
    *os << "{UserName \"" << c.UserName << "\", DeviceName \"" << c.DeviceName << "\", MacAddress \""
        << c.MacAddress << "\", IpAddress \"" << c.IpAddress << "\", IpMode " << c.IpMode << ", LocalPort "
        << c.LocalPort << ", Protocol " << int{c.Protocol} << ", WorkMode " << int{c.WorkMode}
        << ", TargetIp \"" << c.TargetIp << "\", TargetPort " << c.TargetPort << ", Gateway \"" << c.Gateway
        << "\", NetMask \"" << c.NetMask << "\", BaudIndex " << int{c.BaudIndex} << ", Parity "
        << int{c.Parity} << ", DataBitsIndex " << int{c.DataBitsIndex} << ", StopBitsIndex "
        << int{c.StopBitsIndex} << ", GfcValue " << int{c.GfcValue} << ", GdtValue " << int{c.GdtValue}
        << ", AsRead {";
    for (std::size_t i = 0; i < c.AsRead.size(); ++i) {
        if (c.AsRead[i])
            *os << " #" << i << " \"" << *c.AsRead[i] << "\"";
    }
    *os << " }}";
}

inline void PrintTo(const TModelParm& e, std::ostream* os)
{
    *os << "{Mac \"" << e.Mac << "\", Ip \"" << e.Ip << "\", Port " << e.Port << ", ViaCommandProtocol "
        << int{e.ViaCommandProtocol} << ", LibraryTag " << int{e.LibraryTag} << "}";
}
