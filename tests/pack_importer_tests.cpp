// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The packer's importers: what each format brings into a bank source, what they refuse, and where.
#include "bank/rules.h"
#include "pack/htmltext.h"
#include "pack/importer.h"
#include "pack/moodletext.h"
#include "pack/moodlewriter.h"
#include "tests/support/rows.h"
#include "tests/support/testbank.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace Qt::Literals::StringLiterals;
using namespace morv;

namespace {

// In the rows' own namespace, where GoogleTest looks for a failing row's PrintTo.
using morv::test::PrintTo;
using morv::test::RowName;

// Problems as "line: text" rows, so an expectation reads like the packer's report.
QString problemsOf(const Import &import)
{
    QStringList rows;
    for (const Problem &problem : import.problems)
        rows.append(u"%1: %2"_s.arg(problem.line).arg(shownText(problem)));
    return rows.join(u'\n');
}

QString warningsOf(const Import &import)
{
    Import warnings;
    warnings.problems = import.warnings;
    return problemsOf(warnings);
}

QString refusedKind(int line, int question, const QString &kind)
{
    return u"%1: въпрос %2: въпрос от вида „%3“ не се поддържа: програмата задава само въпроси с избор на "
           u"един верен отговор"_s.arg(QString::number(line), QString::number(question), kind);
}

Import import(SourceFormat format, const QByteArray &bytes)
{
    switch (format) {
    case SourceFormat::Aiken:
        return importAiken(bytes);
    case SourceFormat::Gift:
        return importGift(bytes, u"/nonexistent"_s);
    case SourceFormat::MoodleXml:
        return importMoodleXml(bytes);
    case SourceFormat::Folder:
        break;
    }
    return {};
}

struct SourceCase
{
    const char *name;
    SourceFormat format;
    QByteArray source;
    QString problems; // as problemsOf gives them
    QString warnings = {};
};

class SourceProblems : public testing::TestWithParam<SourceCase>
{};

// Each fault of a source is reported with its line and in the teacher's words, and nothing else is.
TEST_P(SourceProblems, AreReportedWithTheirLines)
{
    const Import imported = import(GetParam().format, GetParam().source);
    EXPECT_EQ(problemsOf(imported), GetParam().problems);
    EXPECT_EQ(warningsOf(imported), GetParam().warnings);
}

struct KeptCase
{
    const char *name;
    SourceFormat format;
    QByteArray source;
    const char16_t *text;
    QStringList answers;
    const char16_t *correct;
    QString warnings; // as problemsOf gives them
};

class KeptQuestion : public testing::TestWithParam<KeptCase>
{};

// A construct the program can carry over gives the question as the teacher wrote it; whatever is
// written otherwise is a warning naming the question and its line.
TEST_P(KeptQuestion, IsReadAsWritten)
{
    const Import imported = import(GetParam().format, GetParam().source);
    EXPECT_EQ(problemsOf(imported), QString());
    EXPECT_EQ(warningsOf(imported), GetParam().warnings);
    ASSERT_EQ(imported.source.questions.size(), 1u);
    const QuestionSource &question = imported.source.questions[0];
    EXPECT_EQ(question.text, QString::fromUtf16(GetParam().text));
    EXPECT_EQ(question.answers, GetParam().answers);
    EXPECT_EQ(question.correct, QString::fromUtf16(GetParam().correct));
}

// The same question in every format, to check what all of them share.
constexpr const char *aikenQuestion = "Колко е 2 + 2?\nA. 3\nB. 4\nANSWER: B\n";
constexpr const char *giftQuestion = "Колко е 2 + 2? {~3 =4}\n";
constexpr const char *moodleQuestion = R"(<?xml version="1.0" encoding="UTF-8"?>
<quiz>
  <question type="multichoice">
    <questiontext format="html"><text>Колко е 2 + 2?</text></questiontext>
    <answer fraction="0"><text>3</text></answer>
    <answer fraction="100"><text>4</text></answer>
  </question>
</quiz>
)";

struct EncodingCase
{
    const char *name;
    SourceFormat format;
    const char *source;
};

class SourceEncoding : public testing::TestWithParam<EncodingCase>
{};

// UTF-8 with or without its byte order mark, with LF or CRLF line ends, reads the same.
TEST_P(SourceEncoding, BomAndCrlfReadAlike)
{
    const QByteArray lf = GetParam().source;
    QByteArray crlf = lf;
    crlf.replace("\n", "\r\n");
    for (const QByteArray &bytes : {lf, "\xEF\xBB\xBF" + lf, crlf, "\xEF\xBB\xBF" + crlf}) {
        const Import imported = import(GetParam().format, bytes);
        EXPECT_EQ(problemsOf(imported), QString());
        ASSERT_EQ(imported.source.questions.size(), 1u);
        const QuestionSource &question = imported.source.questions.front();
        EXPECT_EQ(question.text, u"Колко е 2 + 2?"_s);
        EXPECT_EQ(question.answers, (QStringList{u"3"_s, u"4"_s}));
        EXPECT_EQ(question.correct, u"4"_s);
        EXPECT_FALSE(imported.hasSettings);
    }
}

// A source in another encoding is refused at the first line that is not UTF-8.
TEST_P(SourceEncoding, RefusesAnotherEncodingAtItsLine)
{
    // "Пример" in windows-1251 on the second line.
    const QByteArray bytes = "\n\xCF\xF0\xE8\xEC\xE5\xF0\n" + QByteArray(GetParam().source);
    const Import imported = import(GetParam().format, bytes);
    EXPECT_EQ(problemsOf(imported), u"2: файлът с въпросите не е в кодиране UTF-8: запишете го като UTF-8"_s);
    EXPECT_TRUE(imported.source.questions.empty());
}

// A source saved as UTF-16, with or without its byte order mark, is refused for its encoding: read as
// UTF-8 it would only seem to lack its answers, braces or elements.
TEST_P(SourceEncoding, NamesUtf16AsTheEncoding)
{
    const QString text = QString::fromUtf8(GetParam().source);
    const QByteArray littleEndian = QStringEncoder(QStringConverter::Utf16LE).encode(text);
    const QByteArray bigEndian = QStringEncoder(QStringConverter::Utf16BE).encode(text);
    for (const QByteArray &bytes :
         {littleEndian, bigEndian, "\xFF\xFE" + littleEndian, "\xFE\xFF" + bigEndian}) {
        const Import imported = import(GetParam().format, bytes);
        EXPECT_EQ(problemsOf(imported),
                  u"0: файлът с въпросите е в кодиране UTF-16: запишете го като UTF-8"_s);
        EXPECT_TRUE(imported.source.questions.empty());
    }
    // A NUL now and then in a UTF-8 text is a fault of that text, not another encoding.
    const Import stray = import(GetParam().format, QByteArray(GetParam().source).replace("2 + 2", "2 +\0 2"));
    EXPECT_FALSE(problemsOf(stray).contains(u"UTF-16"_s)) << problemsOf(stray).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Pack, SourceEncoding,
                         testing::Values(EncodingCase{"Aiken", SourceFormat::Aiken, aikenQuestion},
                                         EncodingCase{"Gift", SourceFormat::Gift, giftQuestion},
                                         EncodingCase{"MoodleXml", SourceFormat::MoodleXml, moodleQuestion}),
                         RowName());

// ---- HTML to plain text ----

struct HtmlCase
{
    const char *name;
    const char16_t *html;
    TextFormat format;
    const char16_t *text;
};

class HtmlText : public testing::TestWithParam<HtmlCase>
{};

