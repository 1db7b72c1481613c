// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a bank source (JSON text and JPEG figures beside it), checks it and builds the bank.
#pragma once

#include "bank/bank.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace morv {

// The bank the program carries, embedded as a resource.
inline constexpr QStringView EmbeddedBankPath = u":/bank/bank.json";

// One thing wrong with a source, in the teacher's words: the line it is on (from 1; 0 when it concerns
// the whole source) and what is wrong.
struct Problem
{
    int line = 0;
    QString text;
};

struct QuestionSource
{
    QString text;
    QStringList answers;
    QString correct;
    QString pictureName; // as written in the source; empty when the question has no figure
    QByteArray picture;  // the figure's JPEG bytes
    QString pictureText; // what a screen reader says of the figure; empty for the program's default
    QStringList explanation;
    int line = 0; // where the question starts in its source, from 1; 0 when not known
};

struct BankSource
{
    QStringList settings;
    std::vector<QuestionSource> questions;
};

// Says why a figure cannot be shown, or returns an empty string when it can.
using PictureCheck = std::function<QString(const QByteArray &jpeg)>;

// A bank, or every problem found on the way, each naming where it is.
struct BankLoad
{
    std::optional<Bank> bank;
    QStringList problems;
};

// The most questions a bank may hold: the repeat question of the consistency check needs a spare
// question list, explanation and picture after the last one.
int maxQuestions(bool repeatQuestion);

// Parses the source; figures are read from files relative to baseDir (a folder or a resource path).
BankLoad readBank(const QByteArray &json, const QString &baseDir, const PictureCheck &pictureCheck = {});
// Reads the source file at path, its figures beside it.
BankLoad readBankFile(const QString &path, const PictureCheck &pictureCheck = {});

// Every broken rule of a parsed source, each naming the question.
QStringList checkBank(const BankSource &source, const PictureCheck &pictureCheck = {});
// Lays a checked source out in the bank's lists, spare slots and placeholders included.
Bank buildBank(const BankSource &source);

} // namespace morv
