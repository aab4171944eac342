// The settings dialog's behaviour, without a toolkit or a network: a fake road hands the
// model a record and keeps what it writes.
#include "RecordPrinting.h"
#include "TcpSetModel.h"
#include "TextChange.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

using enum ControlId;
using testing::ElementsAre;

struct RecordingPresenter : MessagePresenter
{
    void showError(WindowHandle owner, const std::string& text) override
    {
        errors.push_back(text);
        owners.push_back(owner);
    }
    void showHint(WindowHandle owner, const std::string& text) override
    {
        hints.push_back(text);
        owners.push_back(owner);
    }
    std::vector<std::string> errors;
    std::vector<std::string> hints;
    std::vector<WindowHandle> owners;
};

// A command module in automatic mode, every field set.
TModelConfig commandRecord()
{
    TModelConfig c;
    c.UserName = "operator";
    c.DeviceName = "Module-A";
    c.MacAddress = "00-1A-2B-00-00-11";
    c.IpAddress = "10.77.0.11";
    c.IpMode = 0;
    c.LocalPort = 8080;
    c.Protocol = 1;
    c.WorkMode = 1;
    c.TargetIp = "10.77.0.1";
    c.TargetPort = 9000;
    c.Gateway = "10.77.0.1";
    c.NetMask = "255.255.255.0";
    c.BaudIndex = 3;
    c.Parity = 2;
    c.DataBitsIndex = 1;
    c.GfcValue = 4;
    c.GdtValue = 5;
    return c;
}

class TcpSetModelTest : public testing::Test
{
protected:
    // Opens the model on a module of the road with the record as read.
    void open(const TModelConfig& record, ConfigRoad road = ConfigRoad::Commands)
    {
        m_record = record;
        m_entry.ViaCommandProtocol = road == ConfigRoad::Commands ? 1 : 0;
        m_entry.Ip = record.IpAddress;
        ASSERT_TRUE(m_model.LoadConfig(m_entry));
    }
    ControlView view(ControlId id) const { return m_model.controlView(id); }
    ConfirmResult ok() { return m_model.btn3Click(m_entry); }

    ConfigAccess fakeRoad()
    {
        return {[this](const TModelParm&, TModelConfig& config) {
                    if (m_throwOnRead)
                        throw std::runtime_error("'abc' is not a valid integer value");
                    config = m_record;
                    return m_readResult;
                },
                [this](const TModelParm&, const TModelConfig& config) {
                    if (m_throwOnWrite)
                        throw std::runtime_error("Socket Error # 11001\r\nHost not found");
                    m_written.push_back(config);
                    return m_writeResult;
                }};
    }

    RecordingPresenter m_presenter;
    int m_window = 0; // stands for the dialog's window
    TcpSetModel m_model{m_presenter, &m_window, fakeRoad()};
    TModelParm m_entry;
    TModelConfig m_record;
    bool m_readResult = true;
    bool m_writeResult = true;
    bool m_throwOnRead = false;
    bool m_throwOnWrite = false;
    std::vector<TModelConfig> m_written;
};

// --- Loading and showing -------------------------------------------------------------------

TEST_F(TcpSetModelTest, CommandModuleShowsEveryFieldAndNoStopBits)
{
    open(commandRecord());
    const std::pair<ControlId, const char*> texts[] = {
        {edt1, "operator"},   {edt2, "Module-A"},  {edt3, "00-1A-2B-00-00-11"},
        {edt4, "10.77.0.11"}, {edt5, "8080"},      {edt6, "10.77.0.1"},
        {edt7, "9000"},       {edt8, "10.77.0.1"}, {edt9, "255.255.255.0"}};
    for (const auto& [id, text] : texts)
        EXPECT_EQ(view(id).text, text) << controlSpec(id).name;
    const std::pair<ControlId, int> positions[] = {{cbIPMode, 0}, {cbb1, 1}, {cbb2, 1},    {cbb3, 3},
                                                   {cbb4, 2},     {cbb5, 1}, {StopCbb, -1}};
    for (const auto& [id, position] : positions)
        EXPECT_EQ(view(id).position, position) << controlSpec(id).name;
    EXPECT_FALSE(view(StopCbb).enabled);
    EXPECT_TRUE(view(edt1).enabled && view(cbb1).enabled);
    EXPECT_TRUE(view(edt3).readOnly);
    EXPECT_EQ(view(edt3).background, FieldBackground::ScrollBar);
    EXPECT_TRUE(m_presenter.hints.empty());
}

