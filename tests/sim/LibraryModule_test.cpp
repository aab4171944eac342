// The library module's side of the stand-in library's protocol, without sockets.
#include "LibraryModule.h"
#include "MxWire.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using mx::Message;
using mx::MessageType;
using sim::FaultKind;
using testing::IsEmpty;

namespace {

const std::string kMac = "00-4D-58-00-00-31";

class LibraryModuleTest : public testing::Test
{
protected:
    // The module's answers to one message, decoded; a datagram that does not decode fails.
    std::vector<Message> send(const Message& request, bool atOwnAddress = true,
                              const std::string& fromIp = "10.77.0.1", std::uint16_t fromPort = 40000)
    {
        std::vector<Message> answers;
        for (const auto& datagram :
             module.receive(mx::encode(request), atOwnAddress, fromIp, fromPort).datagrams) {
            const auto decoded = mx::decode(datagram);
            EXPECT_TRUE(decoded.has_value()) << datagram;
            if (decoded)
                answers.push_back(*decoded);
        }
        return answers;
    }

    Message modify(const std::string& nonce, const std::string& password,
                   std::vector<std::pair<std::string, std::string>> changes, const std::string& tag = "7")
    {
        Message request{MessageType::Modify, {nonce, tag, password}};
        for (const auto& [key, value] : changes) {
            request.fields.push_back(key);
            request.fields.push_back(value);
        }
        return request;
    }

    sim::LibraryModule module{[] {
        auto spec = sim::libraryModule("10.77.0.31", kMac, 7);
        spec.searchPort = 502;
        spec.version = 3;
        return spec;
    }()};
};

TEST_F(LibraryModuleTest, SearchIsAnsweredWithAddressMacModelTagVersionAndPort)
{
    for (const bool atOwnAddress : {false, true}) {
        const auto answers = send({MessageType::Search, {"41"}}, atOwnAddress);
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0], (Message{MessageType::SearchReply,
                                       {"41", "10.77.0.31", kMac, "MX-E210", "7", "3", "502"}}));
    }
}

TEST_F(LibraryModuleTest, FetchGivesEveryStoredKey)
{
    const auto answers = send({MessageType::Fetch, {"5", "7"}});
    ASSERT_EQ(answers.size(), 1u);
    ASSERT_EQ(answers[0].type, MessageType::Config);
    EXPECT_EQ(answers[0].fields[0], "5");
    std::map<std::string, std::string> config;
    for (std::size_t i = 1; i + 1 < answers[0].fields.size(); i += 2)
        config[answers[0].fields[i]] = answers[0].fields[i + 1];
    EXPECT_EQ(config, module.spec().values);
    EXPECT_EQ(config.size(), 14u);
    EXPECT_EQ(config.at("C1_BAUD"), "5");
    EXPECT_EQ(config.at("IP_MODE"), "1");
}

TEST_F(LibraryModuleTest, FetchAndModifyByBroadcastAreIgnored)
{
    EXPECT_THAT(send({MessageType::Fetch, {"5", "7"}}, false), IsEmpty());
    EXPECT_THAT(send(modify("6", "52417", {{"NAME", "x"}}), false), IsEmpty());
    EXPECT_EQ(module.spec().values.at("NAME"), "MX-31");
}

TEST_F(LibraryModuleTest, RefusalsAndTheirReasons)
{
    struct Case
    {
        const char* name;
        std::function<void(sim::ModuleSpec&)> change;
        Message request;
        std::string reason;
    };
    const Case cases[] = {
        {"fetch with another tag", [](auto&) {}, {MessageType::Fetch, {"1", "8"}}, "tag"},
        {"fetch failing", [](auto& s) { s.failFetch = true; }, {MessageType::Fetch, {"1", "7"}}, "refused"},
        {"modify with another tag", [](auto&) {}, modify("2", "52417", {{"NAME", "x"}}, "8"), "tag"},
        {"modify with another password", [](auto&) {}, modify("3", "52418", {{"NAME", "x"}}), "password"},
        {"modify with an empty password", [](auto&) {}, modify("4", "", {{"NAME", "x"}}), "password"},
        {"modify rejected", [](auto& s) { s.rejectModify = true; }, modify("5", "52417", {{"NAME", "x"}}),
         "rejected"},
        {"modify of an unknown key", [](auto&) {}, modify("6", "52417", {{"NAME", "x"}, {"C2_BAUD", "5"}}),
         "key C2_BAUD"},
    };
    for (const auto& c : cases) {
        auto spec = sim::libraryModule("10.77.0.31", kMac, 7);
        c.change(spec);
        module.setSpec(spec);
        const auto answers = send(c.request);
        ASSERT_EQ(answers.size(), 1u) << c.name;
        EXPECT_EQ(answers[0], (Message{MessageType::Refused, {c.request.fields[0], c.reason}})) << c.name;
        EXPECT_EQ(module.spec().values, spec.values) << c.name << ": nothing may change";
    }
}

