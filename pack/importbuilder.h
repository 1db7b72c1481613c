// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the importers share: the source's text, the numbering of its questions, and the rules every
// imported question meets whatever its format.
#pragma once

#include "bank/testdocument.h"
#include "pack/htmltext.h"
#include "pack/importer.h"

#include <QSet>
#include <QStringConverter>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace morv::importing {

// The part of a question a text is, for the limit it is measured against.
enum class TextPart {
    Question, // the question's text
    Answer,   // one answer
    Feedback, // what becomes explanation rows: the general feedback, or the feedback to one answer
};

// How much longer than its limit a text may be written, with its markup, before it is refused from its
// raw length alone, unread: markup never makes a text this much longer than it shows.
inline constexpr qsizetype RawTextFactor = 16;
// Qt's Markdown reader takes longer for each list item and table row the longer the list or table: a
// Markdown text of more lines is refused unread, as is Markdown past the budget of a source.
inline constexpr qsizetype MarkdownLines = 500;
// A source's Markdown read in all, counted in characters and MarkdownTextCost for each text: many times
// what a test at every limit holds.
inline constexpr qsizetype MarkdownBudget = 256 * 1024;
inline constexpr qsizetype MarkdownTextCost = 32;

// Kinds of question the program cannot give, named as the teacher knows them.
inline constexpr QStringView TrueFalseKind = u"вярно/невярно";
inline constexpr QStringView ShortAnswerKind = u"кратък отговор";
inline constexpr QStringView NumericalKind = u"числов отговор";
inline constexpr QStringView MatchingKind = u"съпоставяне";
inline constexpr QStringView EssayKind = u"есе";
inline constexpr QStringView SeveralRightKind = u"няколко верни отговора";
inline constexpr QStringView DescriptionKind = u"описание без отговори";

// The UTF-16 a text file is in, when it looks like it: a byte order mark, or NUL bytes in one of every
// two places (the high halves of the spaces, digits and Latin letters of a text saved without a mark).
std::optional<QStringConverter::Encoding> utf16Encoding(QByteArrayView bytes);

// „text“, shortened when it is long.
QString quoted(const QString &text);
// Calls each(line, number) for every line of a text with LF or CRLF ends, without its end, numbered from
// 1: no list of lines is made, so a text of a million short lines costs no more than its own size.
template <typename Each>
void forEachLine(QStringView text, Each each)
{
    int number = 0;
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        QStringView line = text.sliced(start, end - start);
        if (line.endsWith(u'\r'))
            line.chop(1);
        each(line, ++number);
        start = end + 1;
    }
}
// The non-empty lines of a converted text, as explanation rows.
QStringList explanationRows(const QString &text);
// What the source says to a pupil who picks one answer, kept after the explanation as "„answer“: text".
void appendAnswerFeedback(QStringList &explanation, const QString &answer, const QString &feedback);
// The name of a file a Moodle text names as @@PLUGINFILE@@/path, percent-encoded; other names as
// they are.
QString fileName(const QString &src);

class ImportBuilder
{
public:
    // The source's text without its byte order mark, or nothing (and a problem) when it is not UTF-8:
    // UTF-16 is named as such, also without a byte order mark.
    std::optional<QString> decode(const QByteArray &bytes);

    // The test's title and switches, when the source carries them.
    void settings(const QString &title, const TestSwitches &switches);

    // A problem at a line of the source outside any question.
    void problem(Rule rule, int line, const QString &text);

    // Questions are numbered from 1 in the order they begin. Past MostRead they are only counted: no
    // text of theirs is read, nothing of theirs kept or reported, and one problem says how many there are.
    void beginQuestion(int line);
    // A problem of the current question, at the line where it begins.
    void questionProblem(Rule rule, const QString &text);
    // A problem of the current question at one of its own lines.
    void questionProblemAt(Rule rule, int line, const QString &text);
    // A warning about the current question, at the line where it begins: the question is still kept,
    // changed from its source.
    void warning(const QString &text);
    // The current question is of a kind the program cannot give (`name` is the format's own word for
    // it, when it has one): it is reported once and not checked further.
    void refuseKind(QStringView kind, const QString &name = {});
    // The index of the one right answer, from each answer's share of the marks in percent; -1 when
    // there is none, after reporting why. An answer worth part of the marks beside the right one is
    // kept as a wrong one, with a warning naming it.
    int rightAnswer(const QList<double> &marks, const QStringList &answers);
    // A text of the current question in the program's plain form, as toPlainText gives it. A text far
    // over its limit (RawTextFactor), or Markdown of more than MarkdownLines lines or past the source's
    // MarkdownBudget, is reported naming it (`where`, as withoutPictures names it) and gives nothing;
    // the question is then not checked further.
    PlainText read(QStringView text, TextFormat format, TextPart part, const QString &where);
    // The one picture of the question's text, if it has one; more than one is reported.
    std::optional<TextImage> questionPicture(const PlainText &text);
    // A text of the current question as the pupil reads it. What it cannot carry over is reported:
    // a superscript or subscript without its characters, sound, video and linked files (problems),
    // links to the web and HTML in Markdown (warnings). `where` names the text as withoutPictures does.
    QString carried(const PlainText &text, const QString &where);
    // A text of the current question where pictures cannot go: any picture in it is reported, and
    // what carried reports.
    QString withoutPictures(const PlainText &text, const QString &where);
    // A file the question plays, shows or opens, which the program cannot: reported once a question,
    // `what` saying where it is ("към текста на въпроса е приложен файл „a.mp3“").
    void dependentFile(const QString &file, const QString &what);
    // Checks the rules every question meets and keeps it when nothing was wrong with it. A question
    // whose structure could not be read is left without this call.
    void endQuestion(QuestionSource question);

    // Whether a problem of the current question has been reported.
    bool failed() const { return m_failed; }

    // What was imported. Past MostListed problems (or warnings) the rest are only counted, and one last
    // problem (or warning) says how many: a crafted file of a million faults costs no more than its size.
    Import take();

    static constexpr qsizetype MostListed = 1000;
    static constexpr int MostRead = 1000;

private:
    bool counting() const { return m_number > MostRead; }
    void list(QList<Problem> &into, qsizetype &omitted, Problem problem);

    Import m_import;
    int m_number = 0;
    int m_line = 0;
    bool m_failed = false;
    bool m_refused = false;
    bool m_textRefused = false; // a text was refused unread: what checks the rest would say of it is wrong
    bool m_markdownBudgetReported = false;
    qsizetype m_markdownLeft = MarkdownBudget;
    QSet<QString> m_dependentFiles;
    qsizetype m_omittedProblems = 0;
    qsizetype m_omittedWarnings = 0;
};

} // namespace morv::importing
