// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The packer's picture conversion: a fitting JPEG kept, anything larger scaled down into the picture
// box, anything that is not a sound JPEG, PNG or GIF refused.
#include "bank/picturecheck.h"
#include "pack/pictures.h"
#include "tests/support/rows.h"
#include "tests/support/testbank.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace morv;

namespace {

using morv::test::PrintTo;
using morv::test::RowName;

// A picture with detail everywhere, so that a cut copy cannot decode cleanly.
QImage drawing(QSize size, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, format);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 13) % 256, ((x ^ y) * 5) % 256));
    }
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format, 90));
    return bytes;
}

// A GIF whose pixels run through 128 colours, written without compression: every pixel a code of its
// own, 8 bits long, the table cleared before its codes would grow longer. Qt writes no GIF.
QByteArray gifPicture(QSize size)
{
    QByteArray gif("GIF89a");
    auto word = [&](int value) {
        gif.append(char(value & 0xFF));
        gif.append(char(value >> 8));
    };
    word(size.width());
    word(size.height());
    gif.append("\x86\0\0", 3); // a table of 128 colours
    for (int c = 0; c < 128; ++c) {
        gif.append(char(c * 2));
        gif.append(char(255 - c * 2));
        gif.append(char(c * 37 % 256));
    }
    gif.append(',');
    word(0);
    word(0);
    word(size.width());
    word(size.height());
    gif.append('\0');
    gif.append(char(7)); // codes of 8 bits: 128 colours, clear and end
    QByteArray codes(1, char(128));
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            if (codes.size() % 126 == 0)
                codes.append(char(128));
            codes.append(char((x * 7 + y * 13) % 128));
        }
    }
    codes.append(char(129));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        gif.append(char(block.size()));
        gif.append(block);
    }
    gif.append("\0;", 2);
    return gif;
}

// A 1 × 1 GIF whose only pixel is transparent.
const QByteArray transparentGif =
    QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==");

struct ScaleCase
{
    const char *name;
    QSize size;
    const char *format;
    QSize fitted;
};

class Scaling : public testing::TestWithParam<ScaleCase>
{};

// What does not fit is scaled down, keeping its proportions, into a JPEG the program shows; what
// fits keeps its size.
TEST_P(Scaling, FitsTheFigureBox)
{
    const QByteArray picture = QByteArrayView(GetParam().format) == "GIF"
                                   ? gifPicture(GetParam().size)
                                   : encoded(drawing(GetParam().size), GetParam().format);
    const ConvertedPicture converted = toFittingJpeg(picture);
    ASSERT_EQ(converted.problem, QString());
    EXPECT_EQ(jpegDecodeProblem(converted.jpeg), QString());
    EXPECT_EQ(QImage::fromData(converted.jpeg).size(), GetParam().fitted);
}

INSTANTIATE_TEST_SUITE_P(Pack, Scaling,
                         testing::Values(ScaleCase{"LargePngToTheBox", {450, 274}, "PNG", {225, 137}},
                                         ScaleCase{"WidePng", {1000, 100}, "PNG", {225, 22}},
                                         ScaleCase{"TallPng", {100, 1000}, "PNG", {13, 137}},
                                         ScaleCase{"LineStaysAPixelThick", {4096, 1}, "PNG", {225, 1}},
                                         ScaleCase{"LargeJpeg", {450, 300}, "JPG", {205, 137}},
                                         ScaleCase{"JpegOnePixelTooWide", {226, 137}, "JPG", {225, 136}},
                                         ScaleCase{"FittingPngNotScaledUp", {100, 50}, "PNG", {100, 50}},
                                         ScaleCase{"LargeGif", {450, 300}, "GIF", {205, 137}}),
                         RowName());

// A JPEG that already fits is the teacher's own file, byte for byte.
TEST(Pictures, KeepsFittingJpegByteForByte)
{
    for (const QSize size : {QSize(225, 137), QSize(10, 10)}) {
        const QByteArray jpeg = encoded(drawing(size), "JPG");
        const ConvertedPicture converted = toFittingJpeg(jpeg);
        EXPECT_EQ(converted.problem, QString());
        EXPECT_EQ(converted.jpeg, jpeg);
    }
}

// A JPEG that fits the box but is over the bank's size (here for comments it carries) is written again
// within it; the copy is then kept as it is.
TEST(Pictures, WritesAgainAFittingJpegOverTheSizeLimit)
{
    const QByteArray jpeg = encoded(drawing({225, 137}), "JPG");
    QByteArray padded = jpeg.left(2);
    const QByteArray comment(60000, 'x');
    for (int k = 0; k < 5; ++k)
        padded += QByteArray("\xFF\xFE", 2) + char((comment.size() + 2) >> 8) +
                  char((comment.size() + 2) & 0xFF) + comment;
    padded += jpeg.sliced(2);
    ASSERT_GT(padded.size(), 256 * 1024);
    const ConvertedPicture converted = toFittingJpeg(padded);
    ASSERT_EQ(converted.problem, QString());
    EXPECT_LE(converted.jpeg.size(), 256 * 1024);
    EXPECT_EQ(QImage::fromData(converted.jpeg).size(), QSize(225, 137));
    EXPECT_EQ(toFittingJpeg(converted.jpeg).jpeg, converted.jpeg);
}

