// The controls of the main window as data, in creation order, which is also the Tab order.
// Positions are in twips from the client area's top-left corner (the frame's offset included).
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

enum class ControlId : int {  // never IDOK (1) or IDCANCEL (2)
    Command2 = 100, Combo1, Text1, Text2, Text3, Text4, Text5, Label1, Label2, Label3, Label4, Label5,
    Label6, Command5, Command1, Command4, Command3, Combo2, Label7, Frame1,
};

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

// The frame's own controls are siblings placed over it; the frame comes last so it lies below them.
inline constexpr std::array<ControlSpec, 20> kControls = {{
    {ControlId::Command2, ControlKind::Button, L"退出", 3000, 5040, 2535, 495, FontFace::Default, TextColor::System, false},
    {ControlId::Combo1, ControlKind::Combo, L"", 2280, 480, 2775, 330, FontFace::SimSun, TextColor::Red, false},
    {ControlId::Text1, ControlKind::Edit, L"0.0.0.0", kFrameLeftTwips + 2160, kFrameTopTwips + 360, 2655, 375, FontFace::YaHei, TextColor::System, true},
    {ControlId::Text2, ControlKind::Edit, L"255.255.255.0", kFrameLeftTwips + 2160, kFrameTopTwips + 840, 2655, 375, FontFace::YaHei, TextColor::System, true},
    {ControlId::Text3, ControlKind::Edit, L"0.0.0.0", kFrameLeftTwips + 2160, kFrameTopTwips + 1320, 2655, 375, FontFace::YaHei, TextColor::System, true},
    {ControlId::Text4, ControlKind::Edit, L"0.0.0.0", kFrameLeftTwips + 2160, kFrameTopTwips + 1800, 2655, 375, FontFace::YaHei, TextColor::System, true},
    {ControlId::Text5, ControlKind::Edit, L"114.114.114.114", kFrameLeftTwips + 2160, kFrameTopTwips + 2280, 2655, 375, FontFace::YaHei, TextColor::System, true},
    {ControlId::Label1, ControlKind::Label, L"ip地址：", kFrameLeftTwips + 480, kFrameTopTwips + 360, 855, 375, FontFace::YaHei, TextColor::System, false},
    {ControlId::Label2, ControlKind::Label, L"掩码：", kFrameLeftTwips + 480, kFrameTopTwips + 840, 975, 495, FontFace::YaHei, TextColor::System, false},
    {ControlId::Label3, ControlKind::Label, L"网关：", kFrameLeftTwips + 480, kFrameTopTwips + 1320, 975, 495, FontFace::YaHei, TextColor::System, false},
    {ControlId::Label4, ControlKind::Label, L"首选DNS：", kFrameLeftTwips + 480, kFrameTopTwips + 1800, 1575, 495, FontFace::YaHei, TextColor::System, false},
    {ControlId::Label5, ControlKind::Label, L"备用DNS：", kFrameLeftTwips + 480, kFrameTopTwips + 2280, 1455, 375, FontFace::YaHei, TextColor::System, false},
    {ControlId::Label6, ControlKind::Label, L"选择方案", 720, 480, 1455, 375, FontFace::SimSunBold, TextColor::Red, true},
    {ControlId::Command5, ControlKind::Button, L"添加为新方案", 240, 4320, 1695, 495, FontFace::Default, TextColor::System, false},
    {ControlId::Command1, ControlKind::Button, L"删除方案", 2040, 4320, 1695, 495, FontFace::Default, TextColor::System, false},
    {ControlId::Command4, ControlKind::Button, L"修改为DHCP", 3840, 4320, 1695, 495, FontFace::Default, TextColor::System, false},
    {ControlId::Command3, ControlKind::Button, L"应用方案", 240, 5040, 2535, 495, FontFace::Default, TextColor::System, false},
    {ControlId::Combo2, ControlKind::Combo, L"", 2280, 120, 2775, 330, FontFace::SimSun, TextColor::Red, false},
    {ControlId::Label7, ControlKind::Label, L"选择网卡", 720, 120, 1455, 375, FontFace::SimSunBold, TextColor::Magenta, true},
    {ControlId::Frame1, ControlKind::Frame, L"显示区", kFrameLeftTwips, kFrameTopTwips, 5295, 3135, FontFace::SimSunBold, TextColor::Red, false},
}};

// The controls Form_Load sets before the welcome box: Command2, Combo1 and Text1..Text5. The rest
// are made while the box is on screen (the table's order, and so the Tab order, stays).
inline constexpr size_t kControlsBeforeLoad = 7;
static_assert(kControls[kControlsBeforeLoad - 1].id == ControlId::Text5 && kControls[1].id == ControlId::Combo1);

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

[[nodiscard]] constexpr const ControlSpec& FindControl(ControlId id) {
    for (const ControlSpec& spec : kControls)
        if (spec.id == id) return spec;
    return kControls[0];
}
