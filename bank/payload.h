// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A checked bank as one block of bytes: its source text and the figures it names, nothing else. The
// build embeds it in the program; a packed program carries it appended to its own file.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

namespace morv {

// The source text of a bank and the bytes of every figure it names, by the name it gives them.
struct BankFiles
{
    QByteArray json;
    QMap<QString, QByteArray> pictures;
};

// The embedded bank of the program, a resource.
inline constexpr QStringView EmbeddedPayloadPath = u":/bank/bank.payload";

// The most a payload may weigh: every figure at its limit, and room for the texts.
inline constexpr qint64 MaxPayloadBytes = 64 * 1024 * 1024;

QByteArray packPayload(const BankFiles &files);
// The files of a payload, or nothing when the bytes are not one (problem says why).
std::optional<BankFiles> unpackPayload(const QByteArray &payload, QString *problem);

// The payload followed by the trailer that lets a program find it at the end of its own file.
QByteArray appendable(const QByteArray &payload);
// Where a program file ends with a payload and its trailer: the payload. Without a trailer: nothing
// and no problem. A trailer that does not hold (a length past the file, a checksum that differs):
// nothing, and the problem.
std::optional<QByteArray> appendedPayload(const QString &programPath, QString *problem);
// A program's own bytes: without the payload and trailer appended to them, if any.
QByteArray withoutAppendedBank(const QByteArray &program);

} // namespace morv
