#pragma once
// The settings dialog's form as data, for every front-end to render: its window, its two
// pages, the sixteen controls with their labels, positions, items and filters, and the
// two buttons. Positions are pixels at 96 dpi within the page or panel; texts are UTF-8.

#include "ConfigField.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The controls that show a field, in the order LoadConfig sets them.
enum class ControlId : std::uint8_t
{
    edt1,
    edt2,
    edt3,
    cbIPMode,
    edt4,
    edt5,
    cbb1,
    cbb2,
    edt6,
    edt7,
    edt8,
    edt9,
    cbb3,
    cbb4,
    cbb5,
    StopCbb,
};
inline constexpr std::size_t kControlCount = 16;

constexpr std::size_t controlIndex(ControlId id)
{
    return static_cast<std::size_t>(id);
}

enum class DialogPage : std::uint8_t
{
    Network, // ts1 "网络设置", shown first
    Serial,  // ts2 "串口设置"
};

enum class ControlKind : std::uint8_t
{
    Edit,
    List, // pick-only drop-down list
};

// What a field lets through, character by character (see TcpSetModel::acceptsChar).
enum class TypedChars : std::uint8_t
{
    Any,
    Digits,            // local port
    DigitsAndFullStop, // addresses and the target port
};

// The form a changed field must have before anything is written.
enum class FieldForm : std::uint8_t
{
    Free,       // any text
    DottedIpv4, // four decimal parts 0 to 255
    Port,       // decimal 0 to 65535
};

struct FormRect
{
    int left;
    int top;
    int width;
    int height;
};

struct ControlSpec
{
    ControlId id;
    std::string_view name; // "edt4": the control's name on every front-end
    DialogPage page;
    ControlKind kind;
    std::string_view labelName; // "lbl4"
    std::string_view label;     // "IP地址：", also the start of its field messages
    int labelLeft;
    int labelTop;
    FormRect bounds;
    int tabOrder;                            // within its page
    std::span<const std::string_view> items; // lists only
    TypedChars accepts;
    FieldForm form;
    ConfigField field;
};

// The sixteen controls, indexed by controlIndex().
const std::array<ControlSpec, kControlCount>& controlTable();
const ControlSpec& controlSpec(ControlId id);

// The window: outer size 525 x 421 (client 517 x 394), centred, topmost; the pages fill
// the client area above the panel.
inline constexpr int kDialogOuterWidth = 525;
inline constexpr int kDialogOuterHeight = 421;
inline constexpr int kDialogClientWidth = 517;
inline constexpr int kDialogClientHeight = 394;
inline constexpr int kDialogFontPixels = 11; // "MS Sans Serif", 8 pt
inline constexpr int kPanelHeight = 41;      // pnl1, full width at the bottom
inline constexpr int kFieldHeight = 21;      // every edit and list

struct ButtonSpec
{
    std::string_view name;    // "btn3"
    std::string_view caption; // with "&" before the access key
    FormRect bounds;          // within pnl1
    bool isDefault;           // Enter activates it
    bool isCancel;            // Esc activates it
};

// btn3 "确定(&O)" then btn4 "取消(&C)", in tab order.
const std::array<ButtonSpec, 2>& buttonTable();

// The window's tab order across pages: the nine edits top to bottom, cbb1, cbb2,
// cbIPMode, the serial page's lists, then the buttons.
const std::array<ControlId, kControlCount>& tabOrder();
