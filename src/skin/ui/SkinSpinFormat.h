#pragma once

#include <QString>

#include <optional>

// The texts a spin field shows, from the field's printf-style pattern: one
// conversion (%f, %e, %g or %d for numbers, %s for list texts) with optional
// flags, width and precision, and literal text around it ("%%" for a percent
// sign). A conversion the value cannot take is shown as written rather than
// handed to the C library, so a wrong pattern never reads a wrong argument.
QString FormatSpinNumber(const QString& format, double value);
QString FormatSpinText(const QString& format, const QString& text);

// The decimals a number pattern shows: its precision, 6 for %f, %e and %g
// without one, 0 for %d and for a pattern without a number conversion.
int SpinFormatDecimals(const QString& format);

// A field's typed text as a number: the whole text (blanks around it aside)
// must be one finite decimal number; none when it is empty or anything else.
std::optional<double> ReadSpinNumber(const QString& text);
