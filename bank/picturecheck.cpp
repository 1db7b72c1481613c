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
    const DecoderWarnings warnings;
    if (reader.read().isNull() || !warnings.messages().isEmpty())
        return u"повреден JPEG"_s;
    return {};
}

} // namespace morv