TEST_F(TcpSetModelTest, LibraryModuleShowsNoUserAndNoProtocol)
{
    TModelConfig record = commandRecord();
    record.UserName.clear();
    record.Protocol = 1; // whatever the record holds, the road does not carry it
    record.StopBitsIndex = 2;
    open(record, ConfigRoad::Library);
    EXPECT_FALSE(view(edt1).enabled);
    EXPECT_EQ(view(edt1).text, "");
    EXPECT_FALSE(view(cbb1).enabled);
    EXPECT_EQ(view(cbb1).position, -1);
    EXPECT_TRUE(view(StopCbb).enabled);
    EXPECT_EQ(view(StopCbb).position, 2);
}

TEST_F(TcpSetModelTest, FailedReadIsReportedWithoutOwnerAndChangesNothing)
{
    m_readResult = false;
    m_entry.ViaCommandProtocol = 1;
    EXPECT_FALSE(m_model.LoadConfig(m_entry));
    EXPECT_THAT(m_presenter.hints, ElementsAre("读取TCP模块参数失败!"));
    EXPECT_THAT(m_presenter.owners, ElementsAre(nullptr));
    EXPECT_EQ(view(edt2).text, "");
    EXPECT_EQ(view(cbb4).position, 3); // as the form was created

    m_throwOnRead = true;
    EXPECT_THROW(m_model.LoadConfig(m_entry), std::runtime_error);
    EXPECT_EQ(m_presenter.hints.size(), 1u);
}

// --- Work mode -----------------------------------------------------------------------------

struct ModeCase
{
    std::uint8_t code;
    bool targetEditable;
    FieldBackground readOnlyBackground;
};

TEST_F(TcpSetModelTest, TargetFieldsFollowTheWorkModeRead)
{
    const ModeCase cases[] = {{0, false, FieldBackground::Menu},
                              {1, true, FieldBackground::Editable},
                              {2, true, FieldBackground::Editable},
                              {9, false, FieldBackground::ScrollBar}};
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(int{c.code});
        TModelConfig record = commandRecord();
        record.WorkMode = c.code;
        open(record);
        for (ControlId target : {edt6, edt7}) {
            EXPECT_EQ(view(target).readOnly, !c.targetEditable);
            EXPECT_EQ(view(target).background, c.readOnlyBackground);
        }
        // Gateway and mask are the module's own: every mode may change them.
        for (ControlId own : {edt8, edt9})
            EXPECT_FALSE(view(own).readOnly || view(own).background != FieldBackground::Editable);
    }
}

TEST_F(TcpSetModelTest, PickedWorkModeKeepsWellFormedTargetsAndDropsMalformedOnes)
{
    open(commandRecord()); // 自动
    m_model.setText(edt6, "10.77.0.9");
    m_model.setText(edt7, "80.1");
    m_model.pick(cbb2, 2); // 客户端: still editable, nothing reverts
    EXPECT_EQ(view(edt7).text, "80.1");
    m_model.pick(cbb2, 0); // 服务器
    EXPECT_TRUE(view(edt6).readOnly && view(edt7).readOnly);
    EXPECT_EQ(view(edt6).background, FieldBackground::Menu);
    EXPECT_EQ(view(edt6).text, "10.77.0.9");
    EXPECT_EQ(view(edt7).text, "9000") << "a malformed change left in a read-only field";

    EXPECT_EQ(ok().outcome, ConfirmOutcome::Written);
    EXPECT_TRUE(m_presenter.hints.empty());
    ASSERT_EQ(m_written.size(), 1u);
    EXPECT_EQ(m_written[0].WorkMode, 0);
    EXPECT_EQ(m_written[0].TargetIp, "10.77.0.9");
    EXPECT_EQ(m_written[0].TargetPort, 9000);
}

// --- Filters and forms ---------------------------------------------------------------------

