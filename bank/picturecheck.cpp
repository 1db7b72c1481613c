// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/picturecheck.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

QString headerProblem(QImageReader &reader)
{
    if (reader.format() != "jpeg")
        return u"не е във формат JPEG"_s;
    if (!reader.size().isValid() || reader.size().isEmpty())
        return u"повреден JPEG"_s;
    return {};
}

} // namespace

QString jpegHeaderProblem(const QByteArray &jpeg)
{
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
    if (reader.read().isNull())
        return u"повреден JPEG (%1)"_s.arg(reader.errorString());
    return {};
}

} // namespace morv
