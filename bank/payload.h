// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A checked bank as one block of bytes: its source text and the figures it names, nothing else. The
// build embeds it in the program; a packed program carries it appended to its own file.
#pragma once

#include "bank/source.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>

#include <optional>

// The mark the build puts into the program (main.cpp), followed by one byte of state: '0' as built,
// '1' in a copy that morv-pack has appended a test to. It lies in the program's constant data, so it
// survives stripping, is found by content in a program built for any system, and tells a copy cut
// short that its test is missing. Other programs (morv-pack, the tests) carry the text of this prefix
// only with a NUL after it, never a state, so they are never taken for the program.
#define MORV_PROGRAM_MARK "\x01МОРВ: програмата за тестове; добавен тест: "

namespace morv {

// The source text of a bank and the bytes of every figure it names, by the name it gives them.
struct BankFiles
{
    QByteArray json;
    QMap<QString, QByteArray> pictures;
};

// Where a payload comes from, for the message when it is damaged.
enum class PayloadOrigin { Embedded, Appended };

// Whether a program is as the build made it or a copy with a test appended by morv-pack.
enum class ProgramMark { AsBuilt, Packed };

// The embedded bank of the program, a resource.
inline constexpr QStringView EmbeddedPayloadPath = u":/bank/bank.payload";

// The most a payload may weigh: the largest bank the limits allow (a bank.json at its limit and every
// figure at its limit, with its name), checked against the limits in bankreader.cpp.
inline constexpr qint64 MaxPayloadBytes = 12 * 1024 * 1024;
// The most a program file may weigh for morv-pack to copy it or recognise it: a stripped morv is
// about 1.5 MB, one with debugging information about 7, one with Qt built in about 30.
inline constexpr qint64 MaxProgramBytes = 128 * 1024 * 1024;

// What bytes that may carry a bank were found to hold: the value; or the problem why it cannot be had;
// or neither, when there is nothing to find (a program without an appended bank).
template <typename T>
struct Found
{
    std::optional<T> value;
    std::optional<Problem> problem;

    explicit operator bool() const { return value.has_value(); }
    const T &operator*() const { return *value; }
    const T *operator->() const { return &*value; }
};

QByteArray packPayload(const BankFiles &files);
// The files of a payload, or why the bytes are not one.
Found<BankFiles> unpackPayload(const QByteArray &payload, PayloadOrigin origin);
// "вграденият тест е повреден" or "добавеният към програмата тест е повреден".
QString damagedPayload(PayloadOrigin origin);
// The same as a problem of the whole test.
Problem damagedPayloadProblem(PayloadOrigin origin);

// The payload followed by the trailer that lets a program find it at the end of its own file.
QByteArray appendable(const QByteArray &payload);
// Where a program file ends with a payload and its trailer: the files of the payload, read from the file
// once its checksum holds, so that the payload is never held whole beside them. Without a trailer:
// nothing and no problem. A trailer or payload that does not hold (a length past the file, a checksum
// that differs): nothing, and the problem.
Found<BankFiles> appendedBank(const QString &programPath);
// Where a program's bytes end with a payload and its trailer: the payload; otherwise as above.
Found<QByteArray> appendedPayload(const QByteArray &program);
// Where a program's own bytes end, before the payload appended to them: their size when they end with
// no trailer; nothing when they end with one whose length and checksum do not describe exactly a
// payload before it.
std::optional<qsizetype> programEnd(QByteArrayView program);

// The state of the mark in a program's bytes, found by content; nothing when they carry no mark,
// that is when they are not the program.
std::optional<ProgramMark> programMark(QByteArrayView program);
// A program's own bytes as the build made them: without the payload and trailer appended to them, if
// any, and with the mark as built.
QByteArray withoutAppendedBank(QByteArray program);
// The program's bytes followed by the payload, the mark set to packed: what morv-pack writes. The
// program must carry the mark.
QByteArray withAppendedBank(QByteArray program, const QByteArray &payload);

} // namespace morv
