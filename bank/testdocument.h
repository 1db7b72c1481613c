// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The test as a teacher writes it, one typed value from every reader to every writer: the title, the
// switches and the questions, each with where it came from. The settings rows the program reads are
// made from it and read into it here, and nowhere else.
#pragma once

#include "bank/source.h"

#include <QStringView>

#include <array>
#include <span>
#include <vector>

namespace morv {

// The four switches a teacher sets, each the digit that ends its settings row.
enum class Switch { Phrase, Toto, Explanations, Review };
inline constexpr std::size_t SwitchCount = 4;

// One switch, named once: the command line's option, the window's check box and the settings row are
// all made from this.
struct SwitchInfo
{
    Switch which;
    QStringView option;   // the command line's name for it, without "--"
    QStringView rowLabel; // the row's text before " - " and its digit
    int row;              // Bank::PhraseRow…
    int shipped;          // its digit in the shipped test: the default
    QStringView label;    // the check box in the teacher's window
    QStringView help;     // the command line's help, Bulgarian then English
};

// The switches in the order of their rows.
std::span<const SwitchInfo> switchTable();
const SwitchInfo &switchInfo(Switch which);

// The digits the switch rows end in (0-9), kept as read, so that a test is written back as it came.
struct TestSwitches
{
    std::array<int, SwitchCount> digits = {0, 1, 1, 0};

    int digit(Switch which) const { return digits[std::size_t(which)]; }
    void setDigit(Switch which, int digit) { digits[std::size_t(which)] = digit; }
    void set(Switch which, bool on) { setDigit(which, on ? 1 : 0); }
    // As the program reads the row: the phrase preview and Forward and Back after grading at exactly 1,
    // the verdict and the explanations above 0.
    bool on(Switch which) const;
    // A check box shows 0 and 1 only: a Toto row at 2 (the verdict without the repeat) or an
    // explanations row above 1 works in the program but is neither ticked nor not.
    bool fitsCheckBox(Switch which) const { return digit(which) == 0 || digit(which) == 1; }
    // The repeat of question 1 as the last question: the Toto row at exactly 1.
    bool repeatQuestion() const { return digit(Switch::Toto) == 1; }

    friend bool operator==(const TestSwitches &, const TestSwitches &) = default;
};

using TestQuestion = QuestionSource;

struct TestDocument
{
    QString title;
    TestSwitches switches;
    std::vector<TestQuestion> questions;
    QString file; // the source the questions' lines refer to; empty for a test made in the window
    int settingsLine = 0;
    int questionsLine = 0;
    // The settings rows as a bank.json wrote them; empty for any other source. Only the converter reads
    // them: a row whose switch has not changed is written back exactly as it was.
    QStringList sourceRows;
    // The source had a list of settings rows, even an empty one: its count is the source's to answer for.
    bool rowsRead = false;

    friend bool operator==(const TestDocument &, const TestDocument &) = default;
};

// A source as read: the test as far as it could be read, and every problem on the way.
struct ParsedBank
{
    TestDocument document;
    QList<Problem> problems;
};

// The digit a settings row ends in; a row that ends otherwise reads as 0, as the program has always
// read it.
int rowDigit(const QString &row);

// The settings rows of the test: the rows it was read with where their value still holds, the shipped
// wording with the switch's digit where it changed or where the source had none.
QStringList settingsRows(const TestDocument &document);
// The title and switches of settings rows, the rows kept for settingsRows.
void readSettingsRows(TestDocument &document, const QStringList &rows);

// The bank source the checks and writers take, and back.
BankSource bankSource(const TestDocument &document);
TestDocument testDocument(const BankSource &source, const QString &file = {});

} // namespace morv
