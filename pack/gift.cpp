// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// GIFT: questions separated by blank lines, each "::title:: [format] text {=right ~wrong #feedback
// ####general feedback} more text"; "//" comment lines; "\" escapes the marks.
#include "bank/sourcefile.h"
#include "pack/importbuilder.h"

#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace morv {

using namespace importing;

namespace {

// A character of a question, and whether it was written escaped: escaped marks are plain text.
struct Ch
{
    QChar c;
    bool escaped = false;
};

class Chars
{
public:
    explicit Chars(const QString &raw)
    {
        static constexpr QStringView escapable = u"~=#{}:\\";
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] == u'\\' && i + 1 < raw.size()) {
                const QChar next = raw[i + 1];
                if (escapable.contains(next) || next == u'n') {
                    m_chars.push_back({next == u'n' ? QChar(u'\n') : next, true});
                    ++i;
                    continue;
                }
            }
            m_chars.push_back({raw[i], false});
        }
    }

    qsizetype size() const { return qsizetype(m_chars.size()); }

    // Whether the marks `marks` stand unescaped at `at`.
    bool marksAt(qsizetype at, QStringView marks) const
    {
        if (at < 0 || at + marks.size() > size())
            return false;
        for (qsizetype k = 0; k < marks.size(); ++k) {
            const Ch &ch = m_chars[std::size_t(at + k)];
            if (ch.escaped || ch.c != marks[k])
                return false;
        }
        return true;
    }

    // The first unescaped `marks` in [from, to), or -1.
    qsizetype find(QStringView marks, qsizetype from, qsizetype to) const
    {
        for (qsizetype i = from; i < to; ++i) {
            if (marksAt(i, marks))
                return i;
        }
        return -1;
    }

    qsizetype skipSpaces(qsizetype from, qsizetype to) const
    {
        while (from < to && m_chars[std::size_t(from)].c.isSpace())
            ++from;
        return from;
    }

    // The line of the character at `at`, for a block that begins at `first`.
    int lineOf(int first, qsizetype at) const
    {
        int line = first;
        for (qsizetype i = 0; i < at && i < size(); ++i)
            line += marksAt(i, u"\n") ? 1 : 0;
        return line;
    }

    QString text(qsizetype from, qsizetype to) const
    {
        QString out;
        for (qsizetype i = from; i < to; ++i)
            out.append(m_chars[std::size_t(i)].c);
        return out;
    }

private:
    std::vector<Ch> m_chars;
};

// "[html]" and the like before a text: the format it names, or `fallback`; the marker is taken off.
TextFormat takeFormat(QString &text, TextFormat fallback)
{
    static const std::pair<QStringView, TextFormat> markers[] = {
        {u"[html]", TextFormat::Html},
        {u"[moodle]", TextFormat::MoodleAuto},
        {u"[plain]", TextFormat::Plain},
        {u"[markdown]", TextFormat::Markdown},
    };
    const QString trimmed = text.trimmed();
    for (const auto &[marker, format] : markers) {
        if (trimmed.startsWith(marker, Qt::CaseInsensitive)) {
            text = trimmed.sliced(marker.size());
            return format;
        }
    }
    return fallback;
}

// A text of the question in the format its marker names, or else in `fallback`.
PlainText converted(ImportBuilder &builder, QString text, TextFormat fallback, TextPart part,
                    const QString &where)
{
    const TextFormat format = takeFormat(text, fallback);
    return builder.read(text, format, part, where);
}

struct Block
{
    int line = 0;
    QString text;
};

// The questions' lines, without comments and category lines, split at blank lines.
std::vector<Block> blocksOf(QStringView text)
{
    std::vector<Block> blocks;
    bool inBlock = false;
    forEachLine(text, [&](QStringView line, int number) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.startsWith(u"//") || trimmed.startsWith(u"$CATEGORY:")) {
            // An empty line in its place, so that every character keeps its line.
            if (inBlock)
                blocks.back().text.append(u'\n');
            return;
        }
        if (trimmed.isEmpty()) {
            inBlock = false;
            return;
        }
        if (!inBlock)
            blocks.push_back({number, {}});
        else
            blocks.back().text.append(u'\n');
        blocks.back().text.append(line);
        inBlock = true;
    });
    return blocks;
}

void readPicture(ImportBuilder &builder, const TextImage &image, const QString &folder, PictureBytes keep,
                 QuestionSource &question)
{
    question.pictureName = image.src;
    question.pictureText = image.alt;
    if (image.src.isEmpty()) {
        builder.questionProblem(Rule::Picture, u"изображението няма име на файл (src)"_s);
    } else if (image.src.contains(u"://")) {
        builder.questionProblem(Rule::Picture,
                                u"изображението %1 е в интернет: запишете го в папката на файла с въпросите "
                                u"и напишете само името му"_s.arg(quoted(image.src)));
    } else {
        SourceFile file = readSourceFile(folder, image.src, MaxPictureBytes);
        if (!file.problem.isEmpty())
            builder.questionProblem(Rule::Picture, file.problem);
        else if (keep == PictureBytes::Kept)
            question.picture = std::move(file.bytes);
    }
}