TEST(TcpSetModelFilter, TypedCharactersPerField)
{
    RecordingPresenter presenter;
    const TcpSetModel model(presenter, nullptr, {});
    struct Case
    {
        char32_t c;
        bool address; // edt4, edt6 to edt9
        bool port;    // edt5
        bool text;    // edt1, edt2
    };
    // Editing keys' control characters pass everywhere; any other control character
    // (Ctrl+Backspace types 0x7F) nowhere.
    const Case cases[] = {
        {U'0', true, true, true},    {U'9', true, true, true},    {U'.', true, false, true},
        {U'a', false, false, true},  {U' ', false, false, true},  {U'-', false, false, true},
        {U'。', false, false, true}, {U'１', false, false, true}, {0x08, true, true, true},
        {0x01, true, true, true},    {0x03, true, true, true},    {0x16, true, true, true},
        {0x18, true, true, true},    {0x1A, true, true, true},    {0x19, true, true, true},
        {0x09, true, true, true},    {0x0D, true, true, true},    {0x1B, true, true, true},
        {0x02, false, false, false}, {0x07, false, false, false}, {0x7F, false, false, false},
    };
    for (const Case& c : cases) {
        for (ControlId address : {edt4, edt6, edt7, edt8, edt9})
            EXPECT_EQ(model.acceptsChar(address, c.c), c.address)
                << std::hex << static_cast<std::uint32_t>(c.c);
        EXPECT_EQ(model.acceptsChar(edt5, c.c), c.port) << std::hex << static_cast<std::uint32_t>(c.c);
        for (ControlId text : {edt1, edt2})
            EXPECT_EQ(model.acceptsChar(text, c.c), c.text) << std::hex << static_cast<std::uint32_t>(c.c);
    }
}

TEST(TcpSetModelFilter, FieldForms)
{
    const std::pair<const char*, bool> addresses[] = {
        {"10.77.0.11", true},  {"255.255.255.255", true}, {"010.1.1.1", true},
        {"10.77.0", false},    {"10.77.0.11.1", false},   {"10.77.0.256", false},
        {"10..0.11", false},   {"10.77.0.", false},       {"", false},
        {"1000.1.1.1", false}, {" 10.77.0.11", false},    {"10.77.0.x", false},
    };
    const std::pair<const char*, bool> ports[] = {
        {"0", true},     {"65535", true}, {"08080", true}, {"65536", false}, {"100000", false}, {"", false},
        {"80.1", false}, {"-1", false},   {"+80", false},  {" 80", false},   {"0x50", false},
    };
    for (const auto& [text, valid] : addresses)
        EXPECT_EQ(hasForm(FieldForm::DottedIpv4, text), valid) << text;
    for (const auto& [text, valid] : ports)
        EXPECT_EQ(hasForm(FieldForm::Port, text), valid) << text;
    EXPECT_TRUE(hasForm(FieldForm::Free, "any thing"));
}

// --- OK ------------------------------------------------------------------------------------

TEST_F(TcpSetModelTest, MalformedChangedFieldIsNamedAndNothingIsWritten)
{
    const std::tuple<ControlId, const char*, const char*> cases[] = {
        {edt4, "10.77.0", "IP地址：格式不正确!"},
        {edt4, "", "IP地址：格式不正确!"},
        {edt5, "", "端口号：格式不正确!"},
        {edt5, "70000", "端口号：格式不正确!"},
        {edt6, "10.77.0.256", "目标IP：格式不正确!"},
        {edt7, "80.1", "目标端口：格式不正确!"},
        {edt8, "gateway", "网关：格式不正确!"},
        {edt9, "255.255.255.0.0", "网络掩码：格式不正确!"},
    };
    for (const auto& [id, text, message] : cases) {
        SCOPED_TRACE(text);
        open(commandRecord());
        m_presenter.hints.clear();
        m_model.setText(id, text);
        const ConfirmResult result = ok();
        EXPECT_EQ(result.outcome, ConfirmOutcome::Malformed);
        EXPECT_EQ(result.field, id);
        EXPECT_THAT(m_presenter.hints, ElementsAre(message));
        EXPECT_EQ(m_presenter.owners.back(), &m_window);
    }
    EXPECT_TRUE(m_written.empty());
}