// Markup becomes plain text as a reader would see it; what only looks like markup stays.
TEST_P(HtmlText, BecomesPlainText)
{
    EXPECT_EQ(toPlainText(GetParam().html, GetParam().format).text, QString::fromUtf16(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Pack, HtmlText,
    testing::Values(
        HtmlCase{"ParagraphsAsLines", u"<p>Едно</p>\n<p>Две</p>", TextFormat::Html, u"Едно\nДве"},
        HtmlCase{"BreaksAsLines", u"а<br>б<br/>в<BR />г", TextFormat::Html, u"а\nб\nв\nг"},
        HtmlCase{"TagsInCapitals", u"<P>а</P>б", TextFormat::Html, u"а\nб"},
        HtmlCase{"InlineTagsDropped", u"<b>Сб</b><i>ор</i> <span class=\"x\">ъгли</span>", TextFormat::Html,
                 u"Сбор ъгли"},
        HtmlCase{"NamedEntities", u"&amp; &lt; &gt; &quot; &#39; &apos;&nbsp;x 90&deg;", TextFormat::Html,
                 u"& < > \" ' ' x 90°"},
        HtmlCase{"NumericEntities", u"&#1090;&#x435;&#X441;&#1090;", TextFormat::Html, u"тест"},
        HtmlCase{"InvalidCodePointReplaced", u"a&#xD800;b&#0;c&#1114112;d", TextFormat::Html,
                 u"a\uFFFDb\uFFFDc\uFFFDd"},
        HtmlCase{"UnknownEntityKept", u"&foo; и &amp без точка и запетая", TextFormat::Html,
                 u"&foo; и &amp без точка и запетая"},
        HtmlCase{"ComparisonsStay", u"3 < 5 & 7 > 2, a<5", TextFormat::Html, u"3 < 5 & 7 > 2, a<5"},
        HtmlCase{"UnclosedTagStays", u"x <b", TextFormat::Html, u"x <b"},
        HtmlCase{"UnclosedQuoteLeavesTheRestAsWritten", u"<i>а</i> <img alt=\"x>б <b>в</b>", TextFormat::Html,
                 u"а <img alt=\"x>б <b>в</b>"},
        HtmlCase{"BlanksCollapsed", u"  a \n\t b&nbsp;&nbsp; c  ", TextFormat::Html, u"a b c"},
        HtmlCase{"CommentsAndScriptsDropped", u"a<!-- <p> -->b<script>x = '<p>';</script>c<style>p{}</style>",
                 TextFormat::Html, u"abc"},
        HtmlCase{"QuotedGreaterThanInAttribute", u"<img alt=\"a > b\" src='x.png'>текст", TextFormat::Html,
                 u"текст"},
        HtmlCase{"TableCellsSpaced", u"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>",
                 TextFormat::Html, u"a b\nc"},
        HtmlCase{"EmptyParagraphsAddNoLines", u"<p></p><p>а</p><p>&nbsp;</p><div><p>б</p></div>",
                 TextFormat::Html, u"а\nб"},
        HtmlCase{"MoodleAutoKeepsLineBreaks", u"ред 1\nред <b>2</b>", TextFormat::MoodleAuto,
                 u"ред 1\nред 2"},
        HtmlCase{"HtmlJoinsLineBreaks", u"ред 1\nред 2", TextFormat::Html, u"ред 1 ред 2"},
        HtmlCase{"PlainKeepsMarkup", u"  <b>а</b> &amp;\n б ", TextFormat::Plain, u"<b>а</b> &amp;\nб"},
        HtmlCase{"MarkdownKeptAsWritten", u"**а** и _б_", TextFormat::Markdown, u"а и б"},
        HtmlCase{"SuperscriptDigit", u"10<sup>5</sup> m", TextFormat::Html, u"10⁵ m"},
        HtmlCase{"SubscriptDigit", u"H<SUB>2</SUB>O", TextFormat::Html, u"H₂O"},
        HtmlCase{"SquareCentimetres", u"cm<sup>2</sup>, cm<sup>3</sup>, 10<sup>0</sup>", TextFormat::Html,
                 u"cm², cm³, 10⁰"},
        HtmlCase{"SuperscriptSignsAndLetters", u"x<sup>-(n+1)</sup> = e<sup>i</sup>", TextFormat::Html,
                 u"x⁻⁽ⁿ⁺¹⁾ = eⁱ"},
        HtmlCase{"SubscriptLetters", u"v<sub>0</sub>, a<sub>x</sub>, t<sub>k−1</sub>", TextFormat::Html,
                 u"v₀, aₓ, tₖ₋₁"},
        HtmlCase{"ScriptThroughEntitiesAndTags", u"x<sup>&minus;<b>1</b></sup>", TextFormat::Html, u"x⁻¹"},
        HtmlCase{"ScriptBlanksKept", u"a<sup> n + 1</sup>b", TextFormat::Html, u"a ⁿ ⁺ ¹b"},
        HtmlCase{"ScriptInScriptOfNothingDropped", u"x<sup>2<sub> </sub></sup>", TextFormat::Html, u"x²"},
        HtmlCase{"ScriptWithoutFormStaysPlain", u"x<sup>q</sup> и 30<sup>о</sup>", TextFormat::Html,
                 u"xq и 30о"},
        HtmlCase{"UnclosedScriptRunsToTheEnd", u"a<sup>2", TextFormat::Html, u"a²"},
        HtmlCase{"PreKeepsLinesAndIndent", u"<p>Код:</p><pre>\nif x:\n    y  = 1\n\tz</pre>след",
                 TextFormat::Html, u"Код:\nif x:\n    y  = 1\n    z\nслед"},
        HtmlCase{"OrderedListNumbered", u"<ol><li>едно</li><li>две</li></ol>", TextFormat::Html,
                 u"1. едно\n2. две"},
        HtmlCase{"OrderedListFromItsStart", u"<ol start=\"3\"><li>а<li>б</ol>", TextFormat::Html,
                 u"3. а\n4. б"},
        HtmlCase{"BulletListAndNested", u"<ul><li>а<ol><li>б</li></ol></li><li>в</li></ul>", TextFormat::Html,
                 u"• а\n1. б\n• в"},
        HtmlCase{"LinkKeepsItsWords", u"Виж <a href=\"https://x.org\">тук</a>.", TextFormat::Html,
                 u"Виж тук."},
        HtmlCase{"MediaAndItsFallbackDropped",
                 u"Чуйте:<audio controls><source src=\"a.mp3\">Няма звук</audio> Какво<object "
                 u"data=\"b.swf\">няма</object>?",
                 TextFormat::Html, u"Чуйте: Какво?"},
        HtmlCase{"MarkdownListsAsLines", u"Кое?\n\n- едно\n- две\n\n1. а\n2. б", TextFormat::Markdown,
                 u"Кое?\n• едно\n• две\n1. а\n2. б"},
        HtmlCase{"MarkdownCodeKeepsIndent", u"Код:\n\n```\nx = 1\n  y\n```", TextFormat::Markdown,
                 u"Код:\nx = 1\n  y"},
        HtmlCase{"MarkdownHardBreakAndLink", u"ред 1  \nред [2](https://x.org)", TextFormat::Markdown,
                 u"ред 1\nред 2"},
        HtmlCase{"MarkdownHtmlShownAsWritten", u"x<sup>2</sup> &amp; y", TextFormat::Markdown,
                 u"x<sup>2</sup> & y"}),
    RowName());

// Every picture of a text is collected with its description, and leaves no trace in the text.
TEST(HtmlText, CollectsPictures)
{
    const PlainText plain = htmlToText(u"<p>Виж <IMG SRC=\"f&amp;1.png\" alt='Триъгълник ABC'> и "
                                       u"<img src=x.gif></p>");
    EXPECT_EQ(plain.text, u"Виж и"_s);
    ASSERT_EQ(plain.images.size(), 2);
    EXPECT_EQ(plain.images[0].src, u"f&1.png"_s);
    EXPECT_EQ(plain.images[0].alt, u"Триъгълник ABC"_s);
    EXPECT_EQ(plain.images[1].src, u"x.gif"_s);
    EXPECT_EQ(plain.images[1].alt, QString());
}

// What a text cannot carry over is collected for the importer to report: links with their words,
// media with the file they play, superscripts without their characters, HTML in Markdown.
TEST(HtmlText, CollectsWhatItCannotShow)
{
    const PlainText html =
        htmlToText(u"<a href=\"@@PLUGINFILE@@/%D0%B0.mp3\">Чуйте <b>го</b></a> <video src=v.mp4>x</video>"
                   u"<audio><source src=\"s.ogg\"></audio><embed src=e.swf><iframe></iframe>"
                   u"x<sub>q</sub>y<sup>2</sup>z<sup>ж</sup><a href=\"#\">горе</a>");
    EXPECT_EQ(html.text, u"Чуйте го xqy²zжгоре"_s);
    ASSERT_EQ(html.links.size(), 2);
    EXPECT_EQ(html.links[0].href, u"@@PLUGINFILE@@/%D0%B0.mp3"_s);
    EXPECT_EQ(html.links[0].text, u"Чуйте го"_s);
    EXPECT_EQ(html.links[1].text, u"горе"_s);
    ASSERT_EQ(html.media.size(), 4);
    EXPECT_EQ(html.media[0].tag + u' ' + html.media[0].src, u"video v.mp4"_s);
    EXPECT_EQ(html.media[1].tag + u' ' + html.media[1].src, u"audio s.ogg"_s);
    EXPECT_EQ(html.media[2].tag + u' ' + html.media[2].src, u"embed e.swf"_s);
    EXPECT_EQ(html.media[3].tag + u' ' + html.media[3].src, u"iframe "_s);
    ASSERT_EQ(html.scripts.size(), 2);
    EXPECT_FALSE(html.scripts[0].super);
    EXPECT_EQ(html.scripts[0].text, u"q"_s);
    EXPECT_TRUE(html.scripts[1].super);
    EXPECT_EQ(html.scripts[1].text, u"ж"_s);
    EXPECT_TRUE(html.markup.isEmpty());

    const PlainText markdown =
        toPlainText(u"![Ъгъл](a.png) [тук](https://x.org) x<sup>2</sup>", TextFormat::Markdown);
    ASSERT_EQ(markdown.images.size(), 1);
    EXPECT_EQ(markdown.images[0].src, u"a.png"_s);
    ASSERT_EQ(markdown.links.size(), 1);
    EXPECT_EQ(markdown.links[0].href, u"https://x.org"_s);
    EXPECT_EQ(markdown.links[0].text, u"тук"_s);
    EXPECT_EQ(markdown.markup, u"<sup>"_s);
}

// A tag is read once from its '<', however its text breaks off: a media element without its end, tags
// that never close, a quoted '<' in an attribute, a comment full of tags. The characters looked at
// grow as the text does, never as its square.
TEST(HtmlText, ReadsEachTagOnce)
{
    const std::pair<const char *, std::function<PlainText(int)>> texts[] = {
        {"unclosed tags after media without its end",
         [](int n) { return htmlToText(u"<video>"_s + u"<a "_s.repeated(n)); }},
        {"tags in a quoted attribute",
         [](int n) { return htmlToText(u"<a title=\""_s + u"<b "_s.repeated(n) + u"\">"_s); }},
        {"a media element's content",
         [](int n) { return htmlToText(u"<audio>"_s + u"<b>x</b>"_s.repeated(n) + u"</audio>"_s); }},
        {"tags in Markdown that never close",
         [](int n) { return toPlainText(u"<a "_s.repeated(n), TextFormat::Markdown); }},
        {"a Markdown comment of tags",
         [](int n) {
             return toPlainText(u"<!-- "_s + u"<b "_s.repeated(n) + u"-->"_s, TextFormat::Markdown);
         }},
    };
    for (const auto &[name, read] : texts) {
        const qsizetype small = read(500).scanned;
        const qsizetype large = read(2000).scanned;
        EXPECT_GT(small, 0) << name;
        EXPECT_LE(large, 4 * small + 100) << name << ": " << small << " then " << large;
    }
}

// Superscripts and subscripts come from Unicode's own forms: every digit and sign both ways, the
// letters that have one, and nothing for those that have none.
TEST(HtmlText, ScriptFormsAreUnicodes)
{
    EXPECT_EQ(toScript(u"0123456789+-−=()", true), u"⁰¹²³⁴⁵⁶⁷⁸⁹⁺⁻⁻⁼⁽⁾"_s);
    EXPECT_EQ(toScript(u"0123456789+-−=()", false), u"₀₁₂₃₄₅₆₇₈₉₊₋₋₌₍₎"_s);
    EXPECT_EQ(toScript(u"nix", true), u"ⁿⁱˣ"_s);
    EXPECT_EQ(toScript(u"aeoxhklmnpst", false), u"ₐₑₒₓₕₖₗₘₙₚₛₜ"_s);
    EXPECT_EQ(toScript(u"q", true), std::nullopt);
    EXPECT_EQ(toScript(u"b", false), std::nullopt);
    // The ordinal indicators are no superscripts: "a" has its modifier letter.
    EXPECT_EQ(toScript(u"ao", true), u"ᵃᵒ"_s);
    EXPECT_FALSE(scriptCharacters().contains(u'ª'));
    EXPECT_TRUE(scriptCharacters().contains(u'₁'));
}

// ---- Aiken ----

// Questions of one or more lines, answers with "." or ")", no explanation and no picture.
TEST(Aiken, ReadsQuestionsInOrderWithTheirLines)
{
    const Import imported = importAiken(R"(Колко е 2 + 2?
A. 3
B. 4
C) 5
ANSWER: B


Кой град е столица
на България?
A) Пловдив
B)   София  
answer: b
)");
    EXPECT_EQ(problemsOf(imported), QString());
    ASSERT_EQ(imported.source.questions.size(), 2u);
    const QuestionSource &first = imported.source.questions[0];
    EXPECT_EQ(first.text, u"Колко е 2 + 2?"_s);
    EXPECT_EQ(first.answers, (QStringList{u"3"_s, u"4"_s, u"5"_s}));
    EXPECT_EQ(first.correct, u"4"_s);
    EXPECT_EQ(first.line, 1);
    EXPECT_TRUE(first.explanation.isEmpty());
    EXPECT_TRUE(first.pictureName.isEmpty());
    EXPECT_TRUE(first.picture.isEmpty());
    const QuestionSource &second = imported.source.questions[1];
    EXPECT_EQ(second.text, u"Кой град е столица\nна България?"_s);
    EXPECT_EQ(second.answers, (QStringList{u"Пловдив"_s, u"София"_s}));
    EXPECT_EQ(second.correct, u"София"_s);
    EXPECT_EQ(second.line, 8);
    EXPECT_TRUE(imported.source.sourceRows.isEmpty());
}

// A blank line may stand between the text and the answers or among the answers.
TEST(Aiken, AllowsBlankLinesBeforeAndAmongAnswers)
{
    const Import imported = importAiken("Въпрос\n\nA. а\n\nB. б\nANSWER: A\n");
    EXPECT_EQ(problemsOf(imported), QString());
    ASSERT_EQ(imported.source.questions.size(), 1u);
    EXPECT_EQ(imported.source.questions[0].answers, (QStringList{u"а"_s, u"б"_s}));
}

