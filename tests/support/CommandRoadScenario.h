#pragma once
// A simulated command module with known values, the records that read from and write to
// it, and the simulator's log as the commands and flags that reached it. Shared by the
// command-road tests.

#include "FieldCodes.h"
#include "Simulator.h"
#include "SwTcpFunc.h"

#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace commandroad {

using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;

inline const std::string kMac = "00-1A-2B-00-00-11";
inline const std::string kOtherMac = "00-1A-2B-00-00-12";
inline constexpr auto kPause = std::chrono::milliseconds(500);

// The module at testnet::moduleIp(1): its seventeen values by read code.
std::map<std::string, std::string> moduleValues();
sim::ModuleSpec moduleSpec();

// Marks in every field, so a field the road must not touch shows when it does.
TModelConfig markedRecord();
// markedRecord() after the first `rows` read commands were answered with moduleValues():
// their values and their texts as read.
TModelConfig recordAfterReads(std::size_t rows);
// Every command of a full read at the module's address.
const Strings& fullRead();

// A configuration unlike the module's; the fourteen write commands that carry it; and the
// whole run that writes it ("L", the fourteen, "E", "O").
TModelConfig newRecord();
Strings newRecordWrites();
Strings fullWrite();
// The module's values once newRecord() was committed.
std::map<std::string, std::string> valuesAfterWrite();

Strings concat(Strings first, const Strings& second);

// The module's log once the run's datagrams have arrived: waits for `expected` of them,
// then a little longer so that any datagram sent beyond them shows too.
std::vector<sim::WireEvent> settledEvents(const sim::Simulator& simulator, const std::string& mac,
                                          std::size_t expected);
Strings sentData(const std::vector<sim::WireEvent>& events);
std::vector<bool> broadcastFlags(const std::vector<sim::WireEvent>& events);

TModelParm entryFor(const std::string& ip, const std::string& mac);

// One module with moduleValues(), reached at its own address.
class CommandRoad : public testing::Test
{
protected:
    CommandRoad();

    Strings sent(std::size_t expected) { return sentData(settledEvents(m_sim, kMac, expected)); }

    sim::Simulator m_sim;
    TModelParm m_entry;
};

} // namespace commandroad
