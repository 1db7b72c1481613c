// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Aiken: the question's lines, its answers "A. …" or "A) …", then "ANSWER: X"; blank lines between
// questions.
#include "pack/importbuilder.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace morv {

using namespace importing;

namespace {

struct AnswerLine
{
    QChar letter;
    QString text;
};

bool isLatinCapital(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

bool isAnswerMark(QChar c)
{
    return c == u'.' || c == u')';
}

// A Latin capital, a full stop or bracket, then the answer's text. `strict`: only with a blank or the
// line's end after the mark, for a line that may as well be a question's text ("A.B. Smith wrote…").
std::optional<AnswerLine> answerLine(const QString &line, bool strict)
{
    if (line.size() < 2 || !isLatinCapital(line[0]) || !isAnswerMark(line[1]))
        return std::nullopt;
    if (strict && line.size() > 2 && !line[2].isSpace())
        return std::nullopt;
    return AnswerLine{line[0], line.sliced(2).trimmed()};
}

// What keeps a line that looks like an answer from being one, or nothing when it does not look so.
std::optional<QString> notQuiteAnswer(const QString &line)
{
    if (line.size() < 2)
        return std::nullopt;
    const QChar letter = line[0];
    if (letter.script() == QChar::Script_Cyrillic && letter.isUpper() && isAnswerMark(line[1]))
        return u"буквата „%1“ е на кирилица, а трябва да е латинска: A, B, C…"_s.arg(letter);
    if (letter >= u'a' && letter <= u'z' && isAnswerMark(line[1]))
        return u"буквата „%1“ е малка, а трябва да е главна латинска: A, B, C…"_s.arg(letter);
    if (letter == u'(' && line.size() >= 3 && line[1].isLetter() && line[2] == u')')
        return u"буквата е в скоби, а се пише „%1) …“ или „%1. …“"_s.arg(line[1].toUpper());
    if (isLatinCapital(letter) && (line[1] == u':' || line[1] == u'-'))
        return u"след буквата стои „%1“, а трябва да стои точка или затваряща скоба: „%2. …“ или „%2) …“"_s
            .arg(line[1], letter);
    return std::nullopt;
}

// What follows "ANSWER:", or nothing when the line is not the answer key.
std::optional<QString> answerKey(const QString &line)
{
    static const QRegularExpression key(u"^ANSWER\\s*:(.*)$"_s, QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = key.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).trimmed();
}

// The question being read.
struct OpenQuestion
{
    bool open = false;
    bool blankSince = false; // a blank line came after its last line
    bool lettersReported = false;
    QStringList text;
    QList<int> textLines;
    QStringList answers;
};

void finish(ImportBuilder &builder, OpenQuestion &open, const std::optional<QString> &key)
{
    QuestionSource question;
    question.text = open.text.join(u'\n');
    question.answers = open.answers;
    // Without answers, the lines after the first that look like answers were meant as answers.
    for (qsizetype i = open.answers.isEmpty() ? 1 : open.text.size(); i < open.text.size(); ++i) {
        if (const std::optional<QString> wrong = notQuiteAnswer(open.text[i]))
            builder.questionProblemAt(
                Rule::Syntax, open.textLines[i],
                u"редът %1 прилича на отговор, но %2"_s.arg(quoted(open.text[i]), *wrong));
    }
    if (!key) {
        builder.questionProblem(Rule::RightAnswer, u"няма ред „ANSWER: …“ с буквата на верния отговор"_s);
    } else if (key->size() != 1 || !isLatinCapital(key->at(0).toUpper())) {
        if (key->size() == 1 && key->at(0).script() == QChar::Script_Cyrillic)
            builder.questionProblem(Rule::RightAnswer,
                                    u"буквата %1 след „ANSWER:“ е на кирилица, а буквите на отговорите са "
                                    u"латински: A, B, C…"_s.arg(quoted(*key)));
        else
            builder.questionProblem(
                Rule::RightAnswer,
                u"след „ANSWER:“ трябва да стои буквата на верния отговор, а стои %1"_s.arg(quoted(*key)));
    } else {
        const qsizetype index = key->at(0).toUpper().unicode() - u'A';
        if (index < open.answers.size())
            question.correct = open.answers[index];
        else
            builder.questionProblem(Rule::RightAnswer,
                                    u"буквата %1 след „ANSWER:“ не е на никой от отговорите"_s.arg(*key));
    }
    builder.endQuestion(question);
    open = {};
}

// Reports the last lines of the question's text that look like answers but are not, at their lines;
// whether there were any.
bool reportLookalikes(ImportBuilder &builder, const OpenQuestion &open)
{
    qsizetype first = open.text.size();
    while (first > 1 && notQuiteAnswer(open.text[first - 1]))
        --first;
    for (qsizetype i = first; i < open.text.size(); ++i)
        builder.questionProblemAt(
            Rule::Syntax, open.textLines[i],
            u"редът %1 прилича на отговор, но %2"_s.arg(quoted(open.text[i]), *notQuiteAnswer(open.text[i])));
    return first < open.text.size();
}

} // namespace

Import importAiken(const QByteArray &bytes)
{
    ImportBuilder builder;
    const std::optional<QString> text = builder.decode(bytes);
    if (!text)
        return builder.take();
    OpenQuestion open;
    forEachLine(*text, [&](QStringView raw, int number) {
        const QString line = raw.trimmed().toString();
        if (line.isEmpty()) {
            open.blankSince = open.open;
            return;
        }
        if (const std::optional<QString> key = answerKey(line)) {
            if (open.open)
                finish(builder, open, key);
            else
                builder.problem(Rule::Syntax, number, u"ред „ANSWER: …“ без въпрос и отговори преди него"_s);
            return;
        }
        // Only the strict form counts on a question's first line, which is its text otherwise.
        const std::optional<AnswerLine> answer = answerLine(line, !open.open || open.text.isEmpty());
        // Text after a blank line starts the next question: the open one ended without its key.
        if (open.open && !answer && open.blankSince)
            finish(builder, open, std::nullopt);
        if (!open.open) {
            builder.beginQuestion(number);
            open.open = true;
        }
        open.blankSince = false;
        if (answer) {
            const QChar expected(u'A' + int(open.answers.size()));
            // A first answer after lines that only look like answers ("А)" in Cyrillic): those lines were
            // meant as the answers before it, and are named for what keeps them from being answers.
            if (answer->letter != expected && open.answers.isEmpty())
                open.lettersReported = reportLookalikes(builder, open);
            if (answer->letter != expected && !open.lettersReported) {
                builder.questionProblemAt(
                    Rule::Syntax, number,
                    u"отговорът с буква %1 стои на мястото на %2: буквите на "
                    u"отговорите вървят по ред A, B, C…"_s.arg(answer->letter, expected));
                open.lettersReported = true;
            }
            open.answers.append(answer->text);
        } else if (open.answers.isEmpty()) {
            open.text.append(line);
            open.textLines.append(number);
        } else if (const std::optional<QString> wrong = notQuiteAnswer(line)) {
            builder.questionProblemAt(Rule::Syntax, number,
                                      u"редът %1 прилича на отговор, но %2"_s.arg(quoted(line), *wrong));
        } else {
            builder.questionProblemAt(
                Rule::Syntax, number,
                u"редът %1 не е нито отговор („A. …“), нито „ANSWER: …“"_s.arg(quoted(line)));
        }
    });
    if (open.open)
        finish(builder, open, std::nullopt);
    return builder.take();
}

} // namespace morv