INSTANTIATE_TEST_SUITE_P(
    Aiken, SourceProblems,
    testing::Values(
        SourceCase{"MissingKeyAtTheEnd", SourceFormat::Aiken, "В\nA. а\nB. б\n",
                   u"1: въпрос 1: няма ред „ANSWER: …“ с буквата на верния отговор"_s},
        SourceCase{"MissingKeyBeforeTheNextQuestion", SourceFormat::Aiken,
                   "В1\nA. а\nB. б\n\nВ2\nA. а\nB. б\nANSWER: A\n",
                   u"1: въпрос 1: няма ред „ANSWER: …“ с буквата на верния отговор"_s},
        SourceCase{"QuestionWithoutAnswers", SourceFormat::Aiken, "В1\n\nВ2\nA. а\nB. б\nANSWER: A\n",
                   u"1: въпрос 1: няма ред „ANSWER: …“ с буквата на верния отговор\n"
                   u"1: въпрос 1: има 0 отговора, а трябва да са от 2 до 5"_s},
        SourceCase{"KeyLetterWithoutAnswer", SourceFormat::Aiken, "В\nA. а\nB. б\nC. в\nANSWER: D\n",
                   u"1: въпрос 1: буквата D след „ANSWER:“ не е на никой от отговорите"_s},
        SourceCase{"KeyNotALetter", SourceFormat::Aiken, "В\nA. а\nB. б\nANSWER: AB\n",
                   u"1: въпрос 1: след „ANSWER:“ трябва да стои буквата на верния отговор, а стои „AB“"_s},
        SourceCase{"OneAnswer", SourceFormat::Aiken, "В\nA. а\nANSWER: A\n",
                   u"1: въпрос 1: има 1 отговор, а трябва да са от 2 до 5"_s},
        SourceCase{"SixAnswers", SourceFormat::Aiken, "В\nA. а\nB. б\nC. в\nD. г\nE. д\nF. е\nANSWER: A\n",
                   u"1: въпрос 1: има 6 отговора, а трябва да са от 2 до 5"_s},
        SourceCase{"LettersOutOfOrder", SourceFormat::Aiken, "В\nA. а\nC. б\nD. в\nANSWER: A\n",
                   u"3: въпрос 1: отговорът с буква C стои на мястото на B: буквите на отговорите вървят по "
                   u"ред A, B, C…"_s},
        SourceCase{"StrayLineAmongAnswers", SourceFormat::Aiken, "В\nA. а\nнещо\nB. б\nANSWER: A\n",
                   u"3: въпрос 1: редът „нещо“ не е нито отговор („A. …“), нито „ANSWER: …“"_s},
        SourceCase{"KeyWithoutQuestion", SourceFormat::Aiken, "\nANSWER: A\n",
                   u"2: ред „ANSWER: …“ без въпрос и отговори преди него"_s},
        SourceCase{"EmptyAnswer", SourceFormat::Aiken, "В\nA.\nB. б\nANSWER: B\n",
                   u"1: въпрос 1: отговор 1 е празен или няма видим знак"_s},
        SourceCase{"RightAnswerTwice", SourceFormat::Aiken, "В\nA. 4\nB. 4\nANSWER: A\n",
                   u"1: въпрос 1: верният отговор „4“ стои 2 пъти сред отговорите, а трябва веднъж"_s},
        // Cyrillic А, Б and В look like Latin letters but are not answers.
        SourceCase{
            "CyrillicLetters", SourceFormat::Aiken, "В\nА. а\nБ. б\nANSWER: А\n",
            u"2: въпрос 1: редът „А. а“ прилича на отговор, но буквата „А“ е на кирилица, а трябва да е "
            u"латинска: A, B, C…\n"
            u"3: въпрос 1: редът „Б. б“ прилича на отговор, но буквата „Б“ е на кирилица, а трябва да е "
            u"латинска: A, B, C…\n"
            u"1: въпрос 1: буквата „А“ след „ANSWER:“ е на кирилица, а буквите на отговорите са "
            u"латински: A, B, C…\n"
            u"1: въпрос 1: има 0 отговора, а трябва да са от 2 до 5"_s},
        SourceCase{
            "LowerCaseLetters", SourceFormat::Aiken, "В\na) x\nb) y\nANSWER: A\n",
            u"2: въпрос 1: редът „a) x“ прилича на отговор, но буквата „a“ е малка, а трябва да е главна "
            u"латинска: A, B, C…\n"
            u"3: въпрос 1: редът „b) y“ прилича на отговор, но буквата „b“ е малка, а трябва да е главна "
            u"латинска: A, B, C…\n"
            u"1: въпрос 1: буквата A след „ANSWER:“ не е на никой от отговорите\n"
            u"1: въпрос 1: има 0 отговора, а трябва да са от 2 до 5"_s},
        SourceCase{
            "LettersInBrackets", SourceFormat::Aiken, "В\n(A) x\n(B) y\nANSWER: A\n",
            u"2: въпрос 1: редът „(A) x“ прилича на отговор, но буквата е в скоби, а се пише „A) …“ или "
            u"„A. …“\n"
            u"3: въпрос 1: редът „(B) y“ прилича на отговор, но буквата е в скоби, а се пише „B) …“ или "
            u"„B. …“\n"
            u"1: въпрос 1: буквата A след „ANSWER:“ не е на никой от отговорите\n"
            u"1: въпрос 1: има 0 отговора, а трябва да са от 2 до 5"_s},
        SourceCase{
            "ColonAfterLetter", SourceFormat::Aiken, "В\nA: x\nB: y\nANSWER: A\n",
            u"2: въпрос 1: редът „A: x“ прилича на отговор, но след буквата стои „:“, а трябва да стои "
            u"точка или затваряща скоба: „A. …“ или „A) …“\n"
            u"3: въпрос 1: редът „B: y“ прилича на отговор, но след буквата стои „:“, а трябва да стои "
            u"точка или затваряща скоба: „B. …“ или „B) …“\n"
            u"1: въпрос 1: буквата A след „ANSWER:“ не е на никой от отговорите\n"
            u"1: въпрос 1: има 0 отговора, а трябва да са от 2 до 5"_s},
        // A Cyrillic Б among Latin letters: the line is named, and the letter after it is out of place.
        // A Cyrillic А before Latin letters: the look-alike letter is named, not the order of the others.
        SourceCase{
            "CyrillicFirstAnswer", SourceFormat::Aiken, "В\nА) едно\nB) две\nC) три\nANSWER: B\n",
            u"2: въпрос 1: редът „А) едно“ прилича на отговор, но буквата „А“ е на кирилица, а трябва да е "
            u"латинска: A, B, C…"_s},
        SourceCase{
            "CyrillicAmongLatin", SourceFormat::Aiken, "В\nA. а\nБ. б\nC. в\nANSWER: A\n",
            u"3: въпрос 1: редът „Б. б“ прилича на отговор, но буквата „Б“ е на кирилица, а трябва да е "
            u"латинска: A, B, C…\n"
            u"4: въпрос 1: отговорът с буква C стои на мястото на B: буквите на отговорите вървят по ред "
            u"A, B, C…"_s}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    Aiken, KeptQuestion,
    testing::Values(KeptCase{"NoBlankAfterBracket",
                             SourceFormat::Aiken,
                             "Кое е вярно?\nA)Вярно\nB)Грешно\nANSWER: A\n",
                             u"Кое е вярно?",
                             {u"Вярно"_s, u"Грешно"_s},
                             u"Вярно",
                             {}},
                    KeptCase{"NoBlankAfterFullStop",
                             SourceFormat::Aiken,
                             "Колко е 1 + 2?\nA.3\nB.4\nANSWER: A\n",
                             u"Колко е 1 + 2?",
                             {u"3"_s, u"4"_s},
                             u"3",
                             {}},
                    // Glued to its letter, a first line stays the question's text.
                    KeptCase{"FirstLineGluedStaysText",
                             SourceFormat::Aiken,
                             "A.B. Вазов е роден в?\nA. Сопот\nB. Карлово\nANSWER: A\n",
                             u"A.B. Вазов е роден в?",
                             {u"Сопот"_s, u"Карлово"_s},
                             u"Сопот",
                             {}},
                    // Lines like "а) …" in a question's text are text when the question has its answers.
                    KeptCase{"ListInTextWithAnswers",
                             SourceFormat::Aiken,
                             "Кое е вярно?\nа) едно\nб) две\nA. а\nB. б\nANSWER: B\n",
                             u"Кое е вярно?\nа) едно\nб) две",
                             {u"а"_s, u"б"_s},
                             u"б",
                             {}}),
    RowName());

// Every fault of a source is reported in one run, each at its own question's line; the sound
// questions are kept.
TEST(Aiken, ReportsEveryProblemAtOnce)
{
    const Import imported = importAiken(R"(Първи
A. а
B. б
ANSWER: A

Втори
A. а
B. б

Трети
A. а
C. б
ANSWER: F

Четвърти
A. а
B. б
ANSWER: B
)");
    EXPECT_EQ(problemsOf(imported),
              u"6: въпрос 2: няма ред „ANSWER: …“ с буквата на верния отговор\n"
              u"12: въпрос 3: отговорът с буква C стои на мястото на B: буквите на отговорите вървят по ред "
              u"A, B, C…\n"
              u"10: въпрос 3: буквата F след „ANSWER:“ не е на никой от отговорите"_s);
    ASSERT_EQ(imported.source.questions.size(), 2u);
    EXPECT_EQ(imported.source.questions[0].line, 1);
    EXPECT_EQ(imported.source.questions[1].text, u"Четвърти"_s);
    EXPECT_EQ(imported.source.questions[1].line, 15);
}

// Past a thousand faults the rest are counted, not listed: a file of a million costs no more than its
// size, and the teacher is told how many more there are.
TEST(Aiken, ListsAThousandProblemsAndCountsTheRest)
{
    const Import imported = importAiken("В\nA. а\nB. б\n" + QByteArray("x\n").repeated(1500) + "ANSWER: A\n");
    ASSERT_EQ(imported.problems.size(), 1001);
    EXPECT_EQ(shownText(imported.problems[999]),
              u"въпрос 1: редът „x“ не е нито отговор („A. …“), нито „ANSWER: …“"_s);
    EXPECT_EQ(imported.problems[999].line, 1003);
    EXPECT_EQ(imported.problems[1000].text,
              u"и още 500 проблема, които не са изброени: поправете изброените и проверете файла отново"_s);
}

// ---- GIFT ----

// A multiple-choice question with its title, comments, category, feedback and explanation.
TEST(Gift, ReadsMultipleChoiceWithExplanation)
{
    const Import imported = importGift(R"(// Глава 1: ъгли
$CATEGORY: $course$/Геометрия

// въпросът започва след този ред
::Ъгли:: Сборът от ъглите на триъгълник е {
  =180° #Точно така.
  ~90°
  ~%-50%360°
  ####Теорема за сбора на ъглите.\nВинаги е 180°.
}
)",
                                       u"/nonexistent"_s);
    EXPECT_EQ(problemsOf(imported), QString());
    ASSERT_EQ(imported.source.questions.size(), 1u);
    const QuestionSource &question = imported.source.questions[0];
    EXPECT_EQ(question.text, u"Сборът от ъглите на триъгълник е"_s);
    EXPECT_EQ(question.answers, (QStringList{u"180°"_s, u"90°"_s, u"360°"_s}));
    EXPECT_EQ(question.correct, u"180°"_s);
    EXPECT_EQ(question.explanation,
              (QStringList{u"Теорема за сбора на ъглите."_s, u"Винаги е 180°."_s, u"„180°“: Точно така."_s}));
    EXPECT_EQ(question.line, 5);
    EXPECT_TRUE(question.pictureName.isEmpty());
}

// Escaped marks are text; "\n" is a line break; other backslashes stay.
TEST(Gift, ReadsEscapes)
{
    const Import imported = importGift(R"(Колко е 2 \= 2\? Виж \:\: и \{\}\n{
=\{a\}
~b \~ c
~d\#e
~x\\y
~f\:g #ясно \= 1
})",
                                       {});
    EXPECT_EQ(problemsOf(imported), QString());
    ASSERT_EQ(imported.source.questions.size(), 1u);
    const QuestionSource &question = imported.source.questions[0];
    EXPECT_EQ(question.text, u"Колко е 2 = 2\\? Виж :: и {}"_s);
    EXPECT_EQ(question.answers, (QStringList{u"{a}"_s, u"b ~ c"_s, u"d#e"_s, u"x\\y"_s, u"f:g"_s}));
    EXPECT_EQ(question.correct, u"{a}"_s);
    EXPECT_EQ(question.explanation, QStringList{u"„f:g“: ясно = 1"_s});
}

struct GiftTextCase
{
    const char *name;
    const char *source;
    const char16_t *text;
    const char16_t *firstAnswer;
};

class GiftText : public testing::TestWithParam<GiftTextCase>
{};

// The question's text in each of its formats, and the blank of a missing-word question.
TEST_P(GiftText, IsReadInItsFormat)
{
    const Import imported = importGift(GetParam().source, {});
    EXPECT_EQ(problemsOf(imported), QString());
    ASSERT_EQ(imported.source.questions.size(), 1u);
    EXPECT_EQ(imported.source.questions[0].text, QString::fromUtf16(GetParam().text));
    EXPECT_EQ(imported.source.questions[0].answers.value(0), QString::fromUtf16(GetParam().firstAnswer));
}

