// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/payload.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QIODevice>
#include <QtEndian>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

constexpr char PayloadMagic[] = "MORV-BANK-1";
// The trailer: the payload's SHA-256, its length (8 bytes, little-endian), then this marker.
constexpr QByteArrayView TrailerMagic = "MORV-APPENDED-BANK-1";
constexpr qsizetype HashBytes = 32;
constexpr qsizetype TrailerBytes = HashBytes + 8 + TrailerMagic.size();

constexpr QByteArrayView MarkPrefix = MORV_PROGRAM_MARK;
constexpr char AsBuiltState = '0';
constexpr char PackedState = '1';

QByteArray sha256(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// Where the state byte of every mark in a program's bytes is. The text of the prefix alone, as other
// programs carry it, has no state after it and is no mark.
QList<qsizetype> markStates(QByteArrayView program)
{
    QList<qsizetype> states;
    for (qsizetype at = program.indexOf(MarkPrefix); at >= 0; at = program.indexOf(MarkPrefix, at + 1)) {
        const qsizetype state = at + MarkPrefix.size();
        if (state < program.size() && (program[state] == AsBuiltState || program[state] == PackedState))
            states.append(state);
    }
    return states;
}

// The length of the payload that a trailer at the end of the bytes announces; nothing without one.
std::optional<quint64> announcedLength(QByteArrayView tail)
{
    if (tail.size() < TrailerBytes || !tail.endsWith(TrailerMagic))
        return std::nullopt;
    return qFromLittleEndian<quint64>(tail.data() + tail.size() - TrailerBytes + HashBytes);
}

// The files of a payload read from a device, which must then stand at `end`.
std::optional<BankFiles> readFiles(QIODevice &device, qint64 end)
{
    QDataStream in(&device);
    in.setVersion(QDataStream::Qt_6_4);
    QByteArray magic;
    BankFiles files;
    in >> magic;
    if (magic == PayloadMagic)
        in >> files.json >> files.pictures;
    if (magic != PayloadMagic || in.status() != QDataStream::Ok || device.pos() != end)
        return std::nullopt;
    return files;
}

} // namespace

QByteArray packPayload(const BankFiles &files)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << QByteArray(PayloadMagic) << files.json << files.pictures;
    return payload;
}

QString damagedPayload(PayloadOrigin origin)
{
    return origin == PayloadOrigin::Embedded ? u"вграденият тест е повреден"_s
                                             : u"добавеният към програмата тест е повреден"_s;
}

Problem damagedPayloadProblem(PayloadOrigin origin)
{
    return {.rule = Rule::DamagedPayload, .text = damagedPayload(origin)};
}

Found<BankFiles> unpackPayload(const QByteArray &payload, PayloadOrigin origin)
{
    QBuffer buffer;
    buffer.setData(payload);
    buffer.open(QIODevice::ReadOnly);
    std::optional<BankFiles> files =
        payload.size() > MaxPayloadBytes ? std::nullopt : readFiles(buffer, payload.size());
    if (!files)
        return {{}, damagedPayloadProblem(origin)};
    return {std::move(files), {}};
}

QByteArray appendable(const QByteArray &payload)
{
    QByteArray length(8, '\0');
    qToLittleEndian<quint64>(quint64(payload.size()), length.data());
    return payload + sha256(payload) + length + TrailerMagic.toByteArray();
}

Found<BankFiles> appendedBank(const QString &programPath)
{
    auto refuse = []() -> Found<BankFiles> { return {{}, damagedPayloadProblem(PayloadOrigin::Appended)}; };
    QFile program(programPath);
    if (!program.open(QIODevice::ReadOnly) || program.size() < TrailerBytes)
        return {};
    const qint64 trailerStart = program.size() - TrailerBytes;
    program.seek(trailerStart);
    const QByteArray trailer = program.read(TrailerBytes);
    const std::optional<quint64> length = announcedLength(trailer);
    if (!length)
        return {};
    // The length is checked before anything is read: a trailer cannot make the program read more.
    if (*length > quint64(std::min(trailerStart, MaxPayloadBytes)))
        return refuse();
    const qint64 start = trailerStart - qint64(*length);
    // The checksum first, a piece at a time: nothing is decoded from bytes that were changed.
    program.seek(start);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (qint64 left = qint64(*length); left > 0;) {
        const QByteArray piece = program.read(std::min<qint64>(left, 1024 * 1024));
        if (piece.isEmpty())
            return refuse();
        hash.addData(piece);
        left -= piece.size();
    }
    if (hash.result() != trailer.first(HashBytes) || !program.seek(start))
        return refuse();
    std::optional<BankFiles> files = readFiles(program, trailerStart);
    return files ? Found<BankFiles>{std::move(files), {}} : refuse();
}

Found<QByteArray> appendedPayload(const QByteArray &program)
{
    const std::optional<quint64> length = announcedLength(program);
    if (!length)
        return {};
    const qsizetype trailerStart = program.size() - TrailerBytes;
    const bool fits = *length <= quint64(std::min<qint64>(trailerStart, MaxPayloadBytes));
    const QByteArrayView payload =
        fits ? QByteArrayView(program).sliced(trailerStart - qsizetype(*length), qsizetype(*length))
             : QByteArrayView();
    if (!fits || sha256(payload) != QByteArrayView(program).sliced(trailerStart, HashBytes))
        return {{}, damagedPayloadProblem(PayloadOrigin::Appended)};
    return {payload.toByteArray(), {}};
}

std::optional<qsizetype> programEnd(QByteArrayView program)
{
    const std::optional<quint64> length = announcedLength(program);
    if (!length)
        return program.size();
    const qsizetype trailerStart = program.size() - TrailerBytes;
    if (*length > quint64(std::min<qint64>(trailerStart, MaxPayloadBytes)))
        return std::nullopt;
    const qsizetype start = trailerStart - qsizetype(*length);
    const QByteArrayView payload = program.sliced(start, qsizetype(*length));
    // The payload's own first field, its magic as the stream writes it: a checksum over other bytes
    // describes no payload.
    static const QByteArray magic = packPayload({}).first(4 + qsizetype(sizeof PayloadMagic) - 1);
    if (!payload.startsWith(magic) || sha256(payload) != program.sliced(trailerStart, HashBytes))
        return std::nullopt;
    return start;
}

std::optional<ProgramMark> programMark(QByteArrayView program)
{
    const QList<qsizetype> states = markStates(program);
    if (states.isEmpty())
        return std::nullopt;
    return program[states.first()] == PackedState ? ProgramMark::Packed : ProgramMark::AsBuilt;
}

QByteArray withoutAppendedBank(QByteArray program)
{
    if (const std::optional<quint64> length = announcedLength(program);
        length && *length <= quint64(program.size() - TrailerBytes))
        program.truncate(program.size() - TrailerBytes - qsizetype(*length));
    for (const qsizetype state : markStates(program))
        program[state] = AsBuiltState;
    return program;
}

QByteArray withAppendedBank(QByteArray program, const QByteArray &payload)
{
    for (const qsizetype state : markStates(program))
        program[state] = PackedState;
    return program + appendable(payload);
}

} // namespace morv