TEST_F(TcpSetModelTest, UntouchedFieldsAndUnnamedCodesGoBackAsRead)
{
    TModelConfig record = commandRecord();
    record.UserName = "\xB2\xD9\xD7\xF7\xD4\xB1"; // GBK, not UTF-8
    record.DeviceName = "a\xFF";                  // no GB18030 text: on Linux shown as "a?"
    record.TargetIp = "none";
    record.NetMask = "";
    record.LocalPort = -1;
    record.IpMode = 5;
    record.Protocol = 4;
    record.WorkMode = 9;
    record.Parity = 7;
    record.DataBitsIndex = 44;
    // Texts the roads send back for fields nobody changed travel with the record.
    record.AsRead[fieldIndex(ConfigField::DataBitsIndex)] = "300";
    record.AsRead[fieldIndex(ConfigField::TargetPort)] = "0x2328";
    open(record);
    for (ControlId list : {cbIPMode, cbb1, cbb2, cbb4, cbb5})
        EXPECT_EQ(view(list).position, -1) << controlSpec(list).name;
    EXPECT_EQ(view(edt5).text, "-1");
    m_model.setText(edt8, "10.77.0.9");
    const std::string shownName = view(edt2).text;
    m_model.setText(edt2, "Module-B");
    m_model.setText(edt2, shownName); // changed back: untouched
    ASSERT_EQ(ok().outcome, ConfirmOutcome::Written);
    TModelConfig expected = record;
    expected.Gateway = "10.77.0.9";
    ASSERT_EQ(m_written.size(), 1u);
    EXPECT_EQ(m_written[0], expected);

    m_model.pick(cbb4, 4);
    m_model.pick(cbIPMode, 1);
    ASSERT_EQ(ok().outcome, ConfirmOutcome::Written);
    EXPECT_EQ(m_written[1].Parity, 4);
    EXPECT_EQ(m_written[1].IpMode, 1);
    EXPECT_EQ(m_written[1].WorkMode, 9);
}

TEST_F(TcpSetModelTest, EmptyBaudItemIsPositionEight)
{
    TModelConfig record = commandRecord();
    record.BaudIndex = 8;
    open(record);
    EXPECT_EQ(view(cbb3).position, 8);
    EXPECT_EQ(controlSpec(cbb3).items[8], "");
    record.BaudIndex = 3;
    open(record);
    m_model.pick(cbb3, 8);
    EXPECT_EQ(m_model.collectConfig().BaudIndex, 8);
}

TEST_F(TcpSetModelTest, ChangedNumbersAreReadLeniently)
{
    open(commandRecord());
    m_model.setText(edt5, "0081");
    EXPECT_EQ(m_model.collectConfig().LocalPort, 81);
}

TEST_F(TcpSetModelTest, SuccessfulWriteMovesTheEntryAFailedOneDoesNot)
{
    open(commandRecord());
    m_model.setText(edt4, "10.77.0.20");
    m_writeResult = false;
    EXPECT_EQ(ok().outcome, ConfirmOutcome::Failed);
    EXPECT_THAT(m_presenter.hints, ElementsAre("设置TCP模块参数失败!"));
    EXPECT_EQ(m_entry.Ip, "10.77.0.11");

    m_throwOnWrite = true;
    EXPECT_EQ(ok().outcome, ConfirmOutcome::Failed);
    EXPECT_THAT(m_presenter.errors, ElementsAre("Socket Error # 11001\r\nHost not found."));
    EXPECT_EQ(m_entry.Ip, "10.77.0.11");

    m_throwOnWrite = false;
    m_writeResult = true;
    EXPECT_EQ(ok().outcome, ConfirmOutcome::Written);
    EXPECT_EQ(m_entry.Ip, "10.77.0.20");
    EXPECT_EQ(m_presenter.hints.size(), 1u);
}

// --- Texts on the wire -----------------------------------------------------------------------

TEST_F(TcpSetModelTest, EditedTextGoesBackInTheEncodingItWasReadIn)
{
    TModelConfig record = commandRecord();
    record.UserName = "\xB2\xD9\xD7\xF7\xD4\xB1"; // "操作员" in GBK
    open(record);
    EXPECT_EQ(view(edt1).text, "操作员");
    m_model.setText(edt1, "张三");
    m_model.setText(edt2, "新模块"); // read as ASCII: goes out as UTF-8
    const TModelConfig written = m_model.collectConfig();
    EXPECT_EQ(written.UserName, "\xD5\xC5\xC8\xFD");
#ifdef _WIN32
    EXPECT_EQ(written.DeviceName, "\xD0\xC2\xC4\xA3\xBF\xE9"); // the system code page, 936 here
#else
    EXPECT_EQ(written.DeviceName, "新模块");
#endif
}