INSTANTIATE_TEST_SUITE_P(
    Pack, GiftText,
    testing::Values(
        GiftTextCase{"MissingWordGetsABlank", "Москва е {=столица ~град} на Русия.", u"Москва е _ на Русия.",
                     u"столица"},
        GiftTextCase{"MissingWordAtTheStart", "{=I ~You} am a pupil.", u"_ am a pupil.", u"I"},
        GiftTextCase{"DefaultKeepsLinesDropsTags", "Ред <b>1</b>\nред 2 {=а ~б}", u"Ред 1\nред 2", u"а"},
        GiftTextCase{"HtmlJoinsLines", "::T::[html]<p>Ред 1\nсъщият</p><p>Ред&nbsp;2</p>{=<i>а</i> ~б}",
                     u"Ред 1 същият\nРед 2", u"а"},
        GiftTextCase{"PlainKeepsMarkup", "[plain]3 <b> 2 &amp; 1 {=а ~б}", u"3 <b> 2 &amp; 1", u"а"},
        GiftTextCase{"MarkdownKeptAsWritten", "[markdown]**Кое** е вярно? {=[plain]<а> ~б}", u"Кое е вярно?",
                     u"<а>"},
        GiftTextCase{"TitleOnlyAtTheStart", "Време 10::30 {=а ~б}", u"Време 10::30", u"а"}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    Gift, SourceProblems,
    testing::Values(
        SourceCase{"TrueFalseT", SourceFormat::Gift, "В {=а ~б}\n\nЗемята е кръгла. {T}",
                   refusedKind(3, 2, u"вярно/невярно"_s)},
        SourceCase{"TrueFalseF", SourceFormat::Gift, "В {=а ~б}\n\nЗемята е плоска. {F}",
                   refusedKind(3, 2, u"вярно/невярно"_s)},
        SourceCase{"TrueFalseFalse", SourceFormat::Gift, "В {=а ~б}\n\nЗемята е плоска. {FALSE}",
                   refusedKind(3, 2, u"вярно/невярно"_s)},
        SourceCase{"TrueFalseWords", SourceFormat::Gift, "В {=а ~б}\n\nА? {FALSE#Не е.}\n\nБ? {true}",
                   refusedKind(3, 2, u"вярно/невярно"_s) + u'\n' + refusedKind(5, 3, u"вярно/невярно"_s)},
        SourceCase{"ShortAnswer", SourceFormat::Gift, "В {=а ~б}\n\nСтолицата на Франция? {=Париж =Paris}",
                   refusedKind(3, 2, u"кратък отговор"_s)},
        SourceCase{"ShortAnswerMissingWord", SourceFormat::Gift,
                   "В {=а ~б}\n\nСофия е {=столица} на България.", refusedKind(3, 2, u"кратък отговор"_s)},
        SourceCase{"Numerical", SourceFormat::Gift, "В {=а ~б}\n\nКолко е π? {#3.14:0.01}",
                   refusedKind(3, 2, u"числов отговор"_s)},
        SourceCase{"NumericalRange", SourceFormat::Gift, "В {=а ~б}\n\nЧисло между 1 и 5? { #1..5 }",
                   refusedKind(3, 2, u"числов отговор"_s)},
        SourceCase{"Matching", SourceFormat::Gift,
                   "В {=а ~б}\n\nСвържете: {\n=куче -> лае\n=котка -> мяука\n}",
                   refusedKind(3, 2, u"съпоставяне"_s)},
        SourceCase{"Essay", SourceFormat::Gift, "В {=а ~б}\n\nОпишете лятото. { }",
                   refusedKind(3, 2, u"есе"_s)},
        SourceCase{"EssayWithFeedback", SourceFormat::Gift, "Опишете лятото. {####Поне 5 изречения.}",
                   refusedKind(1, 1, u"есе"_s)},
        SourceCase{"SeveralEquals", SourceFormat::Gift, "В {=а ~б}\n\nПрости числа: {=2 =3 ~4}",
                   refusedKind(3, 2, u"няколко верни отговора"_s)},
        SourceCase{"SeveralWeighted", SourceFormat::Gift, "В {=а ~б}\n\nПрости числа: {~%50%2 ~%50%3 ~4}",
                   refusedKind(3, 2, u"няколко верни отговора"_s)},
        SourceCase{"Description", SourceFormat::Gift, "В {=а ~б}\n\n::Увод:: Следват въпроси за ъгли.",
                   refusedKind(3, 2, u"описание без отговори"_s)},
        SourceCase{"NoRightAnswer", SourceFormat::Gift, "В {~а ~б}", u"1: въпрос 1: няма верен отговор"_s},
        SourceCase{"PartialRightAnswer", SourceFormat::Gift, "В {=%50%а ~б}",
                   u"1: въпрос 1: верният отговор носи 50 % от точките, а трябва да носи 100 %"_s},
        SourceCase{"BadWeight", SourceFormat::Gift, "В {=а ~%пет%б}",
                   u"1: въпрос 1: отговор 2: делът от точките трябва да е число между два знака %, например "
                   u"~%50%"_s},
        SourceCase{"TextBeforeFirstAnswer", SourceFormat::Gift, "В {отговори: =а ~б}",
                   u"1: въпрос 1: в „{…}“ преди първия отговор стои „отговори:“: всеки отговор започва с = "
                   u"или ~"_s},
        SourceCase{"UnclosedAnswers", SourceFormat::Gift, "В {=а ~б\n\nВ2 {=а ~б}",
                   u"1: въпрос 1: отговорите след „{“ не са затворени с „}“; знакът { в текст се пише \\{"_s},
        SourceCase{"ClosingWithoutOpening", SourceFormat::Gift, "Множеството } е празно",
                   u"1: въпрос 1: „}“ без „{“ преди нея; знакът } в текст се пише \\}"_s},
        SourceCase{
            "TwoAnswerFields", SourceFormat::Gift, "В {=а ~б} и {=в ~г}",
            u"1: въпрос 1: въпросът може да има само едно поле с отговори „{…}“; знаците { и } в текст "
            u"се пишат \\{ и \\}"_s},
        SourceCase{
            "ClosingBeforeAnswers", SourceFormat::Gift, "В } и {=а ~б}",
            u"1: въпрос 1: въпросът може да има само едно поле с отговори „{…}“; знаците { и } в текст "
            u"се пишат \\{ и \\}"_s},
        SourceCase{"UnclosedTitle", SourceFormat::Gift, "::Заглавие В {=а ~б}",
                   u"1: въпрос 1: заглавието след „::“ не е затворено с „::“"_s},
        SourceCase{"SixAnswers", SourceFormat::Gift, "В {=1 ~2 ~3 ~4 ~5 ~6}",
                   u"1: въпрос 1: има 6 отговора, а трябва да са от 2 до 5"_s},
        // A lone answer with a share of the marks and no = is a question of several right answers.
        SourceCase{"OneAnswer", SourceFormat::Gift, "В {~%100%едно}\n\nВ2 {~ =2}",
                   refusedKind(1, 1, u"няколко верни отговора"_s) +
                       u"\n3: въпрос 2: отговор 1 е празен или няма видим знак"_s},
        SourceCase{"EmptyQuestionText", SourceFormat::Gift, "::Само заглавие:: {=а ~б}",
                   u"1: въпрос 1: текстът на въпроса е празен или няма видим знак"_s},
        SourceCase{"PictureInAnswer", SourceFormat::Gift, "В {=<img src\\=\"a.png\">а ~б}",
                   u"1: въпрос 1: отговор 1 не може да има изображение („a.png“): изображението може да е "
                   u"само в текста на въпроса"_s},
        SourceCase{"PictureFromTheWeb", SourceFormat::Gift,
                   "<img src=\"https://example.org/a.png\">В {=а ~б}",
                   u"1: въпрос 1: изображението „https://example.org/a.png“ е в интернет: запишете го в "
                   u"папката на файла с въпросите и напишете само името му"_s},
        SourceCase{"TwoPictures", SourceFormat::Gift, "<img src=\"a.png\"><img src=\"b.png\">В {=а ~б}",
                   u"1: въпрос 1: текстът на въпроса има 2 изображения, а може да има най-много едно"_s},
        SourceCase{"AllWeightedOneFull", SourceFormat::Gift, "В {=а ~б}\n\nПросто е: {~%100%7 ~%0%9}",
                   refusedKind(3, 2, u"няколко верни отговора"_s)},
        SourceCase{"WeightedWithoutEquals", SourceFormat::Gift, "Просто е: {~%100%7 ~9 ~%-50%4}",
                   refusedKind(1, 1, u"няколко верни отговора"_s)},
        SourceCase{"UnescapedEquals", SourceFormat::Gift, "Кое е вярно? {=x = 4 ~x = 3}",
                   u"1: въпрос 1: в отговора „x = 4“ знакът = започва нов отговор: знаците = и ~ в текста на "
                   u"отговор се пишат \\= и \\~"_s},
        SourceCase{"UnescapedGluedEquals", SourceFormat::Gift, "Кое е вярно?\n{\n  =a=b\n  ~a\n}",
                   u"1: въпрос 1: в отговора „a=b“ знакът = започва нов отговор: знаците = и ~ в текста на "
                   u"отговор се пишат \\= и \\~"_s},
        SourceCase{
            "TwoQuestionsWithoutBlankLine", SourceFormat::Gift,
            "Първи {=а ~б}\n// коментар\n::Т:: Втори {=в ~г}",
            u"3: въпрос 1: тук започва нов въпрос, а преди него няма празен ред: въпросите се отделят с "
            u"празен ред"_s},
        SourceCase{"ScriptWithoutForm", SourceFormat::Gift, "[html]Колко е x<sup>q</sup>? {=а ~б}",
                   u"1: въпрос 1: в текста на въпроса има горен индекс „q“ (<sup>), а знакът „q“ няма горна "
                   u"форма: програмата показва само обикновен текст; напишете го например като ^(q)"_s},
        SourceCase{"SubscriptWithoutForm", SourceFormat::Gift, "В {=x<sub>b</sub> ~б}",
                   u"1: въпрос 1: в отговор 1 има долен индекс „b“ (<sub>), а знакът „b“ няма долна форма: "
                   u"програмата показва само обикновен текст; напишете го например като _(b)"_s},
        SourceCase{
            "LinkToSound", SourceFormat::Gift,
            "Чуйте <a href\\=\"поздрав.mp3\">записа</a>. Какво казва? {=Здравей ~Чао}",
            u"1: въпрос 1: в текста на въпроса има връзка към файл „поздрав.mp3“: програмата не може да "
            u"го пусне, покаже или отвори, а въпросът може да зависи от него; махнете го или опишете с думи "
            u"какво има в него"_s},
        SourceCase{
            "VideoInFeedback", SourceFormat::Gift, "В {=а #<video src\\=\"a.mp4\"></video> ~б}",
            u"1: въпрос 1: в отзива към отговор 1 има файл „a.mp4“ (<video>): програмата не може да го "
            u"пусне, покаже или отвори, а въпросът може да зависи от него; махнете го или опишете с думи "
            u"какво има в него"_s},
        SourceCase{
            "SubscriptInSuperscript", SourceFormat::Gift, "[html]a<sup>2<sub>1</sub></sup> = ? {=а ~б}",
            u"1: въпрос 1: в текста на въпроса има горен индекс „21“ (<sup>) с индекс в него: програмата "
            u"показва само обикновен текст, в който вътрешният индекс би се чел като продължение на "
            u"външния; напишете го например като ^(2_(1))"_s},
        SourceCase{"SuperscriptInSuperscript", SourceFormat::Gift, "В {=x<sup>2<sup>n</sup></sup> ~б}",
                   u"1: въпрос 1: в отговор 1 има горен индекс „2n“ (<sup>) с индекс в него: програмата "
                   u"показва само обикновен текст, в който вътрешният индекс би се чел като продължение на "
                   u"външния; напишете го например като ^(2^(n))"_s},
        SourceCase{"SharedMarksNoneFull", SourceFormat::Gift, "Прости числа: {=%50%2 =%50%3 ~4}",
                   refusedKind(1, 1, u"няколко верни отговора"_s)},
        // A text far over its limit is refused from its length in the file, before it is read; one within
        // that length is read, and measured as the pupil sees it.
        SourceCase{"QuestionTextFarOverItsLimit", SourceFormat::Gift,
                   "[html]" + QByteArray(16001, 'a') + " {=а ~б}",
                   u"1: въпрос 1: текстът на въпроса заема във файла 16001 знака — твърде много: показаният "
                   u"текст може да има най-много 1000 знака; съкратете го"_s},
        SourceCase{"QuestionTextJustWithinItsLength", SourceFormat::Gift,
                   "[html]<b>" + QByteArray(15993, 'a') + "</b> {=а ~б}",
                   u"1: въпрос 1: текстът на въпроса е твърде дълъг: 15993 знака, а най-много 1000"_s},
        SourceCase{
            "AnswerFarOverItsLimit", SourceFormat::Gift, "В {~" + QByteArray(3201, 'b') + "\n=а}",
            u"1: въпрос 1: отговор 1 заема във файла 3202 знака — твърде много: показаният текст може да "
            u"има най-много 200 знака; съкратете го"_s},
        SourceCase{"FeedbackFarOverItsLimit", SourceFormat::Gift,
                   "В {=а ~б ####" + QByteArray(192641, 'x') + "}",
                   u"1: въпрос 1: обяснението заема във файла 192641 знака — твърде много: показаният текст "
                   u"може да има най-много 40 реда по 300 знака; съкратете го"_s},
        SourceCase{
            "MarkdownOfTooManyLines", SourceFormat::Gift,
            "[markdown]" + QByteArray("ред\n").repeated(501) + "{=а ~б}",
            u"1: въпрос 1: текстът на въпроса във формат Markdown е на 501 реда — твърде много: може да има "
            u"най-много 500 реда; съкратете го"_s},
        SourceCase{"MarkdownOfAsManyLinesAsItMay", SourceFormat::Gift,
                   "[markdown]" + QByteArray("ред\n").repeated(500) + "{=а ~б}",
                   u"1: въпрос 1: текстът на въпроса е твърде дълъг: 1999 знака, а най-много 1000"_s},
        SourceCase{
            "MarkdownWithHtml", SourceFormat::Gift, "[markdown]x<sup>2</sup> е {=а ~б}", QString(),
            u"1: въпрос 1: в текста на въпроса има HTML „<sup>“, а текстът е във формат Markdown, който се "
            u"чете без HTML: тагът ще се вижда както е написан"_s}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    Gift, KeptQuestion,
    testing::Values(
        KeptCase{"Superscript",
                 SourceFormat::Gift,
                 "[html]10<sup>5</sup> е {=сто хиляди ~хиляда}",
                 u"10⁵ е",
                 {u"сто хиляди"_s, u"хиляда"_s},
                 u"сто хиляди",
                 {}},
        KeptCase{"SubscriptInAnswers",
                 SourceFormat::Gift,
                 "Водата е {=H<sub>2</sub>O ~CO<sub>2</sub>}",
                 u"Водата е",
                 {u"H₂O"_s, u"CO₂"_s},
                 u"H₂O",
                 {}},
        KeptCase{"PartialCredit",
                 SourceFormat::Gift,
                 "Кое е просто? {=7 ~%50%9 ~4}",
                 u"Кое е просто?",
                 {u"7"_s, u"9"_s, u"4"_s},
                 u"7",
                 u"1: въпрос 1: отговор 2 „9“ носи 50 % от точките, а програмата познава само верен и грешен "
                 u"отговор: записан е като грешен"_s},
        KeptCase{"MarksWithBlanksAfterThem",
                 SourceFormat::Gift,
                 "Столица? {= Париж ~ Лондон}",
                 u"Столица?",
                 {u"Париж"_s, u"Лондон"_s},
                 u"Париж",
                 {}},
        KeptCase{"WebLink",
                 SourceFormat::Gift,
                 "Прочетете <a href\\=\"https://bg.wikipedia.org/wiki/Ботев\">статията</a>. Кога е роден? "
                 "{=1848 ~1876}",
                 u"Прочетете статията. Кога е роден?",
                 {u"1848"_s, u"1876"_s},
                 u"1848",
                 u"1: въпрос 1: в текста на въпроса има връзка „статията“ към „https://bg.wikipedia.org/wiki/"
                 u"Ботев“: учениците виждат само думите, без адреса"_s},
        KeptCase{"Preformatted",
                 SourceFormat::Gift,
                 "[html]Какво печата?<pre>for i in range(2):\n    print(i)</pre>{=0 1 ~1 2}",
                 u"Какво печата?\nfor i in range(2):\n    print(i)",
                 {u"0 1"_s, u"1 2"_s},
                 u"0 1",
                 {}},
        KeptCase{"Markdown",
                 SourceFormat::Gift,
                 "[markdown]Кое е **вярно**?\n- едно\n- две\n{=а ~б}",
                 u"Кое е вярно?\n• едно\n• две",
                 {u"а"_s, u"б"_s},
                 u"а",
                 {}}),
    RowName());

// Refused kinds, syntax faults and sound questions together: every fault at its question's line, the
// sound questions kept with theirs, and refused questions still counted.
TEST(Gift, ReportsEveryProblemAtOnce)
{
    const Import imported = importGift(R"(::1:: Първи {=а ~б}

// вярно/невярно
::2:: Втори {T}

::3:: Трети {=а ~б

::4:: Четвърти {
  =а
  ~б
}
)",
                                       {});
    EXPECT_EQ(problemsOf(imported),
              refusedKind(4, 2, u"вярно/невярно"_s) + u'\n' +
                  u"6: въпрос 3: отговорите след „{“ не са затворени с „}“; знакът { в текст се пише \\{"_s);
    ASSERT_EQ(imported.source.questions.size(), 2u);
    EXPECT_EQ(imported.source.questions[0].line, 1);
    EXPECT_EQ(imported.source.questions[1].text, u"Четвърти"_s);
    EXPECT_EQ(imported.source.questions[1].line, 8);
}

// A file of more than a thousand questions is read as far as the thousandth: the rest are counted, and
// the count is the problem. A thousand are read whole.
TEST(Gift, CountsQuestionsPastAThousand)
{
    const QByteArray question = "В? {=а ~б}\n\n";
    const Import thousand = importGift(question.repeated(1000), {});
    EXPECT_EQ(problemsOf(thousand), QString());
    EXPECT_EQ(thousand.source.questions.size(), 1000u);
    const Import more = importGift(question.repeated(1001) + "Без отговори", {});
    EXPECT_EQ(problemsOf(more),
              u"0: файлът има 1002 въпроса — много повече, отколкото побира един тест (най-много "
              u"29): проверени са само първите 1000; разделете го на по-малки тестове"_s);
    EXPECT_EQ(more.source.questions.size(), 1000u);
    EXPECT_EQ(more.begun.size(), 1000u);
}

// A source's Markdown is read within a budget of characters: the first text past it is named, once,
// and no later one is read.
TEST(Gift, ReadsMarkdownWithinItsBudget)
{
    // Each question 14,000 characters of text and two answers, in Markdown: 14,098 of the budget.
    const QByteArray question = "[markdown]" + QByteArray(14000, 'x') + " {=а ~б}\n\n";
    const Import imported = importGift(question.repeated(20), {});
    ASSERT_EQ(imported.problems.size(), 19) << problemsOf(imported).toStdString();
    EXPECT_EQ(shownText(imported.problems[17]),
              u"въпрос 18: текстът на въпроса е твърде дълъг: 14000 знака, а най-много 1000"_s);
    EXPECT_EQ(shownText(imported.problems[18]),
              u"въпрос 19: текстът на въпроса и текстовете във формат Markdown след него не са прочетени: "
              u"текстовете във формат Markdown във файла заедно надхвърлят 262144 знака, много повече от "
              u"истински тест; съкратете ги или разделете файла"_s);
    EXPECT_TRUE(imported.source.questions.empty());
}

// The one problem of a picture the bank's safe reading refuses: at the question's line, naming it.
void expectPictureRefused(const Import &imported, int line, int question, const QString &name)
{
    ASSERT_EQ(imported.problems.size(), 1) << problemsOf(imported).toStdString();
    EXPECT_EQ(imported.problems[0].line, line);
    EXPECT_TRUE(shownText(imported.problems[0]).startsWith(u"въпрос %1: "_s.arg(question)));
    EXPECT_TRUE(shownText(imported.problems[0]).contains(name))
        << shownText(imported.problems[0]).toStdString();
}

// A picture named in the question's text is read from the source's folder; its tag leaves the text
// and its description becomes the picture's text.
TEST(Gift, ReadsPictureFromTheSourceFolder)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath(u"картинки"_s));
    const QByteArray picture = test::tinyJpeg(3);
    QFile file(folder.filePath(u"картинки/ъгъл 1.jpg"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(picture);
    file.close();

    const Import imported = importGift(
        R"(Колко градуса е ъгълът? <img src="картинки/ъгъл 1.jpg" alt="Ъгъл &quot;ABC&quot;"> {=90° ~45°}

Без картинка: {=а ~б}

Липсва: <img src="няма.png"> {=а ~б})",
        folder.path());
    expectPictureRefused(imported, 5, 3, u"„няма.png“"_s);
    ASSERT_EQ(imported.source.questions.size(), 2u);
    const QuestionSource &question = imported.source.questions[0];
    EXPECT_EQ(question.text, u"Колко градуса е ъгълът?"_s);
    EXPECT_EQ(question.pictureName, u"картинки/ъгъл 1.jpg"_s);
    EXPECT_EQ(question.pictureText, u"Ъгъл \"ABC\""_s);
    EXPECT_EQ(question.picture, picture);
    EXPECT_TRUE(imported.source.questions[1].pictureName.isEmpty());
    EXPECT_TRUE(imported.source.questions[1].picture.isEmpty());
}

// A picture larger than a source may bring is refused before it is read.
TEST(Gift, RefusesOversizedPicture)
{
    QTemporaryDir folder;
    QFile file(folder.filePath(u"big.png"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(MaxPictureBytes + 1));
    file.close();
    const Import imported = importGift("<img src=\"big.png\">В {=а ~б}", folder.path());
    expectPictureRefused(imported, 1, 1, u"„big.png“"_s);
    EXPECT_TRUE(problemsOf(imported).contains(u"4194305"_s)) << problemsOf(imported).toStdString();
}

// A picture outside the source's folder is refused, also when a link leads there.
TEST(Gift, RefusesPictureOutsideTheFolder)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::link(QDir::rootPath(), folder.filePath(u"root"_s)));
    expectPictureRefused(importGift("<img src=\"../a.png\">В {=а ~б}", folder.path()), 1, 1, u"„../a.png“"_s);
    expectPictureRefused(importGift("<img src=\"root/etc/hostname\">В {=а ~б}", folder.path()), 1, 1,
                         u"„root/etc/hostname“"_s);
}

