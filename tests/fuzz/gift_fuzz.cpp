// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a GIFT source are imported or refused with problems, never a crash.
// The source's folder holds a JPEG, a PNG and a link out of the folder, for its pictures to name.
#include "tests/fuzz/pack_fuzz.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

void writePicture(const QString &path, const char *format)
{
    QImage image(300, 40, QImage::Format_ARGB32);
    image.fill(qRgba(10, 200, 30, 128));
    image.save(path, format);
}

const QString &sourceFolder()
{
    static QTemporaryDir folder;
    static const bool filled = [] {
        writePicture(folder.filePath(QStringLiteral("a.jpg")), "JPG");
        writePicture(folder.filePath(QStringLiteral("b.png")), "PNG");
        QFile::link(QStringLiteral("/etc/hostname"), folder.filePath(QStringLiteral("out.jpg")));
        return true;
    }();
    static const QString path = filled ? folder.path() : QString();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = morv::fuzz::bytesOf(data, size);
    morv::fuzz::checkImport(bytes, morv::importGift(bytes, sourceFolder()));
    return 0;
}
