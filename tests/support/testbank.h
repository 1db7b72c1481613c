// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Banks built in code for tests: the shipped settings unless a test changes them.
#pragma once

#include "bank/bank.h"
#include "bank/bankreader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>

namespace morv::test {

// The settings rows as shipped: phrase off, consistency check on, explanations on, results navigation off.
QStringList shippedSettings();
// The same rows with the switches set: each argument is the last digit of its row.
QStringList settings(int phrase, int toto, int explanations, int navigation,
                     const QString &title = QStringLiteral("Тест"));

// A question whose correct answer is answers[correctIndex].
QuestionSource question(const QString &text, const QStringList &answers, int correctIndex,
                        const QStringList &explanation = {}, const QByteArray &picture = {});

// `count` questions "Въпрос k" with answers "k-1", "k-2", ... (n answers each), the first one correct,
// and an explanation line "Обяснение на k".
BankSource numberedSource(int count, int answers = 4, const QStringList &settingRows = shippedSettings());

// Builds the bank without checking it, so tests can hand the engine what a check would refuse.
Bank bankOf(const BankSource &source);

// A tiny valid JPEG (a few pixels), for banks that need a figure.
QByteArray tinyJpeg(int seed = 0);

// A stand-in for the program's file: filler around the mark the build puts into the program, as built.
QByteArray programBytes();
// The bank that the program in the file at path runs, by the mark the file carries, as the program
// reads its own; a file without a mark is refused.
BankLoad bankOfProgramFile(const QString &path);

// Empty when the bank is the test the program ships; otherwise why the checks of the shipped content do
// not apply to it, for GTEST_SKIP.
std::string shippedBankMismatch(const Bank &bank);
// The same for the bank embedded in the test binary (a teacher may have built it with a test of their own).
std::string embeddedBankIsNotShipped();

// A small Aiken source that packs cleanly: three questions, the second with "A)" letters, the right
// answers B, A and B.
inline const QByteArray ThreeAikenQuestions = R"(Колко е 2 + 2?
A. 3
B. 4
ANSWER: B

Кой е правият ъгъл?
A) 90°
B) 60°
ANSWER: A

Столицата на България е:
A. Пловдив
B. София
C. Варна
ANSWER: B
)";

} // namespace morv::test

#include <ostream>

QT_BEGIN_NAMESPACE
// Lets test failures print texts as texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList &rows, std::ostream *out)
{
    *out << '[' << rows.join(u", ").toStdString() << ']';
}
QT_END_NAMESPACE
