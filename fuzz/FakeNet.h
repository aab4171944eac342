#pragma once
// A scripted network for fuzz targets, linked in place of src/net.cpp: UdpSocket and
// UdpEndpoint send into a record and receive what the script hands them, at once, so the
// code above them runs at full speed and sees any datagram the fuzzer makes.

#include "net.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fakenet {

struct Sent
{
    std::uint32_t address = 0; // network byte order
    std::uint16_t port = 0;
    std::string data;
};

// The next datagram to arrive, given everything sent so far; nothing: the wait times out.
using Script = std::function<std::optional<ReceivedDatagram>(const std::vector<Sent>& sent)>;

// Starts a new run: forgets what was sent and what was queued.
void reset(Script script);
const std::vector<Sent>& sent();

} // namespace fakenet