// A picture named "." or "картинки/.." names the source's folder itself: not a file, and not outside.
TEST(Gift, RefusesTheFolderItselfAsAPicture)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath(u"картинки"_s));
    for (const QString &name : {u"."_s, u"картинки/.."_s}) {
        const Import imported = importGift(u"<img src=\"%1\">В {=а ~б}"_s.arg(name).toUtf8(), folder.path());
        ASSERT_EQ(imported.problems.size(), 1) << problemsOf(imported).toStdString();
        EXPECT_EQ(shownText(imported.problems[0]),
                  u"въпрос 1: изображението „%1“ не е обикновен файл"_s.arg(name));
    }
}

// ---- Moodle XML ----

// A multiple-choice question: HTML texts made plain, the explanation from the general feedback and
// each answer's feedback, a negative mark on a wrong answer accepted; categories skipped.
TEST(MoodleXml, ReadsMultipleChoice)
{
    const Import imported = importMoodleXml(R"(<?xml version="1.0" encoding="UTF-8"?>
<quiz>
<!-- question: 0  -->
  <question type="category">
    <category><text>$course$/Геометрия</text></category>
  </question>

  <question type="multichoice">
    <name><text>Ъгли</text></name>
    <questiontext format="html">
      <text><![CDATA[<p dir="ltr">Сборът от ъглите<br>на триъгълник е:</p><p>&nbsp;</p>]]></text>
    </questiontext>
    <generalfeedback format="html">
      <text>&lt;p&gt;Теорема за сбора.&lt;/p&gt;&lt;p&gt;Винаги 180&amp;deg;.&lt;/p&gt;</text>
    </generalfeedback>
    <defaultgrade>1.0000000</defaultgrade>
    <single>true</single>
    <answer fraction="100" format="html">
      <text><![CDATA[<p>180&deg;</p>]]></text>
      <feedback format="html"><text><![CDATA[<p>Точно така.</p>]]></text></feedback>
    </answer>
    <answer fraction="0" format="moodle_auto_format">
      <text>90°</text>
      <feedback format="html"><text></text></feedback>
    </answer>
    <answer fraction="-33.33333" format="plain_text">
      <text>360° &lt;пълен&gt;</text>
    </answer>
  </question>
</quiz>
)");
    EXPECT_EQ(problemsOf(imported), QString());
    ASSERT_EQ(imported.source.questions.size(), 1u);
    const QuestionSource &question = imported.source.questions[0];
    EXPECT_EQ(question.text, u"Сборът от ъглите\nна триъгълник е:"_s);
    EXPECT_EQ(question.answers, (QStringList{u"180°"_s, u"90°"_s, u"360° <пълен>"_s}));
    EXPECT_EQ(question.correct, u"180°"_s);
    EXPECT_EQ(question.explanation,
              (QStringList{u"Теорема за сбора."_s, u"Винаги 180°."_s, u"„180°“: Точно така."_s}));
    EXPECT_EQ(question.line, 8);
}

// A picture travels in the file as base64 and is named in the text as @@PLUGINFILE@@/name.
TEST(MoodleXml, ReadsBase64Picture)
{
    const QByteArray picture = test::tinyJpeg(5);
    const QByteArray source = R"(<quiz>
  <question type="multichoice">
    <questiontext format="html">
      <text><![CDATA[<p>Кой ъгъл е прав?</p><p><img src="@@PLUGINFILE@@/%D1%8A%D0%B3%D1%8A%D0%BB%201.jpg" alt="Ъгли a и b" width="200"></p>]]></text>
      <file name="ъгъл 1.jpg" path="/" encoding="base64">)" +
                              picture.toBase64() + R"(</file>
    </questiontext>
    <answer fraction="100"><text>a</text></answer>
    <answer fraction="0"><text>b</text></answer>
  </question>
</quiz>)";
    const Import imported = importMoodleXml(source);
    EXPECT_EQ(problemsOf(imported), QString());
    ASSERT_EQ(imported.source.questions.size(), 1u);
    const QuestionSource &question = imported.source.questions[0];
    EXPECT_EQ(question.text, u"Кой ъгъл е прав?"_s);
    EXPECT_EQ(question.pictureName, u"ъгъл 1.jpg"_s);
    EXPECT_EQ(question.pictureText, u"Ъгли a и b"_s);
    EXPECT_EQ(question.picture, picture);
}

// Refused kinds of question, each with its line, the format's own word for it and its number.
QByteArray moodleQuiz(const QByteArray &questions)
{
    return "<quiz>\n"
           "  <question type=\"multichoice\">\n"
           "    <questiontext><text>В</text></questiontext>\n"
           "    <answer fraction=\"100\"><text>а</text></answer>\n"
           "    <answer fraction=\"0\"><text>б</text></answer>\n"
           "  </question>\n" +
           questions + "</quiz>\n";
}

QString refusedMoodle(const QString &kind, const QString &type)
{
    return refusedKind(7, 2, kind).replace(u"“ не се"_s, u"“ (%1) не се"_s.arg(type));
}

QByteArray multichoice(const QByteArray &inside)
{
    return "  <question type=\"multichoice\">\n<questiontext><text>Q</text></questiontext>\n" + inside +
           "</question>\n";
}

// A quiz of one multiple-choice question at line 2 with the text Q, for what lies beside it.
QByteArray moodleOne(const QByteArray &inside)
{
    return "<quiz>\n" + multichoice(inside) + "</quiz>\n";
}

const QByteArray rightAndWrong = "<answer fraction=\"100\"><text>a</text></answer>\n"
                                 "<answer fraction=\"0\"><text>b</text></answer>\n";

// A question whose text is given in full, second in the quiz at line 7, its <questiontext> on line 8.
QByteArray moodleText(const QByteArray &questionText)
{
    return moodleQuiz("  <question type=\"multichoice\">\n<questiontext format=\"html\">" + questionText +
                      "</questiontext>\n" + rightAndWrong + "</question>\n");
}

// Elements nested `depth` deep.
QByteArray nested(int depth)
{
    return QByteArray("<b>").repeated(depth) + "x" + QByteArray("</b>").repeated(depth);
}

const QString dependsTail = u": програмата не може да го пусне, покаже или отвори, а въпросът може да зависи "
                            u"от него; махнете го или опишете с думи какво има в него"_s;