struct Answer
{
    qsizetype start = 0;   // where its mark stands
    bool right = false;    // marked with =
    bool weighted = false; // with a share of the marks, "%50%"
    double mark = 0;       // share of the marks in percent
    QString text;
    QString feedback;
};

// The answers of a multiple-choice block [from, to); false when they cannot be read.
bool readAnswers(ImportBuilder &builder, const Chars &chars, qsizetype from, qsizetype to,
                 std::vector<Answer> &answers)
{
    std::vector<qsizetype> starts;
    for (qsizetype i = from; i < to; ++i) {
        if (chars.marksAt(i, u"=") || chars.marksAt(i, u"~"))
            starts.push_back(i);
    }
    const QString lead = chars.text(from, starts.front()).trimmed();
    bool readable = lead.isEmpty();
    if (!readable)
        builder.questionProblem(
            Rule::Syntax,
            u"в „{…}“ преди първия отговор стои %1: всеки отговор започва с = или ~"_s.arg(quoted(lead)));
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const qsizetype end = k + 1 < starts.size() ? starts[k + 1] : to;
        Answer answer;
        answer.start = starts[k];
        answer.right = chars.marksAt(starts[k], u"=");
        answer.mark = answer.right ? 100 : 0;
        qsizetype at = starts[k] + 1;
        // "%50%" right after the mark gives the answer that share of the marks.
        if (chars.marksAt(at, u"%")) {
            answer.weighted = true;
            const qsizetype close = chars.find(u"%", at + 1, end);
            bool number = false;
            if (close >= 0)
                answer.mark = chars.text(at + 1, close).toDouble(&number);
            if (!number) {
                builder.questionProblem(Rule::Syntax,
                                        u"отговор %1: делът от точките трябва да е число между два знака %, "
                                        u"например ~%50%"_s.arg(k + 1));
                readable = false;
            }
            at = close < 0 ? end : close + 1;
        }
        const qsizetype hash = chars.find(u"#", at, end);
        answer.text = chars.text(at, hash < 0 ? end : hash);
        if (hash >= 0)
            answer.feedback = chars.text(hash + 1, end);
        answers.push_back(answer);
    }
    return readable;
}

// What kind of answer block [from, to) is, when it is not multiple choice.
std::optional<QStringView> otherKind(const Chars &chars, qsizetype from, qsizetype to)
{
    const qsizetype first = chars.skipSpaces(from, to);
    if (first == to)
        return EssayKind;
    if (chars.marksAt(first, u"#"))
        return NumericalKind;
    if (chars.find(u"~", from, to) >= 0)
        return std::nullopt;
    if (chars.find(u"=", from, to) >= 0 && chars.find(u"->", from, to) >= 0)
        return MatchingKind;
    const qsizetype hash = chars.find(u"#", from, to);
    static const QStringList truth = {u"T"_s, u"TRUE"_s, u"F"_s, u"FALSE"_s};
    if (truth.contains(chars.text(from, hash < 0 ? to : hash).trimmed(), Qt::CaseInsensitive))
        return TrueFalseKind;
    return ShortAnswerKind;
}

// A mark that most likely stands inside an answer's text, "x = 4" in {=x = 4 ~x = 3}: on the line of
// the answer before it, right after a character or between blanks. Marks such as "=2 =3" are not.
std::optional<qsizetype> unescapedMark(const Chars &chars, const std::vector<Answer> &answers)
{
    for (std::size_t k = 1; k < answers.size(); ++k) {
        const qsizetype at = answers[k].start;
        if (chars.find(u"\n", answers[k - 1].start, at) >= 0)
            continue;
        const bool glued = !chars.text(at - 1, at).front().isSpace();
        const bool spaced = at + 1 < chars.size() && chars.text(at + 1, at + 2).front().isSpace();
        if (glued || spaced)
            return qsizetype(k);
    }
    return std::nullopt;
}

