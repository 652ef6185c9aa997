#include "SkinWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

#include <cstdio>

SkinWriter::SkinWriter(QString folder)
    : folder_(std::move(folder))
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

bool SkinWriter::Save(const QString& path, const QImage& image, const char* format)
{
    const QString file = folder_ + '/' + QString(path).replace('\\', '/');
    QDir().mkpath(QFileInfo(file).path());
    QImageWriter writer(file, format);
    if (!writer.write(image)) {
        std::fprintf(stderr, "skingen: cannot write %s: %s\n", qPrintable(file),
                     qPrintable(writer.errorString()));
        ok_ = false;
        return false;
    }
    return true;
}

void SkinWriter::Image(const QString& property, const QString& path, const QImage& image)
{
    // Plain 24-bit pixels: no alpha, so mask colours stay exact.
    Save(path, image.convertToFormat(QImage::Format_RGB32), "bmp");
    Statement("IMAGE", property, '"' + path + '"');
}

void SkinWriter::Icon(const QString& property, const QString& path, const QImage& image)
{
    Save(path, image.convertToFormat(QImage::Format_ARGB32), "ico");
    Statement("ICON", property, '"' + path + '"');
}

bool SkinWriter::Finish(const QString& header)
{
    QFile file(folder_ + "/skin.ini");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    const QString text = header + lines_.join('\n') + '\n';
    file.write(text.toLatin1());
    return ok_;
}
