// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A bank source as read, before it is checked, and the problems found in it.
#pragma once

#include "bank/sourcefile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace morv {

// The rule a problem breaks. Callers choose among problems by it, never by their wording, which is
// the teacher's and may change.
enum class Rule {
    Unreadable,      // the source, or a file it names, cannot be read
    TooLarge,        // the source is refused from its size alone
    Encoding,        // the text is not UTF-8
    Syntax,          // the text does not follow its format (JSON, Aiken, GIFT, Moodle XML)
    Structure,       // a field is missing, unknown, of the wrong kind or written twice
    Settings,        // the settings rows: how many, or a row's text
    QuestionCount,   // too few questions, or more than the bank holds
    QuestionText,    // the question's own text
    AnswerCount,     // fewer than 2 answers or more than 5
    AnswerText,      // an answer's text
    RightAnswer,     // the right answer is none of the answers, or several
    Explanation,     // the explanation's lines
    Picture,         // the figure: its name, its file, its size, or it cannot be shown
    PictureText,     // what a screen reader says of the figure
    DamagedPayload,  // a bank carried by a program is not what was written
    QuestionKind,    // an imported question of a kind the program cannot give
    NotCarriedOver,  // an imported text holds what the program cannot show (sound, a linked file...)
    ChangedOnImport, // warning: an imported question is given otherwise than its source has it
    DoesNotFit,      // warning: a text or figure is not seen whole in the window
    NotWritten,      // the program or folder cannot be written there, or the test cannot be started
    Omitted,         // how many more problems or warnings there are than a report lists
};

// One thing wrong with a source, in the teacher's words.
struct Problem
{
    Rule rule = Rule::Syntax;
    int line = 0;     // from 1; 0 when it concerns the whole source
    int question = 0; // from 1, in the source's order; 0 when it concerns no one question
    QString text;     // what is wrong, without its place: that is composed where a problem is shown
};

// "въпрос N: text" for a problem of one question, the text alone for the whole source: a problem
// as the teacher reads it.
QString shownText(const Problem &problem);
// The shown texts of the problems, without their lines.
QStringList texts(const QList<Problem> &problems);
// "FILE:LINE: text", or "FILE: text" for the whole source: one problem as a checker reports it. A
// `kind` ("внимание: ") goes before the question's place.
QString located(const QString &file, const Problem &problem, QStringView kind = {});
// "въпрос 3": where a problem sits, the index-th question (from 0) counted as the teacher does, from 1.
QString questionPlace(std::size_t index);
// „text“: a name or value of the source, as a message quotes it.
QString inQuotes(const QString &text);

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

    friend bool operator==(const QuestionSource &, const QuestionSource &) = default;
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

} // namespace morv