INSTANTIATE_TEST_SUITE_P(
    MoodleXml, SourceProblems,
    testing::Values(
        SourceCase{"TrueFalse", SourceFormat::MoodleXml, moodleQuiz("  <question type=\"truefalse\"/>\n"),
                   refusedMoodle(u"вярно/невярно"_s, u"truefalse"_s)},
        SourceCase{"ShortAnswer", SourceFormat::MoodleXml,
                   moodleQuiz("  <question type=\"shortanswer\"><answer fraction=\"100\"/></question>\n"),
                   refusedMoodle(u"кратък отговор"_s, u"shortanswer"_s)},
        SourceCase{"Numerical", SourceFormat::MoodleXml, moodleQuiz("  <question type=\"numerical\"/>\n"),
                   refusedMoodle(u"числов отговор"_s, u"numerical"_s)},
        SourceCase{"Matching", SourceFormat::MoodleXml, moodleQuiz("  <question type=\"matching\"/>\n"),
                   refusedMoodle(u"съпоставяне"_s, u"matching"_s)},
        SourceCase{"UnknownKind", SourceFormat::MoodleXml, moodleQuiz("  <question type=\"quiz\"/>\n"),
                   refusedMoodle(u"непознат"_s, u"quiz"_s)},
        SourceCase{"Essay", SourceFormat::MoodleXml, moodleQuiz("  <question type=\"essay\"/>\n"),
                   refusedMoodle(u"есе"_s, u"essay"_s)},
        SourceCase{"Cloze", SourceFormat::MoodleXml, moodleQuiz("  <question type=\"cloze\"/>\n"),
                   refusedMoodle(u"вградени отговори"_s, u"cloze"_s)},
        SourceCase{"Description", SourceFormat::MoodleXml, moodleQuiz("  <question type=\"description\"/>\n"),
                   refusedMoodle(u"описание без отговори"_s, u"description"_s)},
        SourceCase{"DragWords", SourceFormat::MoodleXml, moodleQuiz("  <question type=\"ddwtos\"/>\n"),
                   refusedMoodle(u"плъзгане на думи в текста"_s, u"ddwtos"_s)},
        SourceCase{"SeveralRight", SourceFormat::MoodleXml,
                   moodleQuiz(multichoice("<answer fraction=\"100\"><text>a</text></answer>\n"
                                          "<answer fraction=\"100\"><text>b</text></answer>\n")),
                   refusedKind(7, 2, u"няколко верни отговора"_s)},
        // Without <single>, answers that share the marks, none at 100 %, are several right ones.
        SourceCase{"SharedMarksWithoutSingle", SourceFormat::MoodleXml,
                   moodleQuiz(multichoice("<answer fraction=\"50\"><text>a</text></answer>\n"
                                          "<answer fraction=\"50\"><text>b</text></answer>\n"
                                          "<answer fraction=\"0\"><text>c</text></answer>\n")),
                   refusedKind(7, 2, u"няколко верни отговора"_s)},
        SourceCase{"SeveralPartlyRight", SourceFormat::MoodleXml,
                   moodleQuiz(multichoice("<single>false</single>\n"
                                          "<answer fraction=\"50\"><text>a</text></answer>\n"
                                          "<answer fraction=\"50\"><text>b</text></answer>\n"
                                          "<answer fraction=\"-100\"><text>c</text></answer>\n")),
                   refusedKind(7, 2, u"няколко верни отговора"_s)},
        SourceCase{"NoRightAnswer", SourceFormat::MoodleXml,
                   moodleQuiz(multichoice("<answer fraction=\"0\"><text>a</text></answer>\n"
                                          "<answer fraction=\"-50\"><text>b</text></answer>\n")),
                   u"7: въпрос 2: няма верен отговор"_s},
        SourceCase{"PartlyRightOnly", SourceFormat::MoodleXml,
                   moodleQuiz(multichoice("<answer fraction=\"33.5\"><text>a</text></answer>\n"
                                          "<answer fraction=\"0\"><text>b</text></answer>\n")),
                   u"7: въпрос 2: верният отговор носи 33.5 % от точките, а трябва да носи 100 %"_s},
        SourceCase{"FractionNotANumber", SourceFormat::MoodleXml,
                   moodleQuiz(multichoice("<answer fraction=\"сто\"><text>a</text></answer>\n"
                                          "<answer fraction=\"100\"><text>b</text></answer>\n")),
                   u"7: въпрос 2: отговор 1: fraction=„сто“ трябва да е число (100 за верния отговор)"_s},
        SourceCase{"NoQuestionText", SourceFormat::MoodleXml,
                   moodleQuiz("  <question type=\"multichoice\">\n"
                              "<answer fraction=\"100\"><text>a</text></answer>\n"
                              "<answer fraction=\"0\"><text>b</text></answer>\n</question>\n"),
                   u"7: въпрос 2: текстът на въпроса е празен или няма видим знак"_s},
        SourceCase{"PictureNotInTheFile", SourceFormat::MoodleXml,
                   moodleQuiz("  <question type=\"multichoice\"><questiontext><text>&lt;img "
                              "src=\"@@PLUGINFILE@@/a.png\"&gt;Q</text></questiontext>\n"
                              "<answer fraction=\"100\"><text>a</text></answer>\n"
                              "<answer fraction=\"0\"><text>b</text></answer>\n</question>\n"),
                   u"7: въпрос 2: изображението „a.png“ липсва: към текста няма <file> с това име"_s},
        SourceCase{"PictureBrokenBase64", SourceFormat::MoodleXml,
                   moodleQuiz("  <question type=\"multichoice\"><questiontext><text>&lt;img "
                              "src=\"@@PLUGINFILE@@/a.png\"&gt;Q</text>\n"
                              "<file name=\"a.png\" encoding=\"base64\">iVBO!!Rw0K</file></questiontext>\n"
                              "<answer fraction=\"100\"><text>a</text></answer>\n"
                              "<answer fraction=\"0\"><text>b</text></answer>\n</question>\n"),
                   u"7: въпрос 2: изображението „a.png“ е повредено: записът му в base64 е нарушен"_s},
        SourceCase{"PictureByAddress", SourceFormat::MoodleXml,
                   moodleQuiz(multichoice("<answer fraction=\"100\"><text>a</text></answer>\n"
                                          "<answer fraction=\"0\"><text>&lt;img src=\"http://x/b.png\"&gt;b"
                                          "</text></answer>\n")),
                   u"7: въпрос 2: отговор 2 не може да има изображение („http://x/b.png“): изображението "
                   u"може да е само в текста на въпроса"_s},
        SourceCase{
            "NotAQuiz", SourceFormat::MoodleXml, "<?xml version=\"1.0\"?>\n<html><body/></html>",
            u"2: файлът не е във формат Moodle XML: главният елемент е <html>, а трябва да е <quiz>"_s},
        SourceCase{"UnknownElementInQuiz", SourceFormat::MoodleXml, moodleQuiz("  <questions/>\n"),
                   u"7: непознат елемент <questions> в <quiz>: очаква се <question>"_s},
        SourceCase{"SingleFalseOneRight", SourceFormat::MoodleXml,
                   moodleQuiz(multichoice("<single>false</single>\n" + rightAndWrong)),
                   refusedKind(7, 2, u"няколко верни отговора"_s)},
        SourceCase{"SingleZero", SourceFormat::MoodleXml,
                   moodleQuiz(multichoice("<single>0</single>\n" + rightAndWrong)),
                   refusedKind(7, 2, u"няколко верни отговора"_s)},
        SourceCase{
            "LinkedSound", SourceFormat::MoodleXml,
            moodleText("<text>&lt;a href=\"@@PLUGINFILE@@/hello.mp3\"&gt;Чуйте&lt;/a&gt; поздрава.</text>\n"
                       "<file name=\"hello.mp3\" path=\"/\" encoding=\"base64\">AAAA</file>"),
            u"7: въпрос 2: в текста на въпроса има връзка към файл „hello.mp3“"_s + dependsTail},
        SourceCase{"AttachedSound", SourceFormat::MoodleXml,
                   moodleText("<text>Q</text><file name=\"a.mp3\" encoding=\"base64\">AAAA</file>"),
                   u"7: въпрос 2: към текста на въпроса е приложен файл „a.mp3“"_s + dependsTail},
        SourceCase{
            "VideoInText", SourceFormat::MoodleXml,
            moodleText("<text><![CDATA[<video controls src=\"@@PLUGINFILE@@/clip%201.mp4\">Видео</video>"
                       "Q]]></text>"),
            u"7: въпрос 2: в текста на въпроса има файл „clip 1.mp4“ (<video>)"_s + dependsTail},
        SourceCase{"ObjectWithoutFile", SourceFormat::MoodleXml,
                   moodleText("<text>&lt;object&gt;&lt;/object&gt;Q</text>"),
                   u"7: въпрос 2: в текста на въпроса има <object> без име на файл"_s + dependsTail},
        SourceCase{"OldImageWithoutData", SourceFormat::MoodleXml,
                   moodleQuiz(multichoice("<image>pic.png</image>\n" + rightAndWrong)),
                   u"7: въпрос 2: изображението „pic.png“ (<image>) не е във файла: към него няма "
                   u"<image_base64>"_s},
        SourceCase{"OldImageBesideImg", SourceFormat::MoodleXml,
                   moodleQuiz("  <question type=\"multichoice\"><questiontext><text>&lt;img "
                              "src=\"@@PLUGINFILE@@/a.png\"&gt;Q</text></questiontext>\n"
                              "<image>b.png</image><image_base64>AAAA</image_base64>\n" +
                              rightAndWrong + "</question>\n"),
                   u"7: въпрос 2: текстът на въпроса има 2 изображения, а може да има най-много едно"_s},
        SourceCase{"SuperscriptWithoutForm", SourceFormat::MoodleXml,
                   moodleText("<text>30&lt;sup&gt;о&lt;/sup&gt;</text>"),
                   u"7: въпрос 2: в текста на въпроса има горен индекс „о“ (<sup>), а знакът „о“ няма горна "
                   u"форма: програмата показва само обикновен текст; напишете го например като ^(о)"_s},
        // Nested past any text Moodle writes: refused at its line, without a reader that recurses.
        SourceCase{"DeeplyNestedText", SourceFormat::MoodleXml,
                   moodleText("\n<text>" + nested(100000) + "</text>"),
                   u"9: въпрос 2: в <text> има елементи, вложени на повече от 64 нива: Moodle не записва "
                   u"текст така; файлът е повреден или не е от Moodle"_s},
        // Past the nested text, the reader goes on with the next question at its line.
        SourceCase{"DeeplyNestedThenNextQuestion", SourceFormat::MoodleXml,
                   "<quiz>\n<question type=\"multichoice\"><questiontext><text>" + nested(200) +
                       "</text></questiontext>\n" + rightAndWrong +
                       "</question>\n<question type=\"essay\"/>\n</quiz>",
                   u"2: въпрос 1: в <text> има елементи, вложени на повече от 64 нива: Moodle не записва "
                   u"текст така; файлът е повреден или не е от Moodle\n"_s +
                       refusedKind(6, 2, u"есе"_s).replace(u"“ не се"_s, u"“ (essay) не се"_s)},
        SourceCase{"NestedWithinTheBound",
                   SourceFormat::MoodleXml,
                   moodleText("\n<text>" + nested(63) + "</text>"),
                   {}}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    MoodleXml, KeptQuestion,
    testing::Values(
        KeptCase{"PartialCredit",
                 SourceFormat::MoodleXml,
                 moodleOne(rightAndWrong + "<answer fraction=\"33.33333\"><text>c</text></answer>\n"),
                 u"Q",
                 {u"a"_s, u"b"_s, u"c"_s},
                 u"a",
                 u"2: въпрос 1: отговор 3 „c“ носи 33.3333 % от точките, а програмата познава само верен и "
                 u"грешен отговор: записан е като грешен"_s},
        KeptCase{
            "ShuffleOffWithAnswersByPlace",
            SourceFormat::MoodleXml,
            moodleOne("<shuffleanswers>0</shuffleanswers>\n" + rightAndWrong +
                      "<answer fraction=\"0\"><text>всички по-горе</text></answer>\n"
                      "<answer fraction=\"0\"><text>A и B</text></answer>\n"),
            u"Q",
            {u"a"_s, u"b"_s, u"всички по-горе"_s, u"A и B"_s},
            u"a",
            u"2: въпрос 1: отговорите трябва да стоят в реда от файла (shuffleanswers), а програмата ги "
            u"разбърква при всяко започване; отговорите, които сочат други по място, няма да са верни: 3 "
            u"„всички по-горе“, 4 „A и B“"_s},
        KeptCase{
            "ShuffleFalse",
            SourceFormat::MoodleXml,
            moodleOne("<shuffleanswers>false</shuffleanswers>\n" + rightAndWrong +
                      "<answer fraction=\"0\"><text>None of the above</text></answer>\n"),
            u"Q",
            {u"a"_s, u"b"_s, u"None of the above"_s},
            u"a",
            u"2: въпрос 1: отговорите трябва да стоят в реда от файла (shuffleanswers), а програмата ги "
            u"разбърква при всяко започване; отговорите, които сочат други по място, няма да са верни: 3 "
            u"„None of the above“"_s},
        KeptCase{"ShuffleOn",
                 SourceFormat::MoodleXml,
                 moodleOne("<shuffleanswers>1</shuffleanswers>\n" + rightAndWrong),
                 u"Q",
                 {u"a"_s, u"b"_s},
                 u"a",
                 {}},
        KeptCase{"Scripts",
                 SourceFormat::MoodleXml,
                 "<quiz><question type=\"multichoice\"><questiontext format=\"html\"><text><![CDATA["
                 "<p>g = 9,8 m/s<sup>2</sup>; CO<sub>2</sub></p>]]></text></questiontext>\n" +
                     rightAndWrong + "</question></quiz>",
                 u"g = 9,8 m/s²; CO₂",
                 {u"a"_s, u"b"_s},
                 u"a",
                 {}},
        KeptCase{"Markdown",
                 SourceFormat::MoodleXml,
                 "<quiz><question type=\"multichoice\"><questiontext format=\"markdown\"><text>Кое е "
                 "**вярно**?\n\n1. едно\n2. две</text></questiontext>\n" +
                     rightAndWrong + "</question></quiz>",
                 u"Кое е вярно?\n1. едно\n2. две",
                 {u"a"_s, u"b"_s},
                 u"a",
                 {}},
        // Plain text is shown as written: what looks like markup or an entity stays, in text and answers.
        KeptCase{"PlainTextKeptLiteral",
                 SourceFormat::MoodleXml,
                 "<quiz><question type=\"multichoice\"><questiontext format=\"plain_text\"><text>Кой таг "
                 "удебелява: &lt;b&gt;а&lt;/b&gt; &amp;amp; &lt;br&gt; или?</text></questiontext>\n"
                 "<answer fraction=\"100\" format=\"plain_text\"><text>&lt;b&gt;</text></answer>\n"
                 "<answer fraction=\"0\" format=\"plain_text\"><text>&amp;lt;br&amp;gt;</text></answer>\n"
                 "</question></quiz>",
                 u"Кой таг удебелява: <b>а</b> &amp; <br> или?",
                 {u"<b>"_s, u"&lt;br&gt;"_s},
                 u"<b>",
                 {}},
        KeptCase{
            "WebLinkInAnswer",
            SourceFormat::MoodleXml,
            moodleOne("<answer fraction=\"100\"><text>&lt;a href=\"http://x.bg\"&gt;сайтът&lt;/a&gt;</text>"
                      "</answer>\n<answer fraction=\"0\"><text>b</text></answer>\n"),
            u"Q",
            {u"сайтът"_s, u"b"_s},
            u"сайтът",
            u"2: въпрос 1: в отговор 1 има връзка „сайтът“ към „http://x.bg“: учениците виждат само думите, "
            u"без адреса"_s}),
    RowName());

// The picture fields of older exports, <image> with <image_base64>, are read as a picture of the text.
TEST(MoodleXml, ReadsOldImageFields)
{
    const QByteArray picture = test::tinyJpeg(4);
    const Import imported = importMoodleXml(
        "<quiz><question type=\"multichoice\"><questiontext><text>Кой ъгъл?</text></questiontext>\n"
        "<image>images/ъгъл.jpg</image>\n<image_base64>" +
        picture.toBase64() + "</image_base64>\n" + rightAndWrong + "</question></quiz>");
    EXPECT_EQ(problemsOf(imported), QString());
    ASSERT_EQ(imported.source.questions.size(), 1u);
    EXPECT_EQ(imported.source.questions[0].text, u"Кой ъгъл?"_s);
    EXPECT_EQ(imported.source.questions[0].pictureName, u"ъгъл.jpg"_s);
    EXPECT_EQ(imported.source.questions[0].picture, picture);
}

// A <file> over 4 MiB is refused with both sizes. One of exactly 4 MiB is kept as the source brings
// it: the packer converts it to fit the picture box and checks it against the bank's 256 KiB then.
TEST(MoodleXml, RefusesAPictureOver4MiB)
{
    const auto withPicture = [](const QByteArray &picture) {
        return importMoodleXml(moodleText("<text>&lt;img src=\"@@PLUGINFILE@@/a.jpg\"&gt;Q</text>\n"
                                          "<file name=\"a.jpg\" path=\"/\" encoding=\"base64\">" +
                                          picture.toBase64() + "</file>"));
    };
    const QByteArray atTheLimit(4 * 1024 * 1024, 'x');
    const Import kept = withPicture(atTheLimit);
    EXPECT_EQ(problemsOf(kept), QString());
    ASSERT_EQ(kept.source.questions.size(), 2u);
    EXPECT_EQ(kept.source.questions[1].picture, atTheLimit);
    EXPECT_EQ(problemsOf(withPicture(atTheLimit + 'x')),
              u"7: въпрос 2: изображението „a.jpg“ е твърде голямо: 4194305 байта, най-много 4194304"_s);
}

struct XmlFaultCase
{
    const char *name;
    QByteArray source;
    QString problemsBefore; // what was found before the fault
    int line;
    QString fault; // the Bulgarian part of the fault's problem; the reader's own words follow
};

class XmlFault : public testing::TestWithParam<XmlFaultCase>
{};

// Malformed XML ends the reading with the fault's line; what was found before it is still reported.
TEST_P(XmlFault, IsReportedAtItsLine)
{
    Import imported = importMoodleXml(GetParam().source);
    ASSERT_FALSE(imported.problems.isEmpty());
    const Problem fault = imported.problems.takeLast();
    EXPECT_EQ(problemsOf(imported), GetParam().problemsBefore);
    EXPECT_EQ(fault.line, GetParam().line);
    EXPECT_TRUE(shownText(fault).startsWith(GetParam().fault)) << shownText(fault).toStdString();
    EXPECT_TRUE(shownText(fault).endsWith(u')')) << shownText(fault).toStdString();
}

const QString xmlNotWellFormed = u"нарушен запис на XML: сгрешен или незатворен таг, кавички или знак & ("_s;
const QString xmlEndsEarly = u"грешка в XML: файлът свършва, преди всички елементи да са затворени ("_s;

INSTANTIATE_TEST_SUITE_P(
    Pack, XmlFault,
    testing::Values(
        XmlFaultCase{"MismatchedTag",
                     moodleQuiz("  <question type=\"essay\"/>\n  <question type=\"multichoice\">\n"
                                "    <questiontext><text>Q</questiontext>\n  </question>\n"),
                     refusedMoodle(u"есе"_s, u"essay"_s), 9,
                     u"грешка в XML, колона 40: "_s + xmlNotWellFormed},
        XmlFaultCase{"UnescapedAmpersand",
                     "<quiz>\n<question type=\"multichoice\">\n<questiontext><text>A & B",
                     {},
                     3,
                     u"грешка в XML, колона 24: "_s + xmlNotWellFormed},
        XmlFaultCase{"GarbageAfterQuiz", "<quiz></quiz>\n<quiz/>", {}, 2, u"грешка в XML, колона "_s},
        XmlFaultCase{"EndsEarly", "<quiz>\n<question type=\"essay\">\n",
                     refusedKind(2, 1, u"есе"_s).replace(u"“ не се"_s, u"“ (essay) не се"_s), 3,
                     xmlEndsEarly},
        XmlFaultCase{"Empty", "", {}, 1, xmlEndsEarly}),
    RowName());

// ---- The teacher's file: the Moodle XML МОРВ writes ----

// The HTML of a text, as Moodle shows it: blanks HTML would merge or drop are no-break spaces, lines are
// <br>, and what looks like markup is text.
struct ExactHtmlCase
{
    const char *name;
    const char16_t *text;
    const char16_t *html;
};

class ExactHtml : public testing::TestWithParam<ExactHtmlCase>
{};

TEST_P(ExactHtml, ShowsTheTextAndReadsItBack)
{
    const QString text = QString::fromUtf16(GetParam().text);
    EXPECT_EQ(moodle::exactHtml(text), QString::fromUtf16(GetParam().html));
    const std::optional<moodle::ExactText> read = moodle::fromExactHtml(moodle::exactHtml(text));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->text, text);
}

