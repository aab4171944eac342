#pragma once
// The main window's form as data, for every front-end to render: its size, the group with
// the list and its columns, the panel with its three buttons, and where each member sits
// at a given client height. Also the settings dialog's two button images. Positions are
// pixels at 96 dpi; texts are UTF-8.

#include "TcpSetForm.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// Outer size 506 x 461 (client 498 x 434), centred when first shown, resizable.
inline constexpr int kMainOuterWidth = 506;
inline constexpr int kMainOuterHeight = 461;
inline constexpr int kMainClientWidth = 498;
inline constexpr int kMainClientHeight = 434;

struct Rgb
{
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

enum class ColumnAlign : std::uint8_t
{
    Left,
    Centre,
};

struct ColumnSpec
{
    std::string_view caption;
    int width;
    ColumnAlign align; // the caption's and the rows' texts
};

// "IP地址" then "物理地址".
const std::array<ColumnSpec, 2>& columnTable();

// The text colour of a row whose address another module shares.
inline constexpr Rgb kSharedIpColour{176, 64, 0};

// The three buttons of pnl1, in tab order (after lv1).
enum class MainButton : std::uint8_t
{
    btn1, // "搜索设备"
    btn2, // "设置设备"
    btn3, // "退出"
};

struct MainButtonSpec
{
    MainButton id;
    std::string_view name;
    std::string_view caption;
    FormRect bounds; // within pnl1
};

const std::array<MainButtonSpec, 3>& mainButtonTable();

// Where the members sit at a client height: grp1 and pnl1 follow the height at fixed widths,
// lv1 fills the group, the buttons stay put. Rects are within the window except lv1 (within
// grp1) and the buttons (within pnl1).
struct MainLayout
{
    FormRect grp1;
    FormRect lv1;
    FormRect pnl1;
};
MainLayout mainLayout(int clientHeight);

// A button image: strokes in a 16 x 16 square, drawn with a round pen of width penWidth
// in colour; its disabled form in kDisabledImageColour.
struct ImagePoint
{
    double x;
    double y;
};
struct ButtonImage
{
    std::span<const std::span<const ImagePoint>> strokes; // each a polyline
    Rgb colour;
};
inline constexpr int kButtonImageSize = 16;
inline constexpr double kButtonImagePen = 2.5;
inline constexpr Rgb kDisabledImageColour{128, 128, 128};

// The green tick of "确定(&O)" and the red cross of "取消(&C)".
const ButtonImage& okImage();
const ButtonImage& cancelImage();
