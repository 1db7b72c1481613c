// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Loads a bank: from a source file with its figures beside it, from a payload, or from the program's
// own file. Each is parsed, checked and laid out into the bank's lists, or refused with every problem.
#pragma once

#include "bank/bank.h"
#include "bank/payload.h"
#include "bank/testdocument.h"

#include <QMap>

#include <optional>

namespace morv {

// Figures read from a folder, each a regular file inside it, within the size limit.
PictureFiles picturesIn(const QString &folder);
// Figures from a payload; a name it does not hold cannot be read.
PictureFiles picturesFrom(const QMap<QString, QByteArray> &pictures);

// A bank, or every problem found on the way, each naming where it is.
struct BankLoad
{
    std::optional<Bank> bank;
    QList<Problem> problems;
    TestDocument document; // what was read, also when it was refused
    BankFiles files;       // the bytes that were read: the source text and the figures it names
};

// Lays a checked source out in the bank's lists, spare slots and placeholders included.
Bank buildBank(const BankSource &source);
Bank buildBank(const TestDocument &document);

// Parses, checks and builds.
BankLoad readBank(const QByteArray &json, const PictureFiles &pictures,
                  const PictureCheck &pictureCheck = {});
// The same with the figures in a folder.
BankLoad readBank(const QByteArray &json, const QString &folder, const PictureCheck &pictureCheck = {});
// Reads the source file at path, its figures beside it.
BankLoad readBankFile(const QString &path, const PictureCheck &pictureCheck = {});
// The source text with the figures its questions name, by those names: what a payload carries.
BankFiles bankFiles(const QByteArray &json, const TestDocument &document);
// The test written as bank.json with its figures: what a test made from another format carries.
BankFiles bankFiles(const TestDocument &document);
// Reads a payload: a bank that was checked when it was made, now read and checked again. A payload
// holding more than its bank.json and the figures it names is refused as damaged.
BankLoad readPayload(const QByteArray &payload, PayloadOrigin origin, const PictureCheck &pictureCheck = {});
// The bank the program carries in its resources.
BankLoad readEmbeddedBank(const PictureCheck &pictureCheck = {});
// The bank a program runs: a packed program's own appended bank, refused when it is missing or damaged
// (a copy cut short); the embedded one for a program as built.
BankLoad readProgramBank(const QString &programPath, ProgramMark mark, const PictureCheck &pictureCheck = {});

} // namespace morv