INSTANTIATE_TEST_SUITE_P(
    MoodleXml, ExactHtml,
    testing::Values(
        ExactHtmlCase{"Markup_is_text", u"3 < 5 & 5 > 3 \"<b>\" 'a'",
                      u"3 &lt; 5 &amp; 5 &gt; 3 \"&lt;b&gt;\" 'a'"},
        ExactHtmlCase{"Lines_are_br", u"Ред 1\nРед 2\n\nРед 4", u"Ред 1<br>Ред 2<br><br>Ред 4"},
        ExactHtmlCase{"Blanks_at_the_ends_and_in_runs", u" a  b ", u"&nbsp;a&nbsp;&nbsp;b&nbsp;"},
        ExactHtmlCase{"Trailing_blanks_of_an_answer", u"13690 и 10680  ", u"13690 и 10680&nbsp;&nbsp;"},
        ExactHtmlCase{"Tabs_returns_and_no_break_spaces", u"a\tb\r\nc\u00A0d", u"a&#9;b&#13;<br>c&#160;d"},
        ExactHtmlCase{"Blank_beside_a_tab", u"a \tb", u"a&nbsp;&#9;b"},
        ExactHtmlCase{"Scripts_and_symbols_as_they_are", u"x² + CO₂ ≤ 𝑥 → ∠ABC = 90°",
                      u"x² + CO₂ ≤ 𝑥 → ∠ABC = 90°"},
        ExactHtmlCase{"Entities_stay_as_written", u"&nbsp; &amp;", u"&amp;nbsp; &amp;amp;"},
        ExactHtmlCase{"Empty", u"", u""}),
    RowName());

// Only what exactHtml writes is read exactly; HTML of another hand (changed in Moodle, say) is not, and
// is left to the HTML reader.
TEST(MoodleXml, ReadsExactlyOnlyItsOwnHtml)
{
    for (const QString &html : {u"<p>a</p>"_s, u"a\nb"_s, u"a  b"_s, u"a&nbsp;b"_s, u"&deg;"_s, u" a"_s,
                                u"<img src=\"x.jpg\" alt=\"\">a"_s, u"a<br><img src=\"x.jpg\">"_s})
        EXPECT_FALSE(moodle::fromExactHtml(html).has_value()) << html.toStdString();
    const std::optional<moodle::ExactText> withPicture = moodle::fromExactHtml(
        u"Ъгъл&lt;1<br><img src=\"@@PLUGINFILE@@/q.jpg\" alt=\"&quot;a&quot; &amp; b&#10;c\">"_s);
    ASSERT_TRUE(withPicture.has_value());
    EXPECT_EQ(withPicture->text, u"Ъгъл<1"_s);
    ASSERT_TRUE(withPicture->picture.has_value());
    EXPECT_EQ(withPicture->picture->src, u"@@PLUGINFILE@@/q.jpg"_s);
    EXPECT_EQ(withPicture->picture->alt, u"\"a\" & b\nc"_s);
}

// A Moodle XML file with its category first: the description as given, then one question whose text is
// "a&nbsp;&nbsp;b".
QByteArray withCategory(const QString &description)
{
    return u"<quiz>\n<question type=\"category\"><category><text>$course$/top/Т</text></category>\n"
           u"<info format=\"html\"><text><![CDATA[%1]]></text></info></question>\n"
           u"<question type=\"multichoice\"><questiontext format=\"html\"><text>a&amp;nbsp;&amp;nbsp;b</text>"
           u"</questiontext>\n<answer fraction=\"100\"><text>x</text></answer>\n"
           u"<answer fraction=\"0\"><text>y</text></answer></question>\n</quiz>\n"_s.arg(description)
               .toUtf8();
}

const QString MarkLine = u"Тест, записан от МОРВ: програмата чете оттук превключвателите и заглавието му."_s;

struct CategoryCase
{
    const char *name;
    QString description;
    QString problems;                    // as problemsOf gives them
    std::optional<QStringList> settings; // the rows read, when the file carries them
    const char16_t *text;                // the question's text as read
};

class Category : public testing::TestWithParam<CategoryCase>
{};

