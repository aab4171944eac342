#include "TcpIpForm.h"

#include "DialogTexts.h"

#include <algorithm>

namespace {

constexpr int kGroupWidth = 393;
constexpr int kPanelWidth = 104;
constexpr int kButtonWidth = 89;
constexpr int kButtonHeight = 25;

constexpr std::array<ColumnSpec, 2> kColumns{{
    {texts::kIpColumn, 100, ColumnAlign::Left},
    {texts::kMacColumn, 100, ColumnAlign::Centre},
}};

// The three buttons are not quite aligned in the form; kept as it places them.
constexpr std::array<MainButtonSpec, 3> kMainButtons{{
    {MainButton::btn1, "btn1", texts::kSearchButton, {8, 16, kButtonWidth, kButtonHeight}},
    {MainButton::btn2, "btn2", texts::kEditButton, {9, 48, kButtonWidth, kButtonHeight}},
    {MainButton::btn3, "btn3", texts::kExitButton, {6, 400, kButtonWidth, kButtonHeight}},
}};

constexpr std::array<ImagePoint, 3> kTick{{{3, 8.5}, {6.5, 12}, {13, 4}}};
constexpr std::array<ImagePoint, 2> kCrossDown{{{4, 4}, {12, 12}}};
constexpr std::array<ImagePoint, 2> kCrossUp{{{12, 4}, {4, 12}}};
constexpr std::array<std::span<const ImagePoint>, 1> kTickStrokes{{kTick}};
constexpr std::array<std::span<const ImagePoint>, 2> kCrossStrokes{{kCrossDown, kCrossUp}};

const ButtonImage kOkImage{kTickStrokes, {0, 128, 0}};
const ButtonImage kCancelImage{kCrossStrokes, {192, 0, 0}};

} // namespace

const std::array<ColumnSpec, 2>& columnTable()
{
    return kColumns;
}

const std::array<MainButtonSpec, 3>& mainButtonTable()
{
    return kMainButtons;
}

MainLayout mainLayout(int clientHeight)
{
    const int height = std::max(0, clientHeight);
    return {
        {0, 0, kGroupWidth, height},
        {2, 15, kGroupWidth - 4, std::max(0, height - 17)},
        {kGroupWidth, 0, kPanelWidth, height},
    };
}

const ButtonImage& okImage()
{
    return kOkImage;
}

const ButtonImage& cancelImage()
{
    return kCancelImage;
}
