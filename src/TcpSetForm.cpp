#include "TcpSetForm.h"

#include "DialogTexts.h"

namespace {

constexpr std::array<std::string_view, 2> kIpModes{"静态", "动态"};
constexpr std::array<std::string_view, 2> kProtocols{"UDP", "TCP"};
constexpr std::array<std::string_view, 3> kWorkModes{"服务器", "自动", "客户端"};
// The ninth item is empty on purpose: modules report position 8 for it.
constexpr std::array<std::string_view, 9> kBauds{"1200",  "2400",  "4800",   "9600", "19200",
                                                 "38400", "57600", "115200", ""};
constexpr std::array<std::string_view, 5> kParities{"None", "Even", "Odd", "Mark", "Space"};
constexpr std::array<std::string_view, 2> kDataBits{"7", "8"};
constexpr std::array<std::string_view, 4> kStopBits{"0", "1", "2", "3"};

constexpr int kWide = 120;
constexpr int kHigh = kFieldHeight;
using enum ControlId;
using enum DialogPage;
using enum ControlKind;
using enum TypedChars;
using enum FieldForm;
using F = ConfigField;

// One control a row, as the form reads.
// clang-format off
// id, name, page, kind, label name, label, label left, top, bounds, tab order, items, accepts, form, field
const std::array<ControlSpec, kControlCount> kControls{{
    {edt1, "edt1", Network, Edit, "lbl1", "使用者：", 56, 16, {120, 8, kWide, kHigh}, 0, {}, Any, Free, F::UserName},
    {edt2, "edt2", Network, Edit, "lbl2", "设备名：", 56, 42, {120, 34, kWide, kHigh}, 1, {}, Any, Free, F::DeviceName},
    {edt3, "edt3", Network, Edit, "lbl3", "MAC地址：", 45, 69, {120, 61, kWide, kHigh}, 2, {}, Any, Free, F::MacAddress},
    {cbIPMode, "cbIPMode", Network, List, "Label3", "IP获取方式：", 31, 96, {119, 90, 123, kHigh}, 11, kIpModes, Any, Free, F::IpMode},
    {edt4, "edt4", Network, Edit, "lbl4", "IP地址：", 58, 124, {120, 116, kWide, kHigh}, 3, {}, DigitsAndFullStop, DottedIpv4, F::IpAddress},
    {edt5, "edt5", Network, Edit, "lbl5", "端口号：", 56, 150, {120, 142, kWide, kHigh}, 4, {}, Digits, Port, F::LocalPort},
    {cbb1, "cbb1", Network, List, "lbl6", "传输协议：", 44, 176, {120, 168, kWide, kHigh}, 9, kProtocols, Any, Free, F::Protocol},
    {cbb2, "cbb2", Network, List, "lbl7", "工作模式：", 44, 203, {120, 195, kWide, kHigh}, 10, kWorkModes, Any, Free, F::WorkMode},
    {edt6, "edt6", Network, Edit, "lbl8", "目标IP：", 58, 229, {120, 221, kWide, kHigh}, 5, {}, DigitsAndFullStop, DottedIpv4, F::TargetIp},
    {edt7, "edt7", Network, Edit, "lbl9", "目标端口：", 44, 255, {120, 247, kWide, kHigh}, 6, {}, DigitsAndFullStop, Port, F::TargetPort},
    {edt8, "edt8", Network, Edit, "lbl10", "网关：", 68, 282, {120, 274, kWide, kHigh}, 7, {}, DigitsAndFullStop, DottedIpv4, F::Gateway},
    {edt9, "edt9", Network, Edit, "lbl11", "网络掩码：", 44, 308, {120, 300, kWide, kHigh}, 8, {}, DigitsAndFullStop, DottedIpv4, F::NetMask},
    {cbb3, "cbb3", Serial, List, "lbl12", "波特率：", 64, 48, {112, 40, kWide, kHigh}, 0, kBauds, Any, Free, F::BaudIndex},
    {cbb4, "cbb4", Serial, List, "lbl13", "校验：", 76, 88, {112, 80, kWide, kHigh}, 1, kParities, Any, Free, F::Parity},
    {cbb5, "cbb5", Serial, List, "lbl14", "比特位：", 64, 128, {112, 120, kWide, kHigh}, 2, kDataBits, Any, Free, F::DataBitsIndex},
    {StopCbb, "StopCbb", Serial, List, "Label1", "停止位：", 65, 169, {113, 161, kWide, kHigh}, 3, kStopBits, Any, Free, F::StopBitsIndex},
}};
// clang-format on

const std::array<ButtonSpec, 2> kButtons{{
    {"btn3", texts::kOkButton, {183, 8, 75, 25}, true, false},
    {"btn4", texts::kCancelButton, {258, 8, 75, 25}, false, true},
}};

const std::array<ControlId, kControlCount> kTabOrder{edt1, edt2, edt3, edt4,     edt5, edt6, edt7, edt8,
                                                     edt9, cbb1, cbb2, cbIPMode, cbb3, cbb4, cbb5, StopCbb};

} // namespace

const std::array<ControlSpec, kControlCount>& controlTable()
{
    return kControls;
}

const ControlSpec& controlSpec(ControlId id)
{
    return kControls[controlIndex(id)];
}

const std::array<ButtonSpec, 2>& buttonTable()
{
    return kButtons;
}

const std::array<ControlId, kControlCount>& tabOrder()
{
    return kTabOrder;
}
