// The command road against every fault a module can make, at every position of a read and
// of a write: the result, the commands sent ("O" included where it must be) and what the
// module has committed. Refusal and silence at each field are in SwTcpFunc_commands_test.
#include "CommandRoadScenario.h"
#include "RecordPrinting.h"
#include "Simulator.h"
#include "SwTcpFunc.h"
#include "net.h"

#include <gtest/gtest.h>

using namespace commandroad;

namespace {

using sim::FaultKind;

enum class Outcome
{
    Done,
    Failed,
    Raised
};

struct FaultCase
{
    bool write;
    std::size_t position; // index into fullRead() or fullWrite()
    FaultKind kind;
};

const char* kindName(FaultKind kind)
{
    switch (kind) {
    case FaultKind::Late:
        return "Late";
    case FaultKind::Twice:
        return "Twice";
    case FaultKind::Empty:
        return "Empty";
    case FaultKind::Oversize:
        return "Oversize";
    default:
        return "Gone";
    }
}

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << (c.write ? "write" : "read") << " transaction " << c.position + 1 << " " << kindName(c.kind);
}

std::vector<FaultCase> everyPosition()
{
    std::vector<FaultCase> cases;
    for (const bool write : {false, true}) {
        for (std::size_t position = 0; position < (write ? fullWrite() : fullRead()).size(); ++position) {
            for (const FaultKind kind :
                 {FaultKind::Late, FaultKind::Twice, FaultKind::Empty, FaultKind::Oversize, FaultKind::Gone})
                cases.push_back({write, position, kind});
        }
    }
    return cases;
}

struct Expected
{
    Outcome outcome;
    Strings sent;
    bool committed; // writes: the module holds newRecord()
};

// A late, empty or vanished reply is no reply: the command is tried again and then not
// accepted, except "E" (and "O", whose reply is ignored), which go once. A duplicate goes to
// an endpoint already closed. An oversize reply is a transport error that ends the run at
// once, without "O".
Expected expectedFor(const FaultCase& c)
{
    const Strings run = c.write ? fullWrite() : fullRead();
    const std::size_t last = run.size() - 1, commit = run.size() - 2;
    const Strings upTo(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(c.position) + 1);
    const Strings before(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(c.position));
    const Strings tries(kExchangeTries, run[c.position]);
    const std::string select = "W" + kMac;
    if (c.kind == FaultKind::Twice)
        return {Outcome::Done, run, c.write};
    if (c.kind == FaultKind::Oversize)
        return {Outcome::Raised, upTo, c.write && c.position >= commit};
    if (c.position == last)
        return {Outcome::Done, run, c.write};
    if (c.position == 0) // the opening falls back; a second "L" meets the same fault
        return {Outcome::Failed,
                c.kind == FaultKind::Gone ? concat(concat(tries, Strings(kExchangeTries, select)), {"O"})
                                          : concat(concat(tries, {select}), concat(tries, {"O"})),
                false};
    if (c.write && c.position == commit)
        // No reply to "E" counts as done; a module gone before committing cannot be told
        // from one that committed and stayed silent.
        return {Outcome::Done, run, c.kind != FaultKind::Gone};
    return {Outcome::Failed, concat(concat(before, tries), {"O"}), false};
}

class FaultSweep : public CommandRoad, public testing::WithParamInterface<FaultCase>
{
};

TEST_P(FaultSweep, GivesThePrescribedResultAndCommittedState)
{
    const FaultCase& c = GetParam();
    const Strings run = c.write ? fullWrite() : fullRead();
    const std::string& command = run[c.position];
    m_sim.setFault(kMac, command.size() == 1 ? command : command.substr(0, 3), {c.kind, 80});
    const Expected expected = expectedFor(c);

    TModelConfig config = c.write ? newRecord() : markedRecord();
    Outcome outcome = Outcome::Raised;
    try {
        const bool ok =
            c.write ? WriteConfigByCommands(m_entry, config) : ReadConfigByCommands(m_entry, config);
        outcome = ok ? Outcome::Done : Outcome::Failed;
    } catch (const SocketError&) {
    }
    EXPECT_EQ(outcome, expected.outcome);
    EXPECT_EQ(sent(expected.sent.size()), expected.sent);
    EXPECT_EQ(m_sim.values(kMac), expected.committed ? valuesAfterWrite() : moduleValues());
    if (!c.write) {
        const std::size_t fieldsRead = outcome == Outcome::Done ? 17 : c.position > 0 ? c.position - 1 : 0;
        EXPECT_EQ(config, recordAfterReads(fieldsRead));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPosition, FaultSweep, testing::ValuesIn(everyPosition()),
                         [](const testing::TestParamInfo<FaultCase>& param) {
                             return std::string(param.param.write ? "write" : "read") +
                                    std::to_string(param.param.position + 1) + kindName(param.param.kind);
                         });

} // namespace
