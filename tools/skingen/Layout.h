#pragma once

#include <QRect>

// Where everything sits in the main window (783 x 470) and in the page area.
// The skin's backgrounds are drawn around these rectangles and skin.ini gives
// the same numbers to the controls, so the two cannot disagree.
namespace layout {
inline constexpr QSize kWindow{783, 470};
inline constexpr QRect kLeds{14, 14, 489, 136};
inline constexpr QRect kWordmark{517, 12, 196, 24};
inline constexpr QRect kMinimise{717, 12, 24, 22};
inline constexpr QRect kExit{745, 12, 24, 22};
inline constexpr QRect kConnect{517, 46, 252, 38};
inline constexpr QRect kCompareLabel{517, 92, 252, 12};
inline constexpr QRect kButtonA{517, 108, 123, 32};
inline constexpr QRect kButtonB{646, 108, 123, 32};
inline constexpr int kDividerY = 162;
inline constexpr QRect kViewPages{14, 176, 99, 26};
inline constexpr QRect kViewPresets{115, 176, 99, 26};
inline constexpr QRect kListPanel{14, 208, 200, 210};
inline constexpr QRect kTree{16, 210, 180, 206};
inline constexpr QRect kScrollUp{198, 210, 14, 102};
inline constexpr QRect kScrollDown{198, 314, 14, 102};
inline constexpr int kPresetIconTop = 426;
inline constexpr QSize kPresetIcon{36, 30};
inline constexpr int kPresetIconStep = 41;
inline constexpr QRect kFrame{229, 176, 540, 280};

// Inside the page area (page and settings panel coordinates).
inline constexpr int kCaptionBand = 24;
inline constexpr QRect kConnectGroup{16, 40, 300, 56};
inline constexpr int kSettingsLabelX = 332;
inline constexpr int kSettingsLabelWidth = 76;
inline constexpr int kSettingsEditX = 416;
inline constexpr QSize kSettingsEdit{108, 22};
inline constexpr int kSettingsRows[4] = {48, 84, 120, 156}; // host, port, lock code, profile name
inline constexpr QRect kProfileList{16, 152, 300, 88};
inline constexpr QSize kProfileButton{60, 22};
inline constexpr int kProfileButtonsTop = 192;
// Off/On for reconnecting by itself, a row of the right column under the profile buttons.
inline constexpr int kReconnectRow = kProfileButtonsTop + 36;
inline constexpr QRect kReconnectGroup{kSettingsEditX, kReconnectRow - 2, kSettingsEdit.width(),
                                       kSettingsEdit.height() + 4};

// Progress window.
inline constexpr QSize kWait{320, 120};
inline constexpr QRect kProgressBar{16, 72, 288, 16};
inline constexpr QSize kProgressPiece{20, 12}; // 18 lit pixels and a 2-pixel gap
inline constexpr int kProgressPieces = 14;
} // namespace layout
