#pragma once

#include <QFont>

class CSkinClient;

// The font of a skinned control, made from its element's font keys (font,
// font_height, font_width, bold, italic, underline). Every skinned control
// builds its font here, so text looks the same wherever the skin says so.
//
// font_height is the text's pixel size (the shipped skin writes it so); a
// negative value counts the same, 0 keeps the application's size. font_width,
// when set, narrows or widens the glyphs towards that average width. An empty
// typeface name gives the platform's sans-serif face.
QFont SkinFont(const CSkinClient& client);
