// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a bank source (JSON text and the figures it names), checks it and builds the bank.
#pragma once

#include "bank/bank.h"
#include "bank/payload.h"
#include "bank/sourcefile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace morv {

// What a bank may hold: generous for a real test, small enough that no bank can freeze the window or
// fill the memory of a school computer.
namespace limits {
inline constexpr qsizetype QuestionText = 1000;   // characters
inline constexpr qsizetype AnswerText = 200;      // characters
inline constexpr qsizetype ExplanationLine = 300; // characters
inline constexpr qsizetype ExplanationLines = 40;
inline constexpr qsizetype SettingsRow = 200;        // characters, the title included
inline constexpr qsizetype PictureText = 300;        // characters
inline constexpr qsizetype PictureName = 1000;       // characters, the path beside bank.json
inline constexpr qint64 JsonBytes = 4 * 1024 * 1024; // the bank.json file
inline constexpr qint64 PictureBytes = 256 * 1024;
inline constexpr int PictureSide = 4096; // pixels, each way
} // namespace limits

// One thing wrong with a source, in the teacher's words: the line it is on (from 1; 0 when it concerns
// the whole source) and what is wrong.
struct Problem
{
    int line = 0;
    QString text;
};

// The texts of the problems, without their lines.
QStringList texts(const QList<Problem> &problems);
// "FILE:LINE: text", or "FILE: text" for the whole source: one problem as a checker reports it.
QString located(const QString &file, const Problem &problem);

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
    int settingsLine = 0;  // where the settings start in the source
    int questionsLine = 0; // where the list of questions starts
};

// Says why a figure cannot be shown, or returns an empty string when it can.
using PictureCheck = std::function<QString(const QByteArray &jpeg)>;
// The bytes of the figure a source names, or why they cannot be had.
using PictureFiles = std::function<SourceFile(const QString &name)>;

// Figures read from a folder, each a regular file inside it, within the size limit.
PictureFiles picturesIn(const QString &folder);
// Figures from a payload; a name it does not hold cannot be read.
PictureFiles picturesFrom(const QMap<QString, QByteArray> &pictures);

// A source as parsed: the questions as far as they could be read, and every problem on the way.
struct ParsedBank
{
    BankSource source;
    QList<Problem> problems;
};

// A bank, or every problem found on the way, each naming where it is.
struct BankLoad
{
    std::optional<Bank> bank;
    QList<Problem> problems;
    BankSource source; // what was read, also when it was refused
    BankFiles files;   // the bytes that were read: the source text and the figures it names
};

// The most questions a bank may hold: the repeat question of the consistency check needs a spare
// question list, explanation and picture after the last one.
int maxQuestions(bool repeatQuestion);

// Parses a JSON source, its figures from `pictures`.
ParsedBank parseBank(const QByteArray &json, const PictureFiles &pictures);
// Every broken rule of one question, the index-th of its source (from 0), at the question's line.
QList<Problem> checkQuestion(const QuestionSource &question, std::size_t index,
                             const PictureCheck &pictureCheck = {});
// Every broken rule of a parsed source, each naming the question and its line.
QList<Problem> checkBank(const BankSource &source, const PictureCheck &pictureCheck = {});
// Lays a checked source out in the bank's lists, spare slots and placeholders included.
Bank buildBank(const BankSource &source);

// Parses, checks and builds.
BankLoad readBank(const QByteArray &json, const PictureFiles &pictures,
                  const PictureCheck &pictureCheck = {});
// The same with the figures in a folder.
BankLoad readBank(const QByteArray &json, const QString &folder, const PictureCheck &pictureCheck = {});
// Reads the source file at path, its figures beside it.
BankLoad readBankFile(const QString &path, const PictureCheck &pictureCheck = {});
// The source text with the figures its questions name, by those names: what a payload carries.
BankFiles bankFiles(const QByteArray &json, const BankSource &source);
// Reads a payload: a bank that was checked when it was made, now read and checked again. A payload
// holding more than its bank.json and the figures it names is refused as damaged.
BankLoad readPayload(const QByteArray &payload, PayloadOrigin origin, const PictureCheck &pictureCheck = {});
// The bank the program carries in its resources.
BankLoad readEmbeddedBank(const PictureCheck &pictureCheck = {});
// The bank a program runs: a packed program's own appended bank, refused when it is missing or damaged
// (a copy cut short); the embedded one for a program as built.
BankLoad readProgramBank(const QString &programPath, ProgramMark mark, const PictureCheck &pictureCheck = {});

} // namespace morv
