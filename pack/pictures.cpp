// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/pictures.h"

#include "bank/picturecheck.h"
#include "bank/rules.h"
#include "bank/sourcefile.h"
#include "engine/controls.h"
#include "pack/importer.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QStringList>
#include <QtEndian>

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

constexpr int JpegQuality = 85;

// The window's picture box, in pixels, as the window lays it out.
QSize figureBox()
{
    static const QSize box = figureBoxRect().size();
    return box;
}

ConvertedPicture refused(const QString &why)
{
    return {{}, why};
}

// JPEG has no transparency: what is transparent shows the white of the picture box.
QImage onWhite(const QImage &image)
{
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, image);
    return flat;
}

// The pixels an image's LZW data gives, counted from the length of each code's string without making
// the strings; nothing when a code stands for no string yet. Counted as Qt's reader decodes them.
std::optional<qint64> lzwPixels(const QByteArray &data, int minimumBits)
{
    if (minimumBits < 1 || minimumBits > 11)
        return std::nullopt;
    constexpr int MostCodes = 4096;
    const int clear = 1 << minimumBits;
    const int end = clear + 1;
    std::array<qint64, MostCodes> lengths;
    lengths.fill(1);
    int bits = minimumBits + 1;
    int next = clear + 2;
    int previous = -1;
    qint64 pixels = 0;
    quint32 buffer = 0;
    int buffered = 0;
    for (const char byte : data) {
        buffer |= quint32(quint8(byte)) << buffered;
        buffered += 8;
        while (buffered >= bits) {
            const int code = int(buffer & ((1u << bits) - 1));
            buffer >>= bits;
            buffered -= bits;
            if (code == clear) {
                bits = minimumBits + 1;
                next = clear + 2;
                previous = -1;
                continue;
            }
            if (code == end)
                return pixels;
            if (previous < 0) {
                if (code > clear)
                    return std::nullopt;
                pixels += 1;
                previous = code;
                continue;
            }
            if (code > next || (code == next && next >= MostCodes))
                return std::nullopt;
            const qint64 length =
                code == next ? lengths[std::size_t(previous)] + 1 : lengths[std::size_t(code)];
            if (next < MostCodes) {
                lengths[std::size_t(next)] = lengths[std::size_t(previous)] + 1;
                if (++next == 1 << bits && bits < 12)
                    ++bits;
            }
            pixels += length;
            previous = code;
        }
    }
    return pixels;
}

// Why a GIF is damaged, or nothing: every block whole up to the trailer, and each image's data giving
// all its pixels. Qt's reader shows a GIF cut short without a word, the missing part in one colour.
std::optional<QString> gifDamage(const QByteArray &gif)
{
    const qsizetype size = gif.size();
    auto byte = [&](qsizetype at) { return at < size ? int(quint8(gif[at])) : -1; };
    auto word = [&](qsizetype at) { return byte(at) | (byte(at + 1) << 8); };
    auto colourTable = [](int flags) { return (flags & 0x80) ? qsizetype(3) << ((flags & 7) + 1) : 0; };
    const QString cut = u"повреден файл (свършва, преди да е цял)"_s;
    // The sub-blocks from `at`, up to the empty one; where they end, or -1 past the end of the file.
    auto blocks = [&](qsizetype at, QByteArray *data) -> qsizetype {
        for (int length = byte(at); length > 0; length = byte(at)) {
            if (at + 1 + length > size)
                return -1;
            if (data)
                data->append(gif.constData() + at + 1, length);
            at += 1 + length;
        }
        return byte(at) == 0 ? at + 1 : -1;
    };
    qsizetype at = 13 + colourTable(byte(10));
    while (true) {
        switch (byte(at)) {
        case 0x3B:
            return std::nullopt;
        case 0x21:
            at = blocks(at + 2, nullptr);
            break;
        case 0x2C: {
            const qint64 area = qint64(word(at + 5)) * word(at + 7);
            at += 10 + colourTable(byte(at + 9));
            const int minimumBits = byte(at);
            QByteArray data;
            at = blocks(at + 1, &data);
            if (at < 0)
                return cut;
            const std::optional<qint64> pixels = lzwPixels(data, minimumBits);
            if (!pixels)
                return u"повреден файл (нарушени данни)"_s;
            if (*pixels < area)
                return cut;
            break;
        }
        case -1:
            return cut;
        default:
            return u"повреден файл (непознат блок)"_s;
        }
        if (at < 0)
            return cut;
    }
}

// Whether a PNG runs whole from its signature to its last chunk, IEND: its decoder does not read as far.
bool pngWhole(QByteArrayView png)
{
    if (!png.startsWith("\x89PNG\r\n\x1a\n"))
        return false;
    for (qsizetype at = 8;;) {
        if (png.size() - at < 12)
            return false;
        const quint32 length = qFromBigEndian<quint32>(png.data() + at);
        if (length > quint64(png.size() - at - 12))
            return false;
        if (png.sliced(at + 4, 4) == "IEND")
            return true;
        at += 12 + qsizetype(length);
    }
}

// Why a picture does not run whole to its end, or nothing.
std::optional<QString> cutShort(const QByteArray &bytes, const QByteArray &format)
{
    if (format == "gif")
        return gifDamage(bytes);
    if ((format == "png" && !pngWhole(bytes)) || (format == "jpeg" && !jpegWhole(bytes)))
        return u"повреден файл (свършва, преди да е цял)"_s;
    return std::nullopt;
}

