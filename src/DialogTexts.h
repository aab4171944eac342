#pragma once
// Every text the windows show, in one place, as UTF-8. Each front-end converts at its edge
// (QString::fromUtf8, MultiByteToWideChar(CP_UTF8)); captions and list items of the
// settings dialog's controls are in TcpSetForm.h.

#include <string_view>

namespace texts {

// Main window.
inline constexpr std::string_view kApplicationTitle = "TCP模块参数配置"; // also the error box caption
inline constexpr std::string_view kDeviceGroup = "设备";
inline constexpr std::string_view kIpColumn = "IP地址";
inline constexpr std::string_view kMacColumn = "物理地址";
inline constexpr std::string_view kSearchButton = "搜索设备";
inline constexpr std::string_view kEditButton = "设置设备";
inline constexpr std::string_view kExitButton = "退出";
// The tip of a row whose address another module shares (it is reached by its MAC).
inline constexpr std::string_view kSharedIpHint = "与其他模块IP相同";

// Settings dialog.
inline constexpr std::string_view kDialogTitle = "Tcp/Ip模块设置";
inline constexpr std::string_view kNetworkPage = "网络设置";
inline constexpr std::string_view kSerialPage = "串口设置";
inline constexpr std::string_view kOkButton = "确定(&O)"; // & marks the access key
inline constexpr std::string_view kCancelButton = "取消(&C)";

// Messages. Hints are boxes captioned kHintCaption with one OK button and no icon.
inline constexpr std::string_view kHintCaption = "提示";
inline constexpr std::string_view kReadFailed = "读取TCP模块参数失败!";
inline constexpr std::string_view kWriteFailed = "设置TCP模块参数失败!";
// A changed field that does not have its form: label caption + this, "目标端口：格式不正确!".
inline constexpr std::string_view kMalformedSuffix = "格式不正确!";
// A text longer than the road reads back: label caption + kTooLongPrefix + N + kTooLongSuffix,
// "使用者：不能超过8191字节!".
inline constexpr std::string_view kTooLongPrefix = "不能超过";
inline constexpr std::string_view kTooLongSuffix = "字节!";
// A changed text with characters its encoding lacks: label caption + this,
// "设备名：含有无法写入模块的字符!".
inline constexpr std::string_view kUnencodableSuffix = "含有无法写入模块的字符!";
// Caught errors that carry no text of their own.
inline constexpr std::string_view kUnknownError = "Unknown error";

} // namespace texts