// A JPEG with the camera's note that it is turned a quarter clockwise (EXIF orientation 6).
QByteArray turnedJpeg(const QImage &image)
{
    const QByteArray exif("\xFF\xE1\x00\x22"           // APP1 of 34 bytes
                          "Exif\x00\x00"               // its name
                          "MM\x00\x2A\x00\x00\x00\x08" // big-endian TIFF, first entries at 8
                          "\x00\x01"                   // one entry:
                          "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00" // orientation, 1 short: 6
                          "\x00\x00\x00\x00",                                // no more entries
                          36);
    const QByteArray jpeg = encoded(image, "JPG");
    return jpeg.left(2) + exif + jpeg.sliced(2);
}

// A photograph whose camera says it is turned is turned upright, so it is converted even when it fits.
TEST(Pictures, TurnsPhotographUpright)
{
    const QByteArray jpeg = turnedJpeg(drawing({120, 60}));
    const ConvertedPicture converted = toFittingJpeg(jpeg);
    ASSERT_EQ(converted.problem, QString());
    EXPECT_NE(converted.jpeg, jpeg);
    EXPECT_EQ(QImage::fromData(converted.jpeg).size(), QSize(60, 120));
}

// GIF is read too; its transparent pixel shows the white of the picture box.
TEST(Pictures, AcceptsGifOnWhite)
{
    const ConvertedPicture converted = toFittingJpeg(transparentGif);
    ASSERT_EQ(converted.problem, QString());
    const QImage image = QImage::fromData(converted.jpeg, "JPG");
    ASSERT_EQ(image.size(), QSize(1, 1));
    EXPECT_GE(qGray(image.pixel(0, 0)), 250);
}

