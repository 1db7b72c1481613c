// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the importers share: the source's text, the numbering of its questions, and the rules every
// imported question meets whatever its format.
#pragma once

#include "bank/testdocument.h"
#include "pack/htmltext.h"
#include "pack/importer.h"

#include <QStringConverter>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace morv::importing {

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
// The lines of a text with LF or CRLF ends, without their ends.
QStringList splitLines(const QString &text);
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

    // Questions are numbered from 1 in the order they begin.
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

    Import take() { return std::move(m_import); }

private:
    Import m_import;
    int m_number = 0;
    int m_line = 0;
    bool m_failed = false;
    bool m_refused = false;
    QStringList m_dependentFiles;
};

} // namespace morv::importing