// The title and switches come from a first category that carries МОРВ's mark, and only then are the
// texts read exactly; a mark with rows not as МОРВ writes them is a problem at the category.
TEST_P(Category, CarriesTheSettingsOfAMarkedFile)
{
    const Import imported = importMoodleXml(withCategory(GetParam().description));
    EXPECT_EQ(problemsOf(imported), GetParam().problems);
    EXPECT_EQ(imported.hasSettings, GetParam().settings.has_value());
    if (GetParam().settings) {
        EXPECT_EQ(settingsRows(imported.source), *GetParam().settings);
    }
    ASSERT_EQ(imported.source.questions.size(), 1u);
    EXPECT_EQ(imported.source.questions[0].text, QString::fromUtf16(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    MoodleXml, Category,
    testing::Values(
        CategoryCase{"Marked",
                     MarkLine +
                         u"<br>ЧЕО - фраза от 2 части - 1<br>Проверка за Тото - 2<br>Дава описание - 9<br>"
                         u"Дава обяснения - 0<br>Заглавие: Ъгли&lt;7&gt;<br>&nbsp;втори ред"_s,
                     {},
                     QStringList{u"Настройки - последната цифра"_s, u"ЧЕО - фраза от 2 части - 1"_s,
                                 u"Проверка за Тото - 2"_s, u"Ъгли<7>\n втори ред"_s, u"Дава описание - 9"_s,
                                 u"Дава обяснения - 0"_s},
                     u"a  b"},
        // As Moodle may write it again: without the blank after "Заглавие:".
        CategoryCase{"Marked_with_an_empty_title",
                     MarkLine +
                         u"<br>ЧЕО - фраза от 2 части - 0<br>Проверка за Тото - 1<br>Дава описание - 1<br>"
                         u"Дава обяснения - 0<br>Заглавие: "_s,
                     {},
                     test::settings(0, 1, 1, 0, {}),
                     u"a  b"},
        CategoryCase{"Another_category", u"<p>Въпроси по геометрия</p>"_s, {}, std::nullopt, u"a b"},
        CategoryCase{"Mark_not_on_the_first_line", u"Въпроси<br>"_s + MarkLine, {}, std::nullopt, u"a b"},
        CategoryCase{
            "Switch_row_without_its_digit",
            MarkLine + u"<br>ЧЕО - фраза от 2 части - 0<br>Проверка за Тото - да<br>"_s,
            u"2: ред 3 от описанието на категорията трябва да е „Проверка за Тото - “ и цифра от 0 до 9, "
            u"а е „Проверка за Тото - да“"_s,
            std::nullopt, u"a  b"},
        CategoryCase{
            "Switch_rows_missing", MarkLine,
            u"2: ред 2 от описанието на категорията трябва да е „ЧЕО - фраза от 2 части - “ и цифра от 0 "
            u"до 9, а е „“"_s,
            std::nullopt, u"a  b"},
        CategoryCase{"Title_row_missing",
                     MarkLine +
                         u"<br>ЧЕО - фраза от 2 части - 0<br>Проверка за Тото - 1<br>Дава описание - 1<br>"
                         u"Дава обяснения - 0"_s,
                     u"2: ред 6 от описанието на категорията трябва да започва с „Заглавие: “"_s,
                     std::nullopt, u"a  b"}),
    RowName());

// The README shows the category's description as МОРВ writes it: that text is read as the file's own.
TEST(MoodleXml, ReadmeShowsTheCategoryAsItIsRead)
{
    QFile readme(QStringLiteral(MORV_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const qsizetype section = text.indexOf(u"### Файлът на учителя"_s);
    ASSERT_GE(section, 0);
    const qsizetype start = text.indexOf(u"```\n"_s, section);
    const qsizetype end = text.indexOf(u"```"_s, start + 4);
    ASSERT_TRUE(start >= 0 && end > start);
    QStringList lines = text.sliced(start + 4, end - start - 4).split(u'\n');
    for (QString &line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    const moodle::CategorySettings read = moodle::readSettingsInfo(lines.join(u'\n'));
    EXPECT_TRUE(read.marked);
    EXPECT_EQ(read.problem, QString());
    EXPECT_EQ(read.title, u"Геометрия, 7 клас"_s);
    EXPECT_EQ(read.switches, TestSwitches{});
}

// Random tests built from one seed: texts of every kind of character the bank allows.
class RandomTest
{
public:
    explicit RandomTest(unsigned seed) : m_random(seed) {}

    TestDocument document()
    {
        TestDocument document;
        document.title =
            pick(4) == 0 ? QString() : text(limits::SettingsRow, pick(4) == 0, Visible::Optional);
        for (const SwitchInfo &info : switchTable())
            document.switches.setDigit(info.which, pick(10));
        const int count = 1 + pick(6);
        for (int q = 0; q < count; ++q)
            document.questions.push_back(question(q));
        return document;
    }

private:
    enum class Visible { Optional, Required };

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }

    // A character of one of the kinds a text may hold; line breaks only where the text may have them.
    QString character(bool lines)
    {
        static const QStringList kinds = {
            u"абвгдежзийклмнопрстуфхцчшщъьюяАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЬЮЯѝЍ"_s,
            u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"_s,
            u"0123456789"_s,
            u".,;:!?-–—„“«»()[]{}/\\*+=%№°∠△π√≤≥≠∥⊥·×÷…_"_s,
            u"<>&\"'"_s,
            scriptCharacters(),
            u"  \t\u00A0\u2009"_s,
            u"𝑥😀"_s, // beyond the basic plane: two UTF-16 units each
        };
        if (lines && pick(12) == 0)
            return pick(4) == 0 ? u"\r\n"_s : u"\n"_s;
        const QString &kind = kinds[pick(int(kinds.size()))];
        const QList<uint> characters = kind.toUcs4();
        const uint c = characters[pick(int(characters.size()))];
        return QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
    }

    // Blanks at either end now and then, and something visible when the text needs it.
    QString text(qsizetype most, bool lines, Visible visible)
    {
        QStringList characters;
        const int length = pick(int(std::min<qsizetype>(most - 3, 40)));
        for (int i = 0; i < length; ++i)
            characters.append(character(lines));
        if (visible == Visible::Required)
            characters.insert(pick(int(characters.size()) + 1), u"Ж"_s);
        if (pick(5) == 0)
            characters.prepend(u" "_s);
        if (pick(5) == 0)
            characters.append(u"  "_s);
        return characters.join(QString());
    }

    QByteArray picture(int kind, int seed)
    {
        static const QByteArray gif =
            QByteArray::fromBase64("R0lGODlhAgACAIAAAP///wAAACH5BAEAAAAALAAAAAACAAIAAAICRF4AOw==");
        QImage image(kind == 1 ? QSize(800, 600) : QSize(40 + seed % 50, 30), QImage::Format_RGB32);
        image.fill(QColor::fromHsv(seed * 37 % 360, 200, 200));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        switch (kind) {
        case 0: // a JPEG that fits the picture box
        case 1: // a JPEG larger than the box
            image.save(&buffer, "JPG", 80);
            break;
        case 2:
            image.save(&buffer, "PNG");
            break;
        default:
            return gif;
        }
        return bytes;
    }

    TestQuestion question(int index)
    {
        TestQuestion question;
        question.text = text(limits::QuestionText, true, Visible::Required);
        const int answers = 2 + pick(4);
        while (question.answers.size() < answers) {
            const QString answer = text(limits::AnswerText, pick(3) == 0, Visible::Required);
            if (!question.answers.contains(answer))
                question.answers.append(answer);
        }
        question.correct = question.answers[pick(answers)];
        const int lines = pick(5);
        for (int l = 0; l < lines; ++l)
            question.explanation.append(
                pick(6) == 0 ? QString() : text(limits::ExplanationLine, false, Visible::Optional));
        // One empty line alone is no explanation: it is written as none.
        if (question.explanation == QStringList{QString()})
            question.explanation.clear();
        if (const int kind = pick(5); kind < 4) {
            static const QStringList names = {u"pictures/q%1.jpg"_s, u"ъгъл %1.jpg"_s, u"фигури/%1.png"_s,
                                              u"a/b/%1.gif"_s};
            question.picture = picture(kind, index);
            question.pictureName = names[kind].arg(index + 1);
            question.pictureText =
                pick(3) == 0 ? QString() : text(limits::PictureText, true, Visible::Optional);
        }
        return question;
    }

    std::mt19937 m_random;
};

// What differs between two tests, field by field; empty when they are the same.
QString differences(const TestDocument &expected, const TestDocument &actual)
{
    QStringList found;
    auto compare = [&found](const QString &what, const auto &a, const auto &b) {
        if (a != b)
            found.append(what);
    };
    compare(u"title"_s, expected.title, actual.title);
    compare(u"switches"_s, expected.switches, actual.switches);
    compare(u"question count"_s, expected.questions.size(), actual.questions.size());
    for (std::size_t i = 0; i < std::min(expected.questions.size(), actual.questions.size()); ++i) {
        const TestQuestion &e = expected.questions[i];
        const TestQuestion &a = actual.questions[i];
        const QString at = u"question %1 "_s.arg(i + 1);
        compare(at + u"text"_s, e.text, a.text);
        compare(at + u"answers"_s, e.answers, a.answers);
        compare(at + u"correct"_s, e.correct, a.correct);
        compare(at + u"explanation"_s, e.explanation, a.explanation);
        compare(at + u"picture"_s, e.picture, a.picture);
        compare(at + u"picture name"_s, e.pictureName, a.pictureName);
        compare(at + u"picture text"_s, e.pictureText, a.pictureText);
    }
    return found.join(u", "_s);
}

// Any test the bank allows, written as Moodle XML and opened again, is the same test: texts with every
// kind of character, 2 to 5 answers, pictures of each kind, every switch digit.
TEST(MoodleXml, WrittenAndOpenedIsTheSameTest)
{
    std::array<std::array<bool, 10>, SwitchCount> digitsSeen{};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        const TestDocument written = RandomTest(seed).document();
        for (const SwitchInfo &info : switchTable())
            digitsSeen[std::size_t(info.which)][written.switches.digit(info.which)] = true;
        const Import imported = importMoodleXml(moodleXml(written));
        ASSERT_EQ(problemsOf(imported), QString()) << "seed " << seed;
        ASSERT_TRUE(imported.warnings.isEmpty()) << "seed " << seed;
        ASSERT_TRUE(imported.hasSettings) << "seed " << seed;
        ASSERT_EQ(differences(written, imported.source), QString()) << "seed " << seed;
    }
    for (const auto &digits : digitsSeen)
        EXPECT_TRUE(std::all_of(digits.begin(), digits.end(), [](bool seen) { return seen; }));
}

// ---- Telling the format ----

struct DetectCase
{
    const char *name;
    QByteArray bytes;
    std::optional<SourceFormat> format;
};

class Detect : public testing::TestWithParam<DetectCase>
{};

// The format shows in the content, whatever the file is called; a source that could be either is
// not guessed.
TEST_P(Detect, TellsTheFormatFromTheContent)
{
    EXPECT_EQ(detectTextFormat(GetParam().bytes), GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(
    Pack, Detect,
    testing::Values(
        DetectCase{"MoodleXmlWithDeclaration", moodleQuestion, SourceFormat::MoodleXml},
        DetectCase{"MoodleXmlWithBom", "\xEF\xBB\xBF  <quiz></quiz>", SourceFormat::MoodleXml},
        DetectCase{"OtherXml", "<?xml version=\"1.0\"?><html/>", std::nullopt},
        DetectCase{"GiftMultipleChoice", giftQuestion, SourceFormat::Gift},
        DetectCase{"GiftAnswersOnTheirLines", "// x\nВъпрос {\n  ~а\n  =б\n}", SourceFormat::Gift},
        DetectCase{"GiftTrueFalseOnly", "Земята е кръгла. {TRUE}", SourceFormat::Gift},
        DetectCase{"GiftStartingWithMarkup", "<b>В</b> {=а ~б}", SourceFormat::Gift},
        DetectCase{"EscapedBraceIsNotGift", "a \\{= b", std::nullopt},
        DetectCase{"Aiken", aikenQuestion, SourceFormat::Aiken},
        DetectCase{"AikenWithSetBraces", "Колко елемента има {1, 2}?\nA. 2\nB. 3\nANSWER: A",
                   SourceFormat::Aiken},
        DetectCase{"PlainText", "Просто текст.\nНищо повече.", std::nullopt},
        DetectCase{"BothGiftAndAiken", "В {=а ~б}\n\nВ\nA. а\nB. б\nANSWER: A", std::nullopt},
        DetectCase{"Empty", "", std::nullopt},
        // Told in UTF-16 too, for the importer to name the encoding rather than the format.
        DetectCase{"GiftInUtf16WithoutItsMark",
                   QStringEncoder(QStringConverter::Utf16LE).encode(QString::fromUtf8(giftQuestion)),
                   SourceFormat::Gift},
        DetectCase{"AikenInBigEndianUtf16",
                   QStringEncoder(QStringConverter::Utf16BE).encode(QString::fromUtf8(aikenQuestion)),
                   SourceFormat::Aiken},
        DetectCase{"MoodleXmlInUtf16WithItsMark",
                   "\xFF\xFE" + QByteArray(QStringEncoder(QStringConverter::Utf16LE)
                                               .encode(QString::fromUtf8(moodleQuestion))),
                   SourceFormat::MoodleXml}),
    RowName());

// A folder is a bank's source when it holds bank.json; a file is told by its content.
TEST(Detect, TellsFolderAndFile)
{
    QTemporaryDir dir;
    EXPECT_EQ(detectFormat(dir.path()), std::nullopt);
    QFile bank(dir.filePath(u"bank.json"_s));
    ASSERT_TRUE(bank.open(QIODevice::WriteOnly));
    bank.close();
    EXPECT_EQ(detectFormat(dir.path()), SourceFormat::Folder);

    QFile gift(dir.filePath(u"въпроси.txt"_s));
    ASSERT_TRUE(gift.open(QIODevice::WriteOnly));
    gift.write(giftQuestion);
    gift.close();
    EXPECT_EQ(detectFormat(gift.fileName()), SourceFormat::Gift);
    EXPECT_EQ(detectFormat(dir.filePath(u"няма.txt"_s)), std::nullopt);
}

} // namespace
