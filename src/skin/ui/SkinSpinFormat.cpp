#include "skin/ui/SkinSpinFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {
constexpr int kMaxTextLength = 1024;
constexpr int kMaxWidth = 64; // widths and precisions beyond this are a typo

// One "%[flags][width][.precision]conversion" inside a pattern.
struct Conversion {
    qsizetype start = -1, end = -1; // [start, end) in the pattern
    QString flags;
    int width = 0;
    int precision = -1;
    QChar type;
};

int ReadCount(const QString& format, qsizetype& at)
{
    int count = 0;
    while (at < format.size() && format[at].isDigit())
        count = std::min(count * 10 + format[at++].digitValue(), kMaxWidth);
    return count;
}

// The first conversion of the pattern, if any.
Conversion FindConversion(const QString& format)
{
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != QLatin1Char('%'))
            continue;
        if (i + 1 < format.size() && format[i + 1] == QLatin1Char('%')) {
            ++i;
            continue;
        }
        Conversion c;
        c.start = i;
        qsizetype at = i + 1;
        while (at < format.size() && QStringLiteral("-+ 0#").contains(format[at]))
            c.flags += format[at++];
        c.width = ReadCount(format, at);
        if (at < format.size() && format[at] == QLatin1Char('.')) {
            ++at;
            c.precision = ReadCount(format, at);
        }
        if (at < format.size()) {
            c.type = format[at];
            c.end = at + 1;
        }
        return c;
    }
    return {};
}

// The literal text of a pattern part: "%%" becomes "%".
QString Literal(const QString& part)
{
    return QString(part).replace(QStringLiteral("%%"), QStringLiteral("%"));
}

QString Assemble(const QString& format, const Conversion& c, const QString& shown)
{
    return Literal(format.left(c.start)) + shown + Literal(format.mid(c.end));
}

QString Spec(const Conversion& c, const char* length, QChar type)
{
    QString spec = QLatin1Char('%') + c.flags;
    if (c.width > 0)
        spec += QString::number(c.width);
    if (c.precision >= 0)
        spec += QLatin1Char('.') + QString::number(c.precision);
    return spec + QLatin1String(length) + type;
}

QString Pad(const Conversion& c, QString text)
{
    if (c.precision >= 0)
        text.truncate(c.precision);
    if (text.size() < c.width) {
        const QString fill(c.width - text.size(), QLatin1Char(' '));
        text = c.flags.contains(QLatin1Char('-')) ? text + fill : fill + text;
    }
    return text;
}
} // namespace

QString FormatSpinNumber(const QString& format, double value)
{
    const Conversion c = FindConversion(format);
    if (c.end < 0)
        return Literal(format);
    const QString type = QStringLiteral("fFeEgG");
    if (type.contains(c.type))
        return Assemble(format, c, QString::asprintf(Spec(c, "", c.type).toLatin1().constData(), value));
    if (c.type == QLatin1Char('d') || c.type == QLatin1Char('i')) {
        const double bounded = std::isfinite(value) ? std::clamp(std::trunc(value), -9.0e18, 9.0e18) : 0.0;
        const auto whole = static_cast<long long>(bounded);
        return Assemble(format, c, QString::asprintf(Spec(c, "ll", QLatin1Char('d')).toLatin1().constData(), whole));
    }
    return Literal(format);
}

int SpinFormatDecimals(const QString& format)
{
    const Conversion c = FindConversion(format);
    if (c.end < 0 || !QStringLiteral("fFeEgG").contains(c.type))
        return 0;
    return c.precision >= 0 ? c.precision : 6;
}

QString FormatSpinText(const QString& format, const QString& text)
{
    const Conversion c = FindConversion(format);
    if (c.end < 0 || c.type != QLatin1Char('s'))
        return Literal(format);
    return Assemble(format, c, Pad(c, text));
}

std::optional<double> ReadSpinNumber(const QString& text)
{
    if (text.size() > kMaxTextLength)
        return std::nullopt;
    const std::string latin = text.trimmed().toStdString();
    const char* first = latin.data();
    const char* last = latin.data() + latin.size();
    if (first != last && *first == '+')
        ++first;
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc() || end == first || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}
