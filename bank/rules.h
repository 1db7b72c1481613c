// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The rules a bank source meets before it becomes a bank: the limits, what a text may hold, a question
// and the whole bank.
#pragma once

#include "bank/testdocument.h"

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

// The most questions a bank may hold: the repeat question of the consistency check needs a spare
// question list, explanation and picture after the last one.
int maxQuestions(bool repeatQuestion);

// Every broken rule of one question, the index-th of its source (from 0), at the question's line.
QList<Problem> checkQuestion(const QuestionSource &question, std::size_t index,
                             const PictureCheck &pictureCheck = {});
// Every broken rule of a test as read, each naming the question and its line.
QList<Problem> checkBank(const TestDocument &document, const PictureCheck &pictureCheck = {});

} // namespace morv
