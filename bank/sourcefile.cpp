// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/sourcefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

SourceFile refused(const QString &why)
{
    return {{}, why};
}

bool isInside(const QString &path, const QString &folder)
{
    return path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

} // namespace

SourceFile readSourceFile(const QString &folder, const QString &name, qint64 maxBytes)
{
    // A NUL would cut the name short wherever it is printed.
    const QString quoted = u"„%1“"_s.arg(QString(name).replace(QChar(0), u"\\0"_s));
    if (name.contains(QChar(0)))
        return refused(u"името на изображението %1 съдържа нулев знак"_s.arg(quoted));
    const QString clean = QDir::cleanPath(name);
    if (name.isEmpty() || QDir::isAbsolutePath(clean) || clean == u".." || clean.startsWith(u"../"))
        return refused(u"изображението %1 трябва да е в папката на въпросите"_s.arg(quoted));
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QFileInfo info(QDir(folder).filePath(clean));
    if (!info.exists() && !info.isSymLink())
        return refused(u"файлът на изображението %1 не може да се прочете"_s.arg(quoted));
    // The text of a path says nothing of where a link leads: only the resolved path counts.
    const QString target = info.canonicalFilePath();
    // "." or "pictures/.." names the folder itself: inside, but no file.
    if (root.isEmpty() || target.isEmpty() || (target != root && !isInside(target, root)))
        return refused(u"изображението %1 води извън папката на въпросите"_s.arg(quoted));
    const QFileInfo resolved(target);
    // A FIFO would hang the reader and a device could be endless.
    if (!resolved.isFile())
        return refused(u"изображението %1 не е обикновен файл"_s.arg(quoted));
    if (resolved.size() > maxBytes)
        return refused(u"изображението %1 е твърде голямо: %2 байта, най-много %3"_s.arg(quoted)
                           .arg(resolved.size())
                           .arg(maxBytes));
    QFile file(target);
    if (!file.open(QIODevice::ReadOnly))
        return refused(u"файлът на изображението %1 не може да се прочете"_s.arg(quoted));
    // Read no more than allowed, in case the file grew after it was measured.
    SourceFile read{file.read(maxBytes + 1), {}};
    if (read.bytes.size() > maxBytes)
        return refused(u"изображението %1 е твърде голямо: над %2 байта"_s.arg(quoted).arg(maxBytes));
    return read;
}

} // namespace morv