TEST_F(LibraryModuleTest, FailedKeysAreLeftOutOfTheConfiguration)
{
    auto spec = module.spec();
    spec.failKeys = {"C1_PORT", "MAC"};
    module.setSpec(spec);
    const auto answers = send({MessageType::Fetch, {"5", "7"}});
    ASSERT_EQ(answers.size(), 1u);
    const auto& fields = answers[0].fields;
    EXPECT_EQ(fields.size(), 1u + 2 * 12);
    for (std::size_t i = 1; i < fields.size(); i += 2) {
        EXPECT_NE(fields[i], "C1_PORT");
        EXPECT_NE(fields[i], "MAC");
    }
}

TEST_F(LibraryModuleTest, ModifyWithThePasswordStoresTheTextsAsGiven)
{
    const auto answers = send(modify("9", "52417", {{"NAME", "二号仓"}, {"C1_BAUD", "9"}, {"C1_PORT", ""}}));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], (Message{MessageType::Accepted, {"9"}}));
    EXPECT_EQ(module.spec().values.at("NAME"), "二号仓");
    EXPECT_EQ(module.spec().values.at("C1_BAUD"), "9");
    EXPECT_EQ(module.spec().values.at("C1_PORT"), "");
    EXPECT_EQ(module.spec().ip, "10.77.0.31");
}

TEST_F(LibraryModuleTest, ResentModifyIsAnsweredAgainButAppliedOnce)
{
    send(modify("9", "52417", {{"NAME", "first"}}));
    auto spec = module.spec();
    spec.values["NAME"] = "changed since";
    module.setSpec(spec);
    const auto again = send(modify("9", "52417", {{"NAME", "first"}}));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].type, MessageType::Accepted);
    EXPECT_EQ(module.spec().values.at("NAME"), "changed since");
    send(modify("9", "52417", {{"NAME", "other peer"}}), true, "10.77.0.1", 40001);
    EXPECT_EQ(module.spec().values.at("NAME"), "other peer") << "a nonce counts per peer";
}

TEST_F(LibraryModuleTest, ModifyThatAFetchCouldNotCarryIsRefusedWhole)
{
    const std::string big(9000, 'v');
    ASSERT_EQ(send(modify("9", "52417", {{"NAME", big}}))[0].type, MessageType::Accepted);
    const auto answers = send(modify("10", "52417", {{"C1_PORT", "1"}, {"MASK", big}}));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], (Message{MessageType::Refused, {"10", "size"}}));
    EXPECT_EQ(module.spec().values.at("C1_PORT"), "8080");
    EXPECT_EQ(module.spec().values.at("MASK"), "255.255.255.0");
    const auto fetched = send({MessageType::Fetch, {"4294967295", "7"}});
    ASSERT_EQ(fetched.size(), 1u) << "every later fetch still fits one message";
    EXPECT_EQ(fetched[0].type, MessageType::Config);
}

TEST_F(LibraryModuleTest, GoneModuleActsOnNothingAndAnswersNothingUntilRestored)
{
    module.setFault(sim::kModifyFault, {FaultKind::Gone, 0});
    EXPECT_THAT(send(modify("9", "52417", {{"NAME", "lost"}})), IsEmpty());
    EXPECT_TRUE(module.gone());
    EXPECT_THAT(send({MessageType::Search, {"1"}}), IsEmpty());
    EXPECT_THAT(send({MessageType::Fetch, {"2", "7"}}), IsEmpty());
    EXPECT_EQ(module.spec().values.at("NAME"), "MX-31") << "the modify never ran";
    auto spec = module.spec();
    spec.faults.clear();
    module.setSpec(spec);
    EXPECT_EQ(send({MessageType::Fetch, {"3", "7"}}).size(), 1u);
}