// A code page of ASCII alone, for the system's, which lacks most characters.
TextCodec asciiCodePage()
{
    const auto toDevice = [](std::string_view text, TextEncoding) {
        std::string bytes;
        for (const char c : text) {
            if ((c & 0x80) == 0)
                bytes += c;
            else if ((c & 0x40) != 0)
                bytes += '?'; // one for each character beyond ASCII
        }
        return bytes;
    };
    return {[](std::string_view bytes) {
                return DisplayText{std::string(bytes), TextEncoding::SystemCodePage};
            },
            toDevice,
            [toDevice](std::string_view text, TextEncoding encoding) {
                return toDevice(text, encoding) == text;
            }};
}

TEST_F(TcpSetModelTest, TextItsCodePageLacksIsRefusedAtOkNotSentAsQuestionMarks)
{
    TcpSetModel model{m_presenter, &m_window, fakeRoad(), asciiCodePage()};
    m_record = commandRecord();
    m_entry.ViaCommandProtocol = 1;
    ASSERT_TRUE(model.LoadConfig(m_entry));
    model.setText(edt2, "模块-A");
    const ConfirmResult result = model.btn3Click(m_entry);
    EXPECT_EQ(result.outcome, ConfirmOutcome::Malformed);
    EXPECT_EQ(result.field, edt2);
    EXPECT_THAT(m_presenter.hints, ElementsAre("设备名：含有无法写入模块的字符!"));
    EXPECT_TRUE(m_written.empty());

    model.setText(edt2, "Module-B");
    EXPECT_EQ(model.btn3Click(m_entry).outcome, ConfirmOutcome::Written);
    ASSERT_EQ(m_written.size(), 1u);
    EXPECT_EQ(m_written[0].DeviceName, "Module-B");
}

struct LimitCase
{
    ConfigRoad road;
    ControlId field;
    std::string readAs; // the field's text as read: sets its encoding
    std::string text;   // UTF-8
    bool fits;
};

TEST_F(TcpSetModelTest, TextsLongerThanTheRoadReadsBackAreRefused)
{
    const std::string gbk = "\xD5\xC5"; // two bytes in GB18030
    auto repeat = [](const std::string& unit, std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s += unit;
        return s;
    };
    const LimitCase cases[] = {
        {ConfigRoad::Commands, edt1, "", std::string(8191, 'u'), true},
        {ConfigRoad::Commands, edt1, "", std::string(8192, 'u'), false},
#ifndef _WIN32 // on Windows every text is in the system code page
        {ConfigRoad::Library, edt2, "", repeat("张", 33), true},        // 99 bytes of UTF-8
        {ConfigRoad::Library, edt2, "", repeat("张", 33) + "x", false}, // 100
#endif
        {ConfigRoad::Library, edt2, gbk, repeat("张", 49) + "x", true}, // 99 bytes of GB18030
        {ConfigRoad::Library, edt2, gbk, repeat("张", 50), false},      // 100
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.text.size()) + " UTF-8 bytes");
        TModelConfig record = commandRecord();
        record.UserName = c.readAs;
        record.DeviceName = c.readAs;
        open(record, c.road);
        const std::string old = view(c.field).text;
        const std::string typed = c.text.substr(0, c.text.size() - 1); // the last character alone
        EXPECT_EQ(m_model.judgeEdit(c.field, old, c.text),
                  c.fits ? EditVerdict::Accept : EditVerdict::RefuseAndReport);
        if (!c.fits && c.text.back() == 'u') {
            EXPECT_EQ(m_model.judgeEdit(c.field, typed, c.text), EditVerdict::Refuse);
        }

        m_model.setText(c.field, c.text);
        m_written.clear();
        m_presenter.hints.clear();
        const ConfirmResult result = ok();
        EXPECT_EQ(result.outcome, c.fits ? ConfirmOutcome::Written : ConfirmOutcome::Malformed);
        EXPECT_EQ(m_written.size(), c.fits ? 1u : 0u);
        if (!c.fits) {
            const std::string limit = c.road == ConfigRoad::Commands ? "8191" : "99";
            EXPECT_THAT(m_presenter.hints,
                        ElementsAre(std::string(controlSpec(c.field).label) + "不能超过" + limit + "字节!"));
        }
    }
    EXPECT_EQ(maxReadableValueBytes(ConfigRoad::Commands), 8191u);
    EXPECT_EQ(maxReadableValueBytes(ConfigRoad::Library), 99u);
}