// JPEG has no transparency: a transparent PNG is laid on white, its opaque parts keep their colour.
TEST(Pictures, LaysTransparentPngOnWhite)
{
    QImage image(300, 200, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 100; y < 200; ++y) {
        for (int x = 150; x < 300; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    }
    const ConvertedPicture converted = toFittingJpeg(encoded(image, "PNG"));
    ASSERT_EQ(converted.problem, QString());
    const QImage jpeg = QImage::fromData(converted.jpeg, "JPG");
    ASSERT_EQ(jpeg.size(), QSize(205, 137));
    const QRgb clear = jpeg.pixel(20, 20);
    EXPECT_GE(std::min({qRed(clear), qGreen(clear), qBlue(clear)}), 245);
    const QRgb red = jpeg.pixel(180, 120);
    EXPECT_GE(qRed(red), 230);
    EXPECT_LE(std::max(qGreen(red), qBlue(red)), 25);
}

const QString Cut = u"повреден файл (свършва, преди да е цял)"_s;

struct RefusalCase
{
    const char *name;
    std::function<QByteArray()> bytes;
    QString problem; // the whole problem, or its start when it ends in "("
};

class Refusal : public testing::TestWithParam<RefusalCase>
{};

// What cannot become a sound picture is refused with the reason, and gives no bytes.
TEST_P(Refusal, SaysWhy)
{
    const ConvertedPicture converted = toFittingJpeg(GetParam().bytes());
    EXPECT_TRUE(converted.jpeg.isEmpty());
    if (GetParam().problem.endsWith(u'('))
        EXPECT_TRUE(converted.problem.startsWith(GetParam().problem)) << converted.problem.toStdString();
    else
        EXPECT_EQ(converted.problem, GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Pack, Refusal,
    testing::Values(RefusalCase{"Empty", [] { return QByteArray(); }, u"празен файл"_s},
                    RefusalCase{"Text", [] { return QByteArray("Това не е картинка."); },
                                u"не е JPEG, PNG или GIF"_s},
                    RefusalCase{"Bmp",
                                [] {
                                    return encoded(drawing({20, 20}), "BMP");
                                },
                                u"не е JPEG, PNG или GIF"_s},
                    RefusalCase{"TooWide",
                                [] {
                                    return encoded(drawing({4097, 10}), "PNG");
                                },
                                u"твърде голямо: 4097 × 10, най-много 4096 × 4096"_s},
                    RefusalCase{"TooTall",
                                [] {
                                    return encoded(drawing({10, 5000}), "PNG");
                                },
                                u"твърде голямо: 10 × 5000, най-много 4096 × 4096"_s},
                    RefusalCase{"JpegHeaderOnly",
                                [] {
                                    return encoded(drawing({300, 200}), "JPG").left(20);
                                },
                                u"повреден файл"_s},
                    RefusalCase{"CutJpeg",
                                [] {
                                    return encoded(drawing({300, 200}), "JPG").chopped(4000);
                                },
                                u"повреден файл ("_s},
                    RefusalCase{"CutFittingJpeg",
                                [] {
                                    return encoded(drawing({200, 100}), "JPG").chopped(2000);
                                },
                                u"повреден файл ("_s},
                    RefusalCase{"CutPng",
                                [] {
                                    return encoded(drawing({300, 200}), "PNG").chopped(4000);
                                },
                                u"повреден файл ("_s},
                    // Cut anywhere, each format alike: a decoder that stops at the last pixel it needs
                    // shows a picture that lost its last bytes without a word.
                    RefusalCase{"CutGif",
                                [] {
                                    return gifPicture({300, 200}).chopped(30000);
                                },
                                Cut},
                    RefusalCase{"GifHalf",
                                [] {
                                    return gifPicture({300, 200}).first(30000);
                                },
                                Cut},
                    RefusalCase{"GifWithoutItsTrailer",
                                [] {
                                    return gifPicture({300, 200}).chopped(1);
                                },
                                Cut},
                    RefusalCase{"PngWithoutItsLastByte",
                                [] {
                                    return encoded(drawing({300, 200}), "PNG").chopped(1);
                                },
                                Cut},
                    RefusalCase{"JpegWithoutItsEndMarker",
                                [] {
                                    return encoded(drawing({300, 200}), "JPG").chopped(2);
                                },
                                Cut},
                    RefusalCase{"FittingJpegWithoutItsLastByte",
                                [] {
                                    return encoded(drawing({200, 100}), "JPG").chopped(1);
                                },
                                Cut},
                    // Whole to its trailer, but its codes give fewer pixels than it declares.
                    RefusalCase{"GifOfTooFewPixels",
                                [] {
                                    QByteArray gif = gifPicture({300, 200});
                                    gif[9] = gif[13 + 3 * 128 + 8] = char(500 >> 8); // 300 × 500
                                    gif[8] = gif[13 + 3 * 128 + 7] = char(500 & 0xFF);
                                    return gif;
                                },
                                Cut},
                    // A code that stands for nothing yet: its data is no GIF's.
                    RefusalCase{"GifWithACodeBeyondItsTable",
                                [] {
                                    QByteArray gif = gifPicture({300, 200});
                                    gif[13 + 3 * 128 + 10 + 1 + 1 + 2] = char(250);
                                    return gif;
                                },
                                u"повреден файл (нарушени данни)"_s}),
    RowName());

// A GIF of the tests' own writing is whole, in every pixel.
TEST(Pictures, ReadsAGifWhole)
{
    const QImage gif = QImage::fromData(gifPicture({30, 20}), "GIF");
    ASSERT_EQ(gif.size(), QSize(30, 20));
    const int last = (29 * 7 + 19 * 13) % 128;
    EXPECT_EQ(gif.pixel(29, 19), qRgb(last * 2, 255 - last * 2, last * 37 % 256));
    EXPECT_EQ(toFittingJpeg(gifPicture({30, 20})).problem, QString());
}

// The PNG and GIF pictures of one source are decoded within a budget counted from the sizes they
// declare, before they are decoded; a JPEG is decoded at the size it is shown and does not count, and
// a picture met again is converted once.
TEST(Pictures, DecodesASourcesPngAndGifWithinItsBudget)
{
    const qint64 onePng = 100 * 100 * 4; // 32 bits a pixel, decoded
    PictureConverter pictures({}, 2 * onePng);
    const QByteArray first = encoded(drawing({100, 100}), "PNG");
    EXPECT_EQ(pictures.convert(first).problem, QString());
    EXPECT_EQ(pictures.convert(first).problem, QString()) << "the same picture counted twice";
    EXPECT_EQ(pictures.convert(encoded(drawing({100, 99}), "PNG")).problem, QString());
    EXPECT_EQ(pictures.convert(encoded(drawing({300, 200}), "JPG")).problem, QString());
    EXPECT_TRUE(pictures.convert(gifPicture({30, 20}))
                    .problem.startsWith(u"изображенията PNG и GIF във файла заедно заемат разкодирани над"_s))
        << "nothing left for a GIF";
}

QStringList *testMessages = nullptr;

void collectTestMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    testMessages->append(message);
}

// The decoder's warnings are caught while it decodes and go nowhere else; afterwards messages reach
// whoever received them before.
TEST(Pictures, CatchesDecoderWarningsOnlyWhileDecoding)
{
    QStringList messages;
    testMessages = &messages;
    const QtMessageHandler previous = qInstallMessageHandler(collectTestMessage);
    const ConvertedPicture converted = toFittingJpeg(encoded(drawing({300, 200}), "JPG").chopped(4000));
    qWarning("after");
    qInstallMessageHandler(previous);
    testMessages = nullptr;
    EXPECT_TRUE(converted.problem.startsWith(u"повреден файл ("_s)) << converted.problem.toStdString();
    EXPECT_EQ(messages, QStringList{u"after"_s});
}

} // namespace
