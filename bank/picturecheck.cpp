// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/picturecheck.h"

#include "bank/jpegheader.h"
#include "bank/rules.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

QString sizeProblem(const QSize &size)
{
    if (!size.isValid() || size.isEmpty())
        return u"повреден JPEG"_s;
    if (size.width() > limits::PictureSide || size.height() > limits::PictureSide)
        return u"твърде голямо: %1 × %2 пиксела, най-много %3 × %3"_s.arg(size.width())
            .arg(size.height())
            .arg(limits::PictureSide);
    return {};
}

QString headerProblem(QImageReader &reader)
{
    if (reader.format() != "jpeg")
        return u"не е във формат JPEG"_s;
    return sizeProblem(reader.size());
}

} // namespace

DecoderWarnings::DecoderWarnings() : m_previous(qInstallMessageHandler(collect))
{
    s_current = this;
}

DecoderWarnings::~DecoderWarnings()
{
    s_current = nullptr;
    qInstallMessageHandler(m_previous);
}

void DecoderWarnings::collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (s_current && (type == QtWarningMsg || type == QtCriticalMsg))
        s_current->m_messages.append(message);
    else if (s_current && s_current->m_previous)
        s_current->m_previous(type, context, message);
}

bool jpegWhole(QByteArrayView jpeg)
{
    const qsizetype size = jpeg.size();
    auto at = [&](qsizetype i) { return quint8(jpeg[i]); };
    if (size < 2 || at(0) != 0xFF || at(1) != 0xD8)
        return false;
    for (qsizetype i = 2;;) {
        if (i >= size || at(i) != 0xFF)
            return false;
        while (i < size && at(i) == 0xFF) // fill bytes before a marker
            ++i;
        if (i >= size)
            return false;
        const quint8 marker = at(i++);
        if (marker == 0xD9)
            return true; // the end of the image; what may follow it is no part of it
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // markers without a length
        if (i + 2 > size)
            return false;
        const qsizetype length = (qsizetype(at(i)) << 8) | at(i + 1);
        if (length < 2 || i + length > size)
            return false;
        i += length;
        if (marker != 0xDA)
            continue;
        // A scan's data runs to the next marker: 0xFF in it is followed by 0 or a restart marker.
        while (i + 1 < size && (at(i) != 0xFF || at(i + 1) == 0 || (at(i + 1) >= 0xD0 && at(i + 1) <= 0xD7)))
            ++i;
        if (i + 1 >= size)
            return false;
    }
}

QString jpegHeaderProblem(const QByteArray &jpeg)
{
    // Every start checks every figure: a plain header is read here, without a JPEG reader for each.
    if (const std::optional<QSize> size = plainJpegSize(jpeg))
        return sizeProblem(*size);
    QBuffer buffer;
    buffer.setData(jpeg);
    QImageReader reader(&buffer);
    return headerProblem(reader);
}

QString jpegDecodeProblem(const QByteArray &jpeg)
{
    QBuffer buffer;
    buffer.setData(jpeg);
    QImageReader reader(&buffer);
    if (QString why = headerProblem(reader); !why.isEmpty())
        return why;
    if (!jpegWhole(jpeg))
        return u"повреден JPEG"_s;
    const DecoderWarnings warnings;
    if (reader.read().isNull() || !warnings.messages().isEmpty())
        return u"повреден JPEG"_s;
    return {};
}

} // namespace morv
