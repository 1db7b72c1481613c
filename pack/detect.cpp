// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/importbuilder.h"
#include "pack/importer.h"

#include "bank/rules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// Enough of a file to tell its format: every format shows itself in its first questions.
constexpr qint64 DetectBytes = 1024 * 1024;

bool isMoodleXml(const QString &text)
{
    QXmlStreamReader xml(text);
    return xml.readNextStartElement() && xml.name() == u"quiz";
}

} // namespace

qint64 maxSourceBytes(SourceFormat format)
{
    switch (format) {
    case SourceFormat::MoodleXml:
        return 12 * 1024 * 1024;
    case SourceFormat::Aiken:
    case SourceFormat::Gift:
        return 4 * 1024 * 1024;
    case SourceFormat::Folder:
        break;
    }
    return limits::JsonBytes;
}

std::optional<SourceFormat> detectTextFormat(const QByteArray &bytes)
{
    // A source saved as UTF-16 is recognised all the same, for its importer to name the encoding.
    const std::optional<QStringConverter::Encoding> utf16 = importing::utf16Encoding(bytes);
    const QString text = utf16 ? QStringDecoder(*utf16).decode(bytes) : QString::fromUtf8(bytes);
    if (text.trimmed().startsWith(u'<') && isMoodleXml(text))
        return SourceFormat::MoodleXml;
    // An unescaped "{" opening GIFT answers: "{=", "{~", "{#", "{T}", "{FALSE}"…
    static const QRegularExpression giftAnswers(u"(?<!\\\\)\\{\\s*([=~#]|(T|F|TRUE|FALSE)\\s*[}#])"_s,
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression aikenKey(u"^\\s*ANSWER\\s*:\\s*[A-Za-z]\\s*$"_s,
                                             QRegularExpression::MultilineOption);
    const bool gift = giftAnswers.match(text).hasMatch();
    const bool aiken = aikenKey.match(text).hasMatch();
    if (gift == aiken)
        return std::nullopt;
    return gift ? SourceFormat::Gift : SourceFormat::Aiken;
}

std::optional<SourceFormat> detectFormat(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        if (QFileInfo(QDir(path).filePath(u"bank.json"_s)).isFile())
            return SourceFormat::Folder;
        return std::nullopt;
    }
    QFile file(path);
    // Only a regular file: reading a FIFO or a device could wait for ever.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return detectTextFormat(file.read(DetectBytes));
}

} // namespace morv
