#pragma once

class CSkinManager;
class QWidget;

// Gives a plain Qt window (a message box, the debug window) the skin's look:
// its panel, text, selection and accent colours and its text font, so it does
// not stand out light grey over the skinned main window. Texts, buttons and
// keys stay the window's own.
void ApplySkinLook(QWidget& window, CSkinManager& manager);