// The memory a picture takes decoded whole, from what its header declares.
qint64 decodedBytes(const QImageReader &reader, QSize size)
{
    const int bits = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
    return qint64(size.width()) * size.height() * (bits > 0 ? bits : 32) / 8;
}

ConvertedPicture convert(const QByteArray &bytes, qint64 budget, qint64 *decodedLeft)
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
    if (stored.width() > limits::PictureSide || stored.height() > limits::PictureSide)
        return refused(u"твърде голямо: %1 × %2, най-много %3 × %3"_s.arg(stored.width())
                           .arg(stored.height())
                           .arg(limits::PictureSide));
    if (const std::optional<QString> damage = cutShort(bytes, format))
        return refused(*damage);
    if (format != "jpeg") {
        const qint64 decoded = decodedBytes(reader, stored);
        if (decoded > *decodedLeft)
            return refused(
                u"изображенията PNG и GIF във файла заедно заемат разкодирани над %1 MB (това — %2 MB): "
                u"смалете ги, програмата показва всяко най-много %3 × %4 пиксела, или ги запишете като JPEG"_s
                    .arg(budget / (1024 * 1024))
                    .arg((decoded + 1024 * 1024 - 1) / (1024 * 1024))
                    .arg(figureBox().width())
                    .arg(figureBox().height()));
        *decodedLeft -= decoded;
    }
    // Decoded at the size it is shown at: a JPEG's decoder makes it smaller as it goes. The size asked
    // for is the picture's as stored, before it is turned upright.
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const QSize upright = turned ? stored.transposed() : stored;
    const bool fits = upright.width() <= figureBox().width() && upright.height() <= figureBox().height();
    if (!fits) {
        // Never thinner than a pixel, however long and narrow the picture.
        const QSize shown = upright.scaled(figureBox(), Qt::KeepAspectRatio).expandedTo({1, 1});
        reader.setScaledSize(turned ? shown.transposed() : shown);
    }
    QImage image;
    {
        const DecoderWarnings warnings;
        image = reader.read();
        if (image.isNull())
            return refused(u"повреден файл (%1)"_s.arg(reader.errorString()));
        if (!warnings.messages().isEmpty())
            return refused(u"повреден файл (%1)"_s.arg(warnings.messages().first()));
    }
    // A picture that already meets the bank's rules is never encoded again: a test saved and opened
    // any number of times keeps it byte for byte.
    if (format == "jpeg" && fits && bytes.size() <= limits::PictureBytes &&
        reader.transformation() == QImageIOHandler::TransformationNone)
        return {bytes, {}};
    QByteArray jpeg;
    QBuffer out(&jpeg);
    out.open(QIODevice::WriteOnly);
    QImageWriter writer(&out, "jpeg");
    writer.setQuality(JpegQuality);
    if (!writer.write(onWhite(image)))
        return refused(u"не може да се запише като JPEG (%1)"_s.arg(writer.errorString()));
    return {jpeg, {}};
}

} // namespace

ConvertedPicture toFittingJpeg(const QByteArray &bytes)
{
    return PictureConverter().convert(bytes);
}

ConvertedPicture PictureConverter::convertFile(const QString &name)
{
    if (m_folder.isEmpty())
        return {};
    const QByteArray key = u"file:"_s.append(name).toUtf8();
    if (const auto done = m_converted.constFind(key); done != m_converted.constEnd())
        return *done;
    const SourceFile file = readSourceFile(m_folder, name, MaxPictureBytes);
    // Checked when the source was read: it has changed since.
    const ConvertedPicture converted =
        file.problem.isEmpty() ? morv::convert(file.bytes, m_budget, &m_decodedLeft)
                               : refused(u"файлът се е променил, докато е четен: проверете файла отново"_s);
    m_converted.insert(key, converted);
    return converted;
}

ConvertedPicture PictureConverter::convert(const QByteArray &bytes)
{
    const QByteArray key = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    if (const auto done = m_converted.constFind(key); done != m_converted.constEnd())
        return *done;
    const ConvertedPicture converted = morv::convert(bytes, m_budget, &m_decodedLeft);
    m_converted.insert(key, converted);
    return converted;
}

std::vector<TestQuestion> withShownPictures(std::vector<TestQuestion> questions, PictureConverter &pictures)
{
    for (QuestionSource &question : questions) {
        if (!question.pictureName.isEmpty())
            question.picture = (question.picture.isEmpty() ? pictures.convertFile(question.pictureName)
                                                           : pictures.convert(question.picture))
                                   .jpeg;
    }
    return questions;
}

void convertPictures(TestDocument &source, QList<Problem> &problems, const std::vector<int> &numbers,
                     PictureConverter &pictures)
{
    for (std::size_t i = 0; i < source.questions.size(); ++i) {
        QuestionSource &question = source.questions[i];
        if (question.pictureName.isEmpty())
            continue;
        const ConvertedPicture converted = question.picture.isEmpty()
                                               ? pictures.convertFile(question.pictureName)
                                               : pictures.convert(question.picture);
        if (!converted.problem.isEmpty())
            problems.append(
                {.rule = Rule::Picture,
                 .line = question.line,
                 .question = numbers[i],
                 .text = u"изображението „%1“: %2"_s.arg(question.pictureName, converted.problem)});
        question.picture = converted.jpeg;
        question.pictureName = u"pictures/q%1.jpg"_s.arg(int(i + 1), 2, 10, QChar(u'0'));
    }
}

} // namespace morv
