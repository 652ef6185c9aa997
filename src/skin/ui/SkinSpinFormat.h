#pragma once

#include <QString>

// The texts a spin field shows, from the field's printf-style pattern: one
// conversion (%f, %e, %g or %d for numbers, %s for list texts) with optional
// flags, width and precision, and literal text around it ("%%" for a percent
// sign). A conversion the value cannot take is shown as written rather than
// handed to the C library, so a wrong pattern never reads a wrong argument.
QString FormatSpinNumber(const QString& format, double value);
QString FormatSpinText(const QString& format, const QString& text);

// A field's typed text as a number: the leading decimal number (sign, digits,
// a point, an exponent), 0 when there is none. Reads at most 1024 characters.
double ReadSpinNumber(const QString& text);