TEST_F(LibraryModuleTest, ModifiedAddressMovesTheModule)
{
    send(modify("9", "52417", {{"IP", "10.77.0.40"}}));
    EXPECT_EQ(module.spec().ip, "10.77.0.40");
    const auto answers = send({MessageType::Search, {"10"}}, false);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].fields[1], "10.77.0.40");
}

TEST_F(LibraryModuleTest, FaultsShapeTheirMessagesReplies)
{
    module.setFault(sim::kSearchFault, {FaultKind::Silent, 0});
    EXPECT_THAT(send({MessageType::Search, {"1"}}, false), IsEmpty());
    module.setFault(sim::kFetchFault, {FaultKind::Refuse, 0});
    const auto refused = send({MessageType::Fetch, {"2", "7"}});
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].type, MessageType::Refused);
    module.setFault(sim::kFetchFault, {FaultKind::Twice, 0});
    EXPECT_EQ(send({MessageType::Fetch, {"3", "7"}}).size(), 2u);
    module.setFault(sim::kModifyFault, {FaultKind::Late, 120});
    const auto late =
        module.receive(mx::encode(modify("4", "52417", {{"NAME", "late"}})), true, "10.77.0.1", 1);
    EXPECT_EQ(late.delayMs, 120);
    EXPECT_EQ(module.spec().values.at("NAME"), "late") << "a late reply still acts";
    module.setFault(sim::kModifyFault, {FaultKind::Refuse, 0});
    send(modify("5", "52417", {{"NAME", "refused"}}));
    EXPECT_EQ(module.spec().values.at("NAME"), "late") << "a refused modify does not act";
    module.setFault(sim::kFetchFault, {FaultKind::Oversize, 0});
    const auto oversize = module.receive(mx::encode({MessageType::Fetch, {"6", "7"}}), true, "10.77.0.1", 1);
    ASSERT_EQ(oversize.datagrams.size(), 1u);
    EXPECT_EQ(oversize.datagrams[0].size(), sim::kOversizeBytes);
    EXPECT_FALSE(mx::decode(oversize.datagrams[0]).has_value());
}

TEST_F(LibraryModuleTest, WhatIsNotARequestIsIgnored)
{
    const std::string cases[] = {"",
                                 "X",
                                 "MXA1",
                                 "MXA1K1:1,",
                                 mx::encode({MessageType::SearchReply, {"1", "a", "b", "c", "1", "1", "1"}}),
                                 mx::encode({MessageType::Config, {"1"}}),
                                 "MXA1G1:1,1:7,trailing"};
    for (const auto& data : cases)
        EXPECT_THAT(module.receive(data, true, "10.77.0.1", 1).datagrams, IsEmpty()) << data;
}

TEST(LibraryKeys, DefaultsUseTheLibrarysCodes)
{
    const auto spec = sim::libraryModule("10.77.0.31", kMac, 4);
    EXPECT_EQ(spec.values.size(), 14u);
    for (const auto& key : sim::libraryKeys())
        EXPECT_EQ(spec.values.count(key), 1u) << key;
    const std::pair<const char*, const char*> expected[] = {
        {"IP_MODE", "1"},         {"C1_OP", "1"},
        {"C1_BAUD", "5"},         {"C1_DATAB", "8"},
        {"C1_STOPB", "1"},        {"C1_PARITY", "0"},
        {"IP", "10.77.0.31"},     {"MAC", "00-4D-58-00-00-31"},
        {"GATEWAY", "10.77.0.1"}, {"MASK", "255.255.255.0"},
        {"C1_PORT", "8080"},
    };
    for (const auto& [key, value] : expected)
        EXPECT_EQ(spec.values.at(key), value) << key;
    EXPECT_EQ(spec.tag, 4);
}

} // namespace
