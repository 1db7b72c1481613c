// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/pictures.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

constexpr int JpegQuality = 85;

// A damaged JPEG still decodes, with a warning through Qt's messages: those are caught while decoding.
class DecoderWarnings
{
public:
    DecoderWarnings() : m_previous(qInstallMessageHandler(collect)) { s_current = this; }
    ~DecoderWarnings()
    {
        s_current = nullptr;
        qInstallMessageHandler(m_previous);
    }
    DecoderWarnings(const DecoderWarnings &) = delete;
    DecoderWarnings &operator=(const DecoderWarnings &) = delete;

    const QStringList &messages() const { return m_messages; }

private:
    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtWarningMsg || type == QtCriticalMsg)
            s_current->m_messages.append(message);
        else
            s_current->m_previous(type, context, message);
    }

    static inline DecoderWarnings *s_current = nullptr;
    QtMessageHandler m_previous;
    QStringList m_messages;
};

ConvertedPicture refused(const QString &why)
{
    return {{}, why};
}

// JPEG has no transparency: what is transparent shows the white of the picture box.
QImage onWhite(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage flat = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < flat.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(flat.scanLine(y));
        for (int x = 0; x < flat.width(); ++x) {
            const QRgb p = line[x];
            const int clear = 255 - qAlpha(p);
            line[x] = qRgb(qRed(p) + clear, qGreen(p) + clear, qBlue(p) + clear);
        }
    }
    return flat.convertToFormat(QImage::Format_RGB32);
}

} // namespace

ConvertedPicture toFittingJpeg(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return refused(u"празен файл"_s);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format != "jpeg" && format != "png" && format != "gif")
        return refused(u"не е JPEG, PNG или GIF"_s);
    // A photograph is shown upright, as its camera meant it.
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return refused(u"повреден файл"_s);
    if (stored.width() > MaxPictureSide || stored.height() > MaxPictureSide)
        return refused(u"твърде голямо: %1 × %2, най-много %3 × %3"_s.arg(stored.width())
                           .arg(stored.height())
                           .arg(MaxPictureSide));
    QImage image;
    {
        const DecoderWarnings warnings;
        image = reader.read();
        if (image.isNull())
            return refused(u"повреден файл (%1)"_s.arg(reader.errorString()));
        if (!warnings.messages().isEmpty())
            return refused(u"повреден файл (%1)"_s.arg(warnings.messages().first()));
    }
    const bool fits = image.width() <= FigureBox.width() && image.height() <= FigureBox.height();
    if (format == "jpeg" && fits && reader.transformation() == QImageIOHandler::TransformationNone)
        return {bytes, {}};
    if (!fits) {
        // Never thinner than a pixel, however long and narrow the picture.
        const QSize size = image.size().scaled(FigureBox, Qt::KeepAspectRatio).expandedTo({1, 1});
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QByteArray jpeg;
    QBuffer out(&jpeg);
    out.open(QIODevice::WriteOnly);
    QImageWriter writer(&out, "jpeg");
    writer.setQuality(JpegQuality);
    if (!writer.write(onWhite(image)))
        return refused(u"не може да се запише като JPEG (%1)"_s.arg(writer.errorString()));
    return {jpeg, {}};
}

} // namespace morv
