// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/payload.h"

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

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
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

std::optional<BankFiles> unpackPayload(const QByteArray &payload, QString *problem)
{
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_6_4);
    QByteArray magic;
    BankFiles files;
    in >> magic;
    if (magic == PayloadMagic)
        in >> files.json >> files.pictures;
    if (magic != PayloadMagic || in.status() != QDataStream::Ok || !in.atEnd()) {
        if (problem)
            *problem = u"вграденият тест е повреден"_s;
        return std::nullopt;
    }
    return files;
}

QByteArray appendable(const QByteArray &payload)
{
    QByteArray length(8, '\0');
    qToLittleEndian<quint64>(quint64(payload.size()), length.data());
    return payload + sha256(payload) + length + TrailerMagic.toByteArray();
}

std::optional<QByteArray> appendedPayload(const QString &programPath, QString *problem)
{
    QFile program(programPath);
    if (!program.open(QIODevice::ReadOnly) || program.size() < TrailerBytes)
        return std::nullopt;
    const qint64 trailerStart = program.size() - TrailerBytes;
    program.seek(trailerStart);
    const QByteArray trailer = program.read(TrailerBytes);
    if (!trailer.endsWith(TrailerMagic))
        return std::nullopt;
    const auto length = qFromLittleEndian<quint64>(trailer.constData() + HashBytes);
    auto refuse = [problem] {
        if (problem)
            *problem = u"добавеният към програмата тест е повреден"_s;
        return std::nullopt;
    };
    if (length > quint64(std::min(trailerStart, MaxPayloadBytes)))
        return refuse();
    program.seek(trailerStart - qint64(length));
    const QByteArray payload = program.read(qint64(length));
    if (payload.size() != qsizetype(length) || sha256(payload) != trailer.first(HashBytes))
        return refuse();
    return payload;
}

QByteArray withoutAppendedBank(const QByteArray &program)
{
    if (program.size() < TrailerBytes || !program.endsWith(TrailerMagic))
        return program;
    const auto length =
        qFromLittleEndian<quint64>(program.constData() + program.size() - TrailerBytes + HashBytes);
    if (length > quint64(program.size() - TrailerBytes))
        return program;
    return program.first(program.size() - TrailerBytes - qsizetype(length));
}

} // namespace morv
