#include "SkinWriter.h"

#include "skin/SkinFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

SkinWriter::SkinWriter(QString folder, int scale)
    : folder_(std::move(folder))
    , scale_(scale)
{
}

void SkinWriter::Section(const QString& element, const QString& comment)
{
    element_ = element;
    lines_ << QString();
    lines_ << QString("// %1%2").arg(element, comment.isEmpty() ? QString() : " - " + comment);
}

void SkinWriter::Statement(const char* keyword, const QString& property, const QString& value)
{
    lines_ << QString("%1(%2::%3, %4)").arg(keyword, element_, property, value);
}

void SkinWriter::Long(const QString& property, long value)
{
    Statement("LONG", property, QString::number(value));
}

void SkinWriter::Colour(const QString& property, QRgb rgb)
{
    const QString hex = QString("\"#%1%2%3\"")
                            .arg(qRed(rgb), 2, 16, QChar('0'))
                            .arg(qGreen(rgb), 2, 16, QChar('0'))
                            .arg(qBlue(rgb), 2, 16, QChar('0'))
                            .toUpper();
    Statement("LONG", property, hex);
}

void SkinWriter::String(const QString& property, const QString& text)
{
    Statement("STRING", property, '"' + text + '"');
}

namespace {

void Put16(QByteArray& out, int v)
{
    out.append(static_cast<char>(v & 0xFF)).append(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(QByteArray& out, qint64 v)
{
    Put16(out, static_cast<int>(v & 0xFFFF));
    Put16(out, static_cast<int>((v >> 16) & 0xFFFF));
}

// One 32-bit image in an icon file, written byte for byte so that the same
// picture always gives the same file (Qt's writer leaves mask padding unset).
QByteArray IconFile(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();
    const int maskRow = ((w + 31) / 32) * 4;
    const qint64 bytes = 40 + qint64(w) * h * 4 + qint64(maskRow) * h;
    QByteArray out;
    Put16(out, 0); Put16(out, 1); Put16(out, 1);                  // icon directory, one image
    out.append(static_cast<char>(w & 0xFF)).append(static_cast<char>(h & 0xFF)).append(2, '\0');
    Put16(out, 1); Put16(out, 32); Put32(out, bytes); Put32(out, 22);
    Put32(out, 40); Put32(out, w); Put32(out, 2 * h);             // bitmap header, height doubled
    Put16(out, 1); Put16(out, 32); Put32(out, 0); Put32(out, qint64(w) * h * 4);
    Put32(out, 0); Put32(out, 0); Put32(out, 0); Put32(out, 0);
    for (int y = h - 1; y >= 0; --y)                              // bottom-up BGRA
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y);
            out.append(static_cast<char>(qBlue(p))).append(static_cast<char>(qGreen(p)))
                .append(static_cast<char>(qRed(p))).append(static_cast<char>(qAlpha(p)));
        }
    out.append(maskRow * h, '\0');                                // alpha decides; the mask stays clear
    return out;
}

// Plain 32-bit pixels, top-down, with no alpha (mask colours stay exact) and
// the pixels on an eight-byte boundary: the skin manager uses such a file's
// pixels as they lie, without a copy. The file records no scale: a twin's
// name says it.
QByteArray BitmapFile(const QImage& image)
{
    constexpr int kPixelsAt = 56; // 54 bytes of headers and two of padding
    const int w = image.width();
    const int h = image.height();
    const qint64 pixelBytes = qint64(w) * h * 4;
    QByteArray out;
    out.append("BM");
    Put32(out, kPixelsAt + pixelBytes); Put32(out, 0); Put32(out, kPixelsAt);   // file header
    Put32(out, 40); Put32(out, w); Put32(out, -qint64(h));                       // bitmap header, rows top-down
    Put16(out, 1); Put16(out, 32); Put32(out, 0); Put32(out, pixelBytes);
    Put32(out, image.dotsPerMeterX()); Put32(out, image.dotsPerMeterY()); Put32(out, 0); Put32(out, 0);
    Put16(out, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y);
            out.append(static_cast<char>(qBlue(p))).append(static_cast<char>(qGreen(p)))
                .append(static_cast<char>(qRed(p))).append(static_cast<char>(0xFF));
        }
    return out;
}

} // namespace

void SkinWriter::Image(const QString& property, const QString& path, const QImage& image)
{
    Statement("IMAGE", property, '"' + path + '"');
    if (qRound(image.devicePixelRatio()) != scale_) {
        std::fprintf(stderr, "skingen: %s drawn at scale %g, not %d\n", qPrintable(path), image.devicePixelRatio(),
                     scale_);
        ok_ = false;
        return;
    }
    const QString file = scale_ == 1 ? path : QString::fromStdString(CSkinFiles::TwinPath(path.toStdString()));
    WriteFile(file, BitmapFile(image.convertToFormat(QImage::Format_RGB32)));
}

void SkinWriter::Icon(const QString& property, const QString& path, const QImage& image)
{
    // Icons are drawn once: Qt picks among the sizes an icon file holds.
    if (scale_ != 1) {
        Statement("ICON", property, '"' + path + '"');
        return;
    }
    WriteFile(path, IconFile(image));
    Statement("ICON", property, '"' + path + '"');
}

void SkinWriter::WriteFile(const QString& path, const QByteArray& bytes)
{
    const QString file = folder_ + '/' + QString(path).replace('\\', '/');
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(file));
        ok_ = false;
    }
}

bool SkinWriter::Finish(const QString& header)
{
    if (scale_ != 1)
        return ok_;
    QFile file(folder_ + "/skin.ini");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    const QString text = header + lines_.join('\n') + '\n';
    file.write(text.toLatin1());
    return ok_;
}
