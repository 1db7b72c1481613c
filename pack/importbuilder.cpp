// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/importbuilder.h"

#include "bank/rules.h"

#include <QStringDecoder>
#include <QUrl>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace morv::importing {

std::optional<QStringConverter::Encoding> utf16Encoding(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (bytes.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    // Enough of the start to tell: a NUL now and then in a UTF-8 text is a fault of its own.
    const QByteArrayView start = bytes.first(std::min<qsizetype>(bytes.size(), 4096));
    qsizetype pairs = start.size() / 2, nulsFirst = 0, nulsSecond = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        nulsFirst += start[2 * i] == '\0';
        nulsSecond += start[2 * i + 1] == '\0';
    }
    if (nulsSecond * 10 >= pairs && nulsSecond > 4 * nulsFirst)
        return QStringConverter::Utf16LE;
    if (nulsFirst * 10 >= pairs && nulsFirst > 4 * nulsSecond)
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

QString quoted(const QString &text)
{
    // Counted in characters, not UTF-16 units: one beyond the basic plane (an emoji, 𝑥) is one, never cut.
    constexpr qsizetype longest = 60;
    const QList<uint> characters = text.toUcs4();
    if (characters.size() <= longest)
        return u"„%1“"_s.arg(text);
    QString kept;
    for (const uint c : characters.first(longest - 1))
        kept += QChar::fromUcs4(c);
    return u"„%1…“"_s.arg(kept);
}

QStringList explanationRows(const QString &text)
{
    return text.split(u'\n', Qt::SkipEmptyParts);
}

void appendAnswerFeedback(QStringList &explanation, const QString &answer, const QString &feedback)
{
    QStringList rows = explanationRows(feedback);
    if (rows.isEmpty())
        return;
    rows.first() = u"„%1“: %2"_s.arg(answer, rows.first());
    explanation.append(rows);
}

QString fileName(const QString &src)
{
    static constexpr QStringView prefix = u"@@PLUGINFILE@@";
    if (!src.startsWith(prefix))
        return src;
    const QString path = QUrl::fromPercentEncoding(src.sliced(prefix.size()).toUtf8());
    return path.sliced(path.lastIndexOf(u'/') + 1);
}

namespace {

// "в текста на въпроса" for "текстът на въпроса", "в отговор 2" for "отговор 2".
QString inPart(const QString &where)
{
    QString in = where;
    if (in.startsWith(u"текстът") || in.startsWith(u"отзивът"))
        in.remove(5, 2).insert(5, u'а');
    return u"в "_s + in;
}

// Links that leave the test for another place: their words stay, the place is lost.
bool isWebAddress(const QString &href)
{
    return href.contains(u"://") || href.startsWith(u"mailto:", Qt::CaseInsensitive) ||
           href.startsWith(u"www.", Qt::CaseInsensitive);
}

} // namespace

std::optional<QString> ImportBuilder::decode(const QByteArray &bytes)
{
    // Read as UTF-8, a UTF-16 text without its mark is valid and shows only as missing keys and braces.
    if (utf16Encoding(bytes)) {
        problem(Rule::Encoding, 0, u"файлът с въпросите е в кодиране UTF-16: запишете го като UTF-8"_s);
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // No character spans a line end, so the first line that fails alone is where the fault is.
    const QList<QByteArray> lines = bytes.split('\n');
    const auto bad =
        std::find_if(lines.begin(), lines.end(), [](const QByteArray &l) { return !l.isValidUtf8(); });
    problem(Rule::Encoding, bad == lines.end() ? 0 : int(bad - lines.begin()) + 1,
            u"файлът с въпросите не е в кодиране UTF-8: запишете го като UTF-8"_s);
    return std::nullopt;
}

void ImportBuilder::settings(const QString &title, const TestSwitches &switches)
{
    m_import.source.title = title;
    m_import.source.switches = switches;
    m_import.hasSettings = true;
}

void ImportBuilder::problem(Rule rule, int line, const QString &text)
{
    list(m_import.problems, m_omittedProblems, {.rule = rule, .line = line, .text = text});
}

void ImportBuilder::beginQuestion(int line)
{
    ++m_number;
    m_line = line;
    if (!counting())
        m_import.begun.emplace_back().line = line;
    m_failed = false;
    m_refused = false;
    m_textRefused = false;
    m_dependentFiles.clear();
}

void ImportBuilder::questionProblem(Rule rule, const QString &text)
{
    questionProblemAt(rule, m_line, text);
}

void ImportBuilder::questionProblemAt(Rule rule, int line, const QString &text)
{
    m_failed = true;
    if (counting())
        return;
    list(m_import.problems, m_omittedProblems,
         {.rule = rule, .line = line, .question = m_number, .text = text});
}

void ImportBuilder::warning(const QString &text)
{
    if (counting())
        return;
    list(m_import.warnings, m_omittedWarnings,
         {.rule = Rule::ChangedOnImport, .line = m_line, .question = m_number, .text = text});
}

void ImportBuilder::refuseKind(QStringView kind, const QString &name)
{
    if (m_refused)
        return;
    const QString named = name.isEmpty() ? QString() : u" (%1)"_s.arg(name);
    questionProblem(Rule::QuestionKind,
                    u"въпрос от вида „%1“%2 не се поддържа: програмата задава само въпроси с избор на един "
                    u"верен отговор"_s.arg(kind.toString(), named));
    m_refused = true;
}

int ImportBuilder::rightAnswer(const QList<double> &marks, const QStringList &answers)
{
    QList<qsizetype> full;
    QList<qsizetype> partial;
    for (qsizetype i = 0; i < marks.size(); ++i) {
        if (std::abs(marks[i] - 100) <= 1e-4)
            full.append(i);
        else if (marks[i] > 0)
            partial.append(i);
    }
    if (full.size() > 1 || (full.isEmpty() && partial.size() > 1)) {
        refuseKind(SeveralRightKind);
        return -1;
    }
    if (full.isEmpty() && partial.isEmpty()) {
        questionProblem(Rule::RightAnswer, u"няма верен отговор"_s);
        return -1;
    }
    if (full.isEmpty()) {
        questionProblem(
            Rule::RightAnswer,
            u"верният отговор носи %1 % от точките, а трябва да носи 100 %"_s.arg(marks[partial.first()]));
        return -1;
    }
    for (const qsizetype i : partial)
        warning(u"отговор %1 %2 носи %3 % от точките, а програмата познава само верен и грешен отговор: "
                u"записан е като грешен"_s.arg(QString::number(i + 1), quoted(answers.value(i)))
                    .arg(marks[i]));
    return int(full.first());
}

PlainText ImportBuilder::read(QStringView text, TextFormat format, TextPart part, const QString &where)
{
    static constexpr qsizetype explanationChars = limits::ExplanationLines * (limits::ExplanationLine + 1);
    const qsizetype limit = part == TextPart::Question ? limits::QuestionText
                            : part == TextPart::Answer ? limits::AnswerText
                                                       : explanationChars;
    const Rule rule = part == TextPart::Question ? Rule::QuestionText
                      : part == TextPart::Answer ? Rule::AnswerText
                                                 : Rule::Explanation;
    const QString most =
        part == TextPart::Feedback
            ? u"%1 реда по %2 знака"_s.arg(limits::ExplanationLines).arg(limits::ExplanationLine)
            : u"%1 знака"_s.arg(limit);
    auto refuse = [&](const QString &why) {
        questionProblem(rule, why);
        m_textRefused = true;
        return PlainText();
    };
    if (counting()) {
        m_textRefused = true;
        return {};
    }
    if (text.size() > RawTextFactor * limit)
        return refuse(u"%1 заема във файла %2 знака — твърде много: показаният текст може да има най-много "
                      u"%3; съкратете го"_s.arg(where, QString::number(text.size()), most));
    if (format != TextFormat::Markdown)
        return toPlainText(text, format);
    if (const qsizetype lines = text.count(u'\n') + 1; lines > MarkdownLines)
        return refuse(u"%1 във формат Markdown е на %2 реда — твърде много: може да има най-много %3 реда; "
                      u"съкратете го"_s.arg(where, QString::number(lines), QString::number(MarkdownLines)));
    const qsizetype cost = text.size() + MarkdownTextCost;
    if (cost > m_markdownLeft) {
        m_markdownLeft = 0;
        // Told once, at the first text past it: the source is refused, and with it every later question.
        if (m_markdownBudgetReported) {
            m_textRefused = m_failed = true;
            return {};
        }
        m_markdownBudgetReported = true;
        return refuse(u"%1 и текстовете във формат Markdown след него не са прочетени: текстовете във формат "
                      u"Markdown във файла заедно надхвърлят %2 знака, много повече от истински тест; "
                      u"съкратете ги или разделете файла"_s.arg(where, QString::number(MarkdownBudget)));
    }
    m_markdownLeft -= cost;
    return toPlainText(text, format);
}

std::optional<TextImage> ImportBuilder::questionPicture(const PlainText &text)
{
    if (text.images.size() > 1)
        questionProblem(
            Rule::Picture,
            u"текстът на въпроса има %1 изображения, а може да има най-много едно"_s.arg(text.images.size()));
    if (text.images.size() != 1)
        return std::nullopt;
    return text.images.first();
}

QString ImportBuilder::carried(const PlainText &text, const QString &where)
{
    const QString in = inPart(where);
    for (const TextScript &script : text.scripts) {
        const QString kind = script.super ? u"горен"_s : u"долен"_s;
        if (!script.nested.isEmpty()) {
            questionProblem(
                Rule::NotCarriedOver,
                u"%1 има %2 индекс %3 (<%4>) с индекс в него: програмата показва само обикновен "
                u"текст, в който вътрешният индекс би се чел като продължение на външния; напишете "
                u"го например като %5(%6)"_s.arg(
                    in, kind, quoted(script.text), script.super ? u"sup"_s : u"sub"_s,
                    script.super ? u"^"_s : u"_"_s,
                    script.nested.size() > 60 ? script.nested.first(59) + u'…' : script.nested));
            continue;
        }
        const auto bare = std::find_if(script.text.begin(), script.text.end(),
                                       [&](QChar c) { return !toScript(QStringView(&c, 1), script.super); });
        questionProblem(Rule::NotCarriedOver,
                        u"%1 има %2 индекс %3 (<%4>), а знакът „%5“ няма %6 форма: програмата показва само "
                        u"обикновен текст; напишете го например като %7(%8)"_s.arg(
                            in, kind, quoted(script.text), script.super ? u"sup"_s : u"sub"_s,
                            bare == script.text.end() ? QString() : QString(*bare),
                            script.super ? u"горна"_s : u"долна"_s, script.super ? u"^"_s : u"_"_s,
                            script.text));
    }
    for (const TextMedia &media : text.media) {
        const QString file = fileName(media.src);
        dependentFile(file, file.isEmpty() ? u"%1 има <%2> без име на файл"_s.arg(in, media.tag)
                                           : u"%1 има файл %2 (<%3>)"_s.arg(in, quoted(file), media.tag));
    }
    for (const TextLink &link : text.links) {
        if (link.href.startsWith(u'#'))
            continue;
        if (!isWebAddress(link.href))
            dependentFile(fileName(link.href),
                          u"%1 има връзка към файл %2"_s.arg(in, quoted(fileName(link.href))));
        else if (link.text.isEmpty())
            warning(u"%1 има връзка към %2 без думи: учениците не я виждат"_s.arg(in, quoted(link.href)));
        else
            warning(u"%1 има връзка %2 към %3: учениците виждат само думите, без адреса"_s.arg(
                in, quoted(link.text), quoted(link.href)));
    }
    if (!text.markup.isEmpty())
        warning(u"%1 има HTML %2, а текстът е във формат Markdown, който се чете без HTML: тагът ще се вижда "
                u"както е написан"_s.arg(in, quoted(text.markup)));
    return text.text;
}

QString ImportBuilder::withoutPictures(const PlainText &text, const QString &where)
{
    for (const TextImage &image : text.images)
        questionProblem(Rule::Picture,
                        u"%1 не може да има изображение (%2): изображението може да е само в текста на "
                        u"въпроса"_s.arg(where, quoted(image.src)));
    return carried(text, where);
}

void ImportBuilder::dependentFile(const QString &file, const QString &what)
{
    if (counting())
        return;
    if (!file.isEmpty()) {
        if (m_dependentFiles.contains(file))
            return;
        m_dependentFiles.insert(file);
    }
    questionProblem(Rule::NotCarriedOver,
                    u"%1: програмата не може да го пусне, покаже или отвори, а въпросът може да зависи от "
                    u"него; махнете го или опишете с думи какво има в него"_s.arg(what));
}

void ImportBuilder::endQuestion(QuestionSource question)
{
    if (counting())
        return;
    question.line = m_line;
    m_import.begun.back() = question;
    if (!m_refused && !m_textRefused) {
        // The bank's own rules, so that a source is refused where its questions are, in one run. The
        // picture is left to the packer, which checks it once converted: its source may be far larger.
        QuestionSource checked = question;
        checked.picture.clear();
        QList<Problem> problems = checkQuestion(checked, std::size_t(m_number - 1));
        // Without a right answer the importer has already said why; the bank's verdict on the empty
        // one would only repeat it.
        if (question.correct.isEmpty())
            problems.removeIf([](const Problem &p) { return p.rule == Rule::RightAnswer; });
        m_failed = m_failed || !problems.isEmpty();
        for (Problem &problem : problems)
            list(m_import.problems, m_omittedProblems, std::move(problem));
    }
    if (!m_failed)
        m_import.source.questions.push_back(std::move(question));
}

void ImportBuilder::list(QList<Problem> &into, qsizetype &omitted, Problem problem)
{
    if (into.size() < MostListed)
        into.append(std::move(problem));
    else
        ++omitted;
}

Import ImportBuilder::take()
{
    if (counting())
        m_import.problems.append(
            {.rule = Rule::QuestionCount,
             .text = u"файлът има %1 въпроса — много повече, отколкото побира един тест (най-много %2): "
                     u"проверени са само първите %3; разделете го на по-малки тестове"_s.arg(m_number)
                         .arg(maxQuestions(false))
                         .arg(MostRead)});
    if (m_omittedProblems > 0)
        m_import.problems.append(
            {.rule = Rule::Omitted,
             .text = u"и още %1, които не са изброени: поправете изброените и проверете файла отново"_s.arg(
                 m_omittedProblems == 1 ? u"1 проблем"_s : u"%1 проблема"_s.arg(m_omittedProblems))});
    if (m_omittedWarnings > 0)
        m_import.warnings.append(
            {.rule = Rule::Omitted,
             .text = u"и още %1, които не са изброени"_s.arg(
                 m_omittedWarnings == 1 ? u"1 предупреждение"_s
                                        : u"%1 предупреждения"_s.arg(m_omittedWarnings))});
    m_omittedProblems = m_omittedWarnings = 0;
    return std::move(m_import);
}

} // namespace morv::importing
