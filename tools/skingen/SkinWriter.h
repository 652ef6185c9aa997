#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Collects the statements of skin.ini while the generator draws, saves every
// image it is given under the skin folder, and writes the description at the end.
// At scale 2 it saves each image as the twin of its path and writes no
// description: the twins share the description of the images at scale 1.
class SkinWriter {
public:
    explicit SkinWriter(QString folder, int scale = 1);

    void Section(const QString& element, const QString& comment = {});
    void Long(const QString& property, long value);
    void Colour(const QString& property, QRgb rgb);
    void String(const QString& property, const QString& text);
    // Saves `image` as a 32-bit top-down BMP at `path` (backslashes, relative
    // to the skin folder) and records IMAGE(element::property, path).
    void Image(const QString& property, const QString& path, const QImage& image);
    void Icon(const QString& property, const QString& path, const QImage& image);

    // Writes skin.ini with `header` as its leading comment block; false with a
    // message on stderr when a file cannot be written.
    bool Finish(const QString& header);
    bool Ok() const { return ok_; }
    const QStringList& Statements() const { return lines_; }

private:
    void Statement(const char* keyword, const QString& property, const QString& value);
    // Writes `bytes` as the file at `path` (backslashes, relative to the skin folder).
    void WriteFile(const QString& path, const QByteArray& bytes);

    QString folder_;
    int scale_;
    QString element_;
    QStringList lines_;
    bool ok_ = true;
};
