// The controls of the main window as data, in creation order, which is also the Tab order.
// Positions are in twips from the client area's top-left corner (the frame's offset included).
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

#include "netconfig/address_fields.h"

// Consecutive from Command2: a control's window is found at (id - Command2), and Text1..Text5
// follow one another as the fields do. Never IDOK (1) or IDCANCEL (2).
enum class ControlId : int {
    Command2 = 100,
    Combo1,
    Text1,
    Text2,
    Text3,
    Text4,
    Text5,
    Label1,
    Label2,
    Label3,
    Label4,
    Label5,
    Label6,
    Command5,
    Command1,
    Command4,
    Command3,
    Combo2,
    Label7,
    Frame1,
};
inline constexpr int kFirstControlId = static_cast<int>(ControlId::Command2);

enum class ControlKind { Label, Combo, Frame, Edit, Button };
enum class FontFace { Default, SimSun, SimSunBold, YaHei };
enum class TextColor { System, Red, Magenta };

struct ControlSpec {
    ControlId id;
    ControlKind kind;
    std::wstring_view caption;
    int leftTwips;
    int topTwips;
    int widthTwips;
    int heightTwips;
    FontFace font;
    TextColor color;
    bool centred;
};

inline constexpr int kClientWidthTwips = 5775;
inline constexpr int kClientHeightTwips = 5835;
inline constexpr int kFrameLeftTwips = 240;
inline constexpr int kFrameTopTwips = 840;

[[nodiscard]] constexpr std::wstring_view DefaultText(Field field) {
    return kDefaultFieldTexts[static_cast<size_t>(field)];
}

// The frame's own controls are siblings placed over it; the frame comes last so it lies below them.
// Each label comes just before the control it names: a screen reader names an edit or a combo
// after the window before it.
// One control a line:
// clang-format off
inline constexpr std::array<ControlSpec, 20> kControls = {{
    {ControlId::Command2, ControlKind::Button, L"退出", 3000, 5040, 2535, 495, FontFace::Default, TextColor::System, false},
    {ControlId::Label6, ControlKind::Label, L"选择方案", 720, 480, 1455, 375, FontFace::SimSunBold, TextColor::Red, true},
    {ControlId::Combo1, ControlKind::Combo, L"", 2280, 480, 2775, 330, FontFace::SimSun, TextColor::Red, false},
    {ControlId::Label1, ControlKind::Label, L"ip地址：", kFrameLeftTwips + 480, kFrameTopTwips + 360, 855, 375, FontFace::YaHei, TextColor::System, false},
    {ControlId::Text1, ControlKind::Edit, DefaultText(Field::Ip), kFrameLeftTwips + 2160, kFrameTopTwips + 360, 2655, 375, FontFace::YaHei, TextColor::System, true},
    {ControlId::Label2, ControlKind::Label, L"掩码：", kFrameLeftTwips + 480, kFrameTopTwips + 840, 975, 495, FontFace::YaHei, TextColor::System, false},
    {ControlId::Text2, ControlKind::Edit, DefaultText(Field::Mask), kFrameLeftTwips + 2160, kFrameTopTwips + 840, 2655, 375, FontFace::YaHei, TextColor::System, true},
    {ControlId::Label3, ControlKind::Label, L"网关：", kFrameLeftTwips + 480, kFrameTopTwips + 1320, 975, 495, FontFace::YaHei, TextColor::System, false},
    {ControlId::Text3, ControlKind::Edit, DefaultText(Field::Gateway), kFrameLeftTwips + 2160, kFrameTopTwips + 1320, 2655, 375, FontFace::YaHei, TextColor::System, true},
    {ControlId::Label4, ControlKind::Label, L"首选DNS：", kFrameLeftTwips + 480, kFrameTopTwips + 1800, 1575, 495, FontFace::YaHei, TextColor::System, false},
    {ControlId::Text4, ControlKind::Edit, DefaultText(Field::PreferredDns), kFrameLeftTwips + 2160, kFrameTopTwips + 1800, 2655, 375, FontFace::YaHei, TextColor::System, true},
    {ControlId::Label5, ControlKind::Label, L"备用DNS：", kFrameLeftTwips + 480, kFrameTopTwips + 2280, 1455, 375, FontFace::YaHei, TextColor::System, false},
    {ControlId::Text5, ControlKind::Edit, DefaultText(Field::AlternateDns), kFrameLeftTwips + 2160, kFrameTopTwips + 2280, 2655, 375, FontFace::YaHei, TextColor::System, true},
    {ControlId::Command5, ControlKind::Button, L"添加为新方案", 240, 4320, 1695, 495, FontFace::Default, TextColor::System, false},
    {ControlId::Command1, ControlKind::Button, L"删除方案", 2040, 4320, 1695, 495, FontFace::Default, TextColor::System, false},
    {ControlId::Command4, ControlKind::Button, L"修改为DHCP", 3840, 4320, 1695, 495, FontFace::Default, TextColor::System, false},
    {ControlId::Command3, ControlKind::Button, L"应用方案", 240, 5040, 2535, 495, FontFace::Default, TextColor::System, false},
    {ControlId::Label7, ControlKind::Label, L"选择网卡", 720, 120, 1455, 375, FontFace::SimSunBold, TextColor::Magenta, true},
    {ControlId::Combo2, ControlKind::Combo, L"", 2280, 120, 2775, 330, FontFace::SimSun, TextColor::Red, false},
    {ControlId::Frame1, ControlKind::Frame, L"显示区", kFrameLeftTwips, kFrameTopTwips, 5295, 3135, FontFace::SimSunBold, TextColor::Red, false},
}};
// clang-format on

// What Form_Load needs before the welcome box: the exit button (it gets the focus), the scheme
// list and the five fields, that is the table's rows up to Text5 but their labels. The rest of
// the table is made while the box is on screen.
inline constexpr size_t kRowsUpToText5 = 13;
static_assert(kControls[kRowsUpToText5 - 1].id == ControlId::Text5);
[[nodiscard]] constexpr bool NeededByFormLoad(size_t row) {
    return row < kRowsUpToText5 && kControls[row].kind != ControlKind::Label;
}

// Rounds like MulDiv: (twips * dpi + 720) / 1440.
[[nodiscard]] constexpr int TwipsToPixels(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

// A length at `fromDpi` at `toDpi`, rounded like MulDiv (half away from zero).
[[nodiscard]] constexpr int ScaleToDpi(int length, int fromDpi, int toDpi) {
    if (fromDpi <= 0) return length;
    const long long scaled = static_cast<long long>(length) * toDpi;
    return static_cast<int>(scaled >= 0 ? (scaled + fromDpi / 2) / fromDpi : -((-scaled + fromDpi / 2) / fromDpi));
}

// LOGFONT height of 10.5 pt: -MulDiv(105, dpi, 720).
[[nodiscard]] constexpr int FontHeight(int dpi) { return -((105 * dpi + 360) / 720); }

static_assert(static_cast<int>(ControlId::Frame1) - kFirstControlId + 1 == static_cast<int>(kControls.size()));
static_assert(static_cast<int>(ControlId::Text5) - static_cast<int>(ControlId::Text1) + 1 ==
              static_cast<int>(kFieldCount));
static_assert(kFirstControlId > 2);  // clear of IDOK and IDCANCEL

[[nodiscard]] constexpr const ControlSpec& FindControl(ControlId id) {
    for (const ControlSpec& spec : kControls)
        if (spec.id == id) return spec;
    return kControls[0];
}
