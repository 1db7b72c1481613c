// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/picturecheck.h"

#include "bank/bankreader.h"

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
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return u"повреден JPEG"_s;
    if (size.width() > limits::PictureSide || size.height() > limits::PictureSide)
        return u"твърде голямо: %1 × %2 пиксела, най-много %3 × %3"_s.arg(size.width())
            .arg(size.height())
            .arg(limits::PictureSide);
    return {};
}

// The JPEG decoder reports a cut or damaged file only as a warning and still hands back an image:
// while a figure is decoded, every warning counts as a fault.
QStringList *g_warnings = nullptr;

void recordWarning(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (g_warnings && type != QtDebugMsg && type != QtInfoMsg)
        g_warnings->append(message);
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
    QStringList warnings;
    g_warnings = &warnings;
    const QtMessageHandler previous = qInstallMessageHandler(recordWarning);
    const bool decoded = !reader.read().isNull();
    qInstallMessageHandler(previous);
    g_warnings = nullptr;
    if (!decoded || !warnings.isEmpty())
        return u"повреден JPEG"_s;
    return {};
}

} // namespace morv
