// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/pictures.h"

#include "bank/picturecheck.h"
#include "bank/rules.h"
#include "engine/controls.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QStringList>

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
    if (stored.width() > limits::PictureSide || stored.height() > limits::PictureSide)
        return refused(u"твърде голямо: %1 × %2, най-много %3 × %3"_s.arg(stored.width())
                           .arg(stored.height())
                           .arg(limits::PictureSide));
    QImage image;
    {
        const DecoderWarnings warnings;
        image = reader.read();
        if (image.isNull())
            return refused(u"повреден файл (%1)"_s.arg(reader.errorString()));
        if (!warnings.messages().isEmpty())
            return refused(u"повреден файл (%1)"_s.arg(warnings.messages().first()));
    }
    const bool fits = image.width() <= figureBox().width() && image.height() <= figureBox().height();
    // A picture that already meets the bank's rules is never encoded again: a test saved and opened
    // any number of times keeps it byte for byte.
    if (format == "jpeg" && fits && bytes.size() <= limits::PictureBytes &&
        reader.transformation() == QImageIOHandler::TransformationNone)
        return {bytes, {}};
    if (!fits) {
        // Never thinner than a pixel, however long and narrow the picture.
        const QSize size = image.size().scaled(figureBox(), Qt::KeepAspectRatio).expandedTo({1, 1});
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

std::vector<TestQuestion> withShownPictures(std::vector<TestQuestion> questions)
{
    for (QuestionSource &question : questions) {
        if (!question.picture.isEmpty())
            question.picture = toFittingJpeg(question.picture).jpeg;
    }
    return questions;
}

void convertPictures(TestDocument &source, QList<Problem> &problems, const std::vector<int> &numbers)
{
    for (std::size_t i = 0; i < source.questions.size(); ++i) {
        QuestionSource &question = source.questions[i];
        if (question.picture.isEmpty())
            continue;
        const ConvertedPicture converted = toFittingJpeg(question.picture);
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