void readQuestion(ImportBuilder &builder, const Block &block, const QString &folder, PictureBytes keep)
{
    builder.beginQuestion(block.line);
    const Chars chars(block.text);
    const qsizetype size = chars.size();
    qsizetype start = chars.skipSpaces(0, size);
    if (chars.marksAt(start, u"::")) {
        const qsizetype close = chars.find(u"::", start + 2, size);
        if (close < 0)
            return builder.questionProblem(Rule::Syntax, u"заглавието след „::“ не е затворено с „::“"_s);
        start = close + 2;
    }
    const qsizetype open = chars.find(u"{", start, size);
    const qsizetype close = chars.find(u"}", open < 0 ? start : open, size);
    if (open < 0 && close < 0)
        return builder.refuseKind(DescriptionKind);
    if (open < 0 || close < 0)
        return builder.questionProblem(
            Rule::Syntax, open < 0
                              ? u"„}“ без „{“ преди нея; знакът } в текст се пише \\}"_s
                              : u"отговорите след „{“ не са затворени с „}“; знакът { в текст се пише \\{"_s);
    // Answers, a line break and more answers: the next question began without a blank line.
    if (const qsizetype next = chars.find(u"{", close + 1, size);
        next >= 0 && chars.find(u"}", start, open) < 0 && chars.find(u"{", open + 1, close) < 0) {
        const qsizetype lineEnd = chars.find(u"\n", close + 1, next);
        if (lineEnd >= 0)
            return builder.questionProblemAt(
                Rule::Syntax, chars.lineOf(block.line, chars.skipSpaces(lineEnd, next)),
                u"тук започва нов въпрос, а преди него няма празен ред: въпросите се отделят с празен ред"_s);
    }
    if (chars.find(u"}", start, open) >= 0 || chars.find(u"{", open + 1, size) >= 0 ||
        chars.find(u"}", close + 1, size) >= 0)
        return builder.questionProblem(Rule::Syntax,
                                       u"въпросът може да има само едно поле с отговори „{…}“; знаците { и } "
                                       u"в текст се пишат \\{ и \\}"_s);
    const qsizetype generalFeedback = chars.find(u"####", open + 1, close);
    const qsizetype answersEnd = generalFeedback < 0 ? close : generalFeedback;
    if (const std::optional<QStringView> kind = otherKind(chars, open + 1, answersEnd))
        return builder.refuseKind(*kind);

    std::vector<Answer> answers;
    const bool readable = readAnswers(builder, chars, open + 1, answersEnd, answers);
    auto isRight = [](const Answer &a) { return a.right; };
    // Without an = answer, shares of the marks make a question where several answers may be chosen.
    if (readable && std::none_of(answers.begin(), answers.end(), isRight) &&
        std::any_of(answers.begin(), answers.end(), [](const Answer &a) { return a.weighted && a.mark > 0; }))
        return builder.refuseKind(SeveralRightKind);
    if (readable && std::count_if(answers.begin(), answers.end(), isRight) > 1) {
        if (const std::optional<qsizetype> k = unescapedMark(chars, answers)) {
            const qsizetype end =
                std::size_t(*k + 1) < answers.size() ? answers[std::size_t(*k + 1)].start : answersEnd;
            const qsizetype mark = answers[std::size_t(*k)].start;
            return builder.questionProblem(
                Rule::Syntax,
                u"в отговора %1 знакът %2 започва нов отговор: знаците = и ~ в текста на отговор се пишат "
                u"\\= "
                u"и \\~"_s.arg(quoted(chars.text(answers[std::size_t(*k - 1)].start + 1, end).trimmed()),
                               chars.text(mark, mark + 1)));
        }
    }

    QuestionSource question;
    const QString after = chars.text(close + 1, size);
    // Text after the answers makes a missing-word question: the blank stands where the answers stood.
    QString text = chars.text(start, open);
    if (!after.trimmed().isEmpty())
        text += u'_' + after;
    const TextFormat format = takeFormat(text, TextFormat::MoodleAuto);
    const QString questionText = u"текстът на въпроса"_s;
    const PlainText plain = builder.read(text, format, TextPart::Question, questionText);
    question.text = builder.carried(plain, questionText);
    if (const std::optional<TextImage> image = builder.questionPicture(plain))
        readPicture(builder, *image, folder, keep, question);
    if (generalFeedback >= 0) {
        const QString where = u"обяснението"_s;
        question.explanation = explanationRows(builder.withoutPictures(
            converted(builder, chars.text(generalFeedback + 4, close), format, TextPart::Feedback, where),
            where));
    }

    if (!readable)
        return;
    QList<double> marks;
    for (std::size_t k = 0; k < answers.size(); ++k) {
        const QString where = u"отговор %1"_s.arg(k + 1);
        const QString answer = builder.withoutPictures(
            converted(builder, answers[k].text, format, TextPart::Answer, where), where);
        question.answers.append(answer);
        marks.append(answers[k].mark);
        const QString feedback = u"отзивът към отговор %1"_s.arg(k + 1);
        appendAnswerFeedback(
            question.explanation, answer,
            builder.withoutPictures(
                converted(builder, answers[k].feedback, format, TextPart::Feedback, feedback), feedback));
    }
    if (const int right = builder.rightAnswer(marks, question.answers); right >= 0)
        question.correct = question.answers[right];
    builder.endQuestion(question);
}

} // namespace

Import importGift(const QByteArray &bytes, const QString &folder, PictureBytes keep)
{
    ImportBuilder builder;
    const std::optional<QString> text = builder.decode(bytes);
    if (!text)
        return builder.take();
    for (const Block &block : blocksOf(*text))
        readQuestion(builder, block, folder, keep);
    return builder.take();
}

} // namespace morv