TEST_F(TcpSetModelTest, ATextReadTooLongMayStillBeShortened)
{
    TModelConfig record = commandRecord();
    record.DeviceName = std::string(100, 'n'); // a library value without a NUL
    open(record, ConfigRoad::Library);
    const std::string read = view(edt2).text;
    EXPECT_EQ(m_model.judgeEdit(edt2, read, read.substr(1)), EditVerdict::Accept);
    EXPECT_EQ(m_model.judgeEdit(edt2, read, read + "n"), EditVerdict::Refuse);
    m_model.reportTooLong(edt2);
    EXPECT_THAT(m_presenter.hints, ElementsAre("设备名：不能超过99字节!"));
}

TEST(TextChange, TheSpanBetweenTheCommonStartAndEnd)
{
    const struct
    {
        std::u16string_view before;
        std::u16string_view after;
        TextChange expected;
    } cases[] = {
        {u"abc", u"abXYc", {2, 0, 2}},     // typed or pasted at the caret
        {u"abcd", u"aXYZd", {1, 2, 3}},    // pasted over a selection
        {u"aaa", u"aaaa", {3, 0, 1}},      // the same character again: at the end
        {u"", u"\x5F20\x4E09", {0, 0, 2}}, // into an empty field
        {u"abc", u"ac", {1, 1, 0}},        // deleted
    };
    for (const auto& c : cases) {
        const TextChange change = changeBetween(c.before, c.after);
        EXPECT_EQ(change.at, c.expected.at);
        EXPECT_EQ(change.removed, c.expected.removed);
        EXPECT_EQ(change.inserted, c.expected.inserted);
    }
}

TEST_F(TcpSetModelTest, AnEditThatInsertsAControlCharacterIsRefusedQuietly)
{
    TModelConfig record = commandRecord();
    record.DeviceName = "line\r\n"; // as a module reported it: it may stay
    open(record);
    const std::string read = view(edt2).text;
    const std::pair<std::string, EditVerdict> edits[] = {
        {"Modu\x7Fle-A", EditVerdict::Refuse}, // Ctrl+Backspace in a classic edit control
        {"Module-A\tB", EditVerdict::Refuse},  // pasted
        {"Modul-A", EditVerdict::Accept},
    };
    for (const auto& [text, verdict] : edits)
        EXPECT_EQ(m_model.judgeEdit(edt1, "Module-A", text), verdict) << text;
    EXPECT_EQ(m_model.judgeEdit(edt2, read, "x" + read), EditVerdict::Accept);
    EXPECT_TRUE(m_presenter.hints.empty());
}

} // namespace

namespace {

// Counts the guards alive, as a wait cursor would be shown.
struct CountingGuard
{
    static inline int alive = 0;
    CountingGuard() { ++alive; }
    ~CountingGuard() { --alive; }
};

TEST(TcpSetModelGuard, EachExchangeRunsWithTheGuardAliveAndOnlyThen)
{
    std::vector<int> seen;
    ConfigAccess access{
        [&seen](const TModelParm&, TModelConfig&) {
            seen.push_back(CountingGuard::alive);
            return true;
        },
        [&seen](const TModelParm&, const TModelConfig&) -> bool {
            seen.push_back(CountingGuard::alive);
            throw std::runtime_error("socket");
        },
    };
    const ConfigAccess guarded = whileGuarded<CountingGuard>(std::move(access));
    TModelConfig config;
    EXPECT_TRUE(guarded.read(TModelParm{}, config));
    EXPECT_EQ(CountingGuard::alive, 0);
    // A raised error still ends the guard.
    EXPECT_THROW(guarded.write(TModelParm{}, config), std::runtime_error);
    EXPECT_EQ(CountingGuard::alive, 0);
    EXPECT_THAT(seen, ElementsAre(1, 1));
}

} // namespace
