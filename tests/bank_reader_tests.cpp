// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The bank reader and its checks: what a teacher writes, what the program builds, what it refuses.
#include "bank/bankreader.h"
#include "bank/jpegheader.h"
#include "bank/picturecheck.h"
#include "bank/testdocument.h"
#include "tests/support/brokenbanks.h"
#include "tests/support/rows.h"
#include "tests/support/testbank.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string_view>

using namespace Qt::Literals::StringLiterals;
using namespace morv;
using morv::test::PrintTo;
using morv::test::RowName;
using test::bytes;
using test::questionJson;
using test::validJson;
using test::withQuestion;

namespace {

BankLoad read(const QJsonObject &object)
{
    return readBank(test::bytes(object), u"/nonexistent"_s, jpegDecodeProblem);
}

} // namespace

// A sound source becomes the bank's lists: questions from List1(1), placeholders in every spare slot.
TEST(BankReader, LaysOutTheListsWithSpareSlots)
{
    const BankLoad load = read(validJson(3));
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    const Bank &bank = *load.bank;
    EXPECT_EQ(bank.List1(0), (QStringList{u"b1"_s, u"b2"_s, u"b3"_s}));
    EXPECT_EQ(bank.List1(2), (QStringList{u"Въпрос 2"_s, u"a2"_s, u"b2"_s}));
    EXPECT_EQ(bank.List1(4), QStringList{u"List1(4) - въпрос от теста"_s});
    EXPECT_EQ(bank.List1(39), QStringList{u"List1(39) - въпрос от теста"_s});
    EXPECT_EQ(bank.Obqsnenie(0), QStringList{u"Остави ме на мира Обяснение - няма"_s});
    EXPECT_EQ(bank.Obqsnenie(3), QStringList{u"ред 1"_s});
    EXPECT_EQ(bank.Obqsnenie(4), QStringList{u"Обяснение 4"_s});
    EXPECT_EQ(bank.Obqsnenie(29), QStringList{u"Обяснение 29"_s});
    EXPECT_TRUE(bank.Picture1(1).isEmpty());
    EXPECT_EQ(bank.List2(), test::shippedSettings());
}

// Texts survive exactly: trailing blanks, Latin letters inside Cyrillic words, degree signs.
TEST(BankReader, KeepsTextsLetterForLetter)
{
    QJsonObject root = validJson(3);
    root = withQuestion(root, 1,
                        questionJson(u"Чуждоeзиково  ___ "_s, {u"13690 и 10680  "_s, u"72°"_s}, u"72°"_s));
    const BankLoad load = read(root);
    ASSERT_TRUE(load.bank);
    EXPECT_EQ(load.bank->List1(2).value(0), u"Чуждоeзиково  ___ "_s);
    EXPECT_EQ(load.bank->List1(2).value(1), u"13690 и 10680  "_s);
    EXPECT_EQ(load.bank->List1(0).value(1), u"72°"_s);
}

// The value of a setting is the last character of its row; a non-digit or an empty row reads as 0.
TEST(BankReader, ReadsSettingValuesFromTheLastCharacter)
{
    const QStringList rows{u"header"_s, u"x - 1"_s, u"x - 7"_s, u"title ends in a"_s, u""_s, u"x - 0"_s};
    EXPECT_EQ(settingValue(rows, 1), 1);
    EXPECT_EQ(settingValue(rows, 2), 7);
    EXPECT_EQ(settingValue(rows, 3), 0);
    EXPECT_EQ(settingValue(rows, 4), 0);
    EXPECT_EQ(settingValue(rows, 5), 0);
    EXPECT_EQ(settingValue(rows, 6), 0);
    EXPECT_EQ(settingValue({u"header"_s, u"x - 9"_s}, 1), 9);
}

struct SettingsCase
{
    const char *name;
    QStringList rows;
    Settings expected;
};

Settings switches(bool phrasePreview, bool repeatQuestion, bool showVerdict, bool explanations,
                  bool resultsNavigation, const QString &title = u"Тест"_s)
{
    return {phrasePreview, repeatQuestion, showVerdict, title, explanations, resultsNavigation};
}

std::vector<SettingsCase> settingsRows()
{
    QStringList blankAfterDigit = test::settings(1, 1, 1, 1);
    QStringList fullWidthDigits = test::settings(0, 0, 0, 0);
    for (const int row : {1, 2, 4, 5}) {
        blankAfterDigit[row] += u' ';
        fullWidthDigits[row].back() = QChar(0xFF11); // "１": a one, but not an ASCII digit
    }
    return {
        {"as shipped", test::shippedSettings(),
         switches(false, true, true, true, false, u"МОРВ по Геометрия - ъгли в триъгълник"_s)},
        {"all at 0", test::settings(0, 0, 0, 0), switches(false, false, false, false, false)},
        {"all at 1", test::settings(1, 1, 1, 1), switches(true, true, true, true, true)},
        // Rows 1, 2 (the repeat) and 5 count only at 1; rows 2 (the verdict) and 4 count above 0.
        {"all at 2", test::settings(2, 2, 2, 2), switches(false, false, true, true, false)},
        {"all at 9", test::settings(9, 9, 9, 9), switches(false, false, true, true, false)},
        {"a blank after the digit reads 0", blankAfterDigit, switches(false, false, false, false, false)},
        {"a digit of another script reads 0", fullWidthDigits, switches(false, false, false, false, false)},
        {"a title ending in 1 is only a title", test::settings(0, 0, 0, 0, u"Тест - 1"_s),
         switches(false, false, false, false, false, u"Тест - 1"_s)},
        {"missing rows read as off",
         {u"Настройки"_s, u"ЧЕО - 1"_s},
         switches(true, false, false, false, false, {})},
        {"no rows", {}, switches(false, false, false, false, false, {})},
    };
}

class SettingsRows : public testing::TestWithParam<SettingsCase>
{};

// Each switch is read once, with the comparison its row has always had.
TEST_P(SettingsRows, GiveTheirSwitches)
{
    const Settings settings = Settings::fromRows(GetParam().rows);
    const Settings &expected = GetParam().expected;
    EXPECT_EQ(settings.phrasePreview, expected.phrasePreview);
    EXPECT_EQ(settings.repeatQuestion, expected.repeatQuestion);
    EXPECT_EQ(settings.showVerdict, expected.showVerdict);
    EXPECT_EQ(settings.title, expected.title);
    EXPECT_EQ(settings.explanations, expected.explanations);
    EXPECT_EQ(settings.resultsNavigation, expected.resultsNavigation);
}

INSTANTIATE_TEST_SUITE_P(Bank, SettingsRows, testing::ValuesIn(settingsRows()), RowName());

// One digit in every switch row, as the program reads it: the phrase preview, the repeat question and
// Forward and Back after grading at exactly 1; the verdict and the explanations above 0.
struct DigitCase
{
    const char *name;
    int digit;
    bool atOne;    // phrase, repeat, review
    bool aboveNil; // verdict, explanations
};

class SwitchDigits : public testing::TestWithParam<DigitCase>
{};

// The one converter reads every row value 0-9 with the comparison of its row, keeps the digit, and
// writes a changed switch back as the row's own wording with that digit.
TEST_P(SwitchDigits, ReadWithTheirRowsComparisonAndWrittenBack)
{
    const DigitCase &c = GetParam();
    const QStringList rows = test::settings(c.digit, c.digit, c.digit, c.digit, u"Тест"_s);
    const Settings settings = Settings::fromRows(rows);
    EXPECT_EQ(settings.phrasePreview, c.atOne);
    EXPECT_EQ(settings.repeatQuestion, c.atOne);
    EXPECT_EQ(settings.showVerdict, c.aboveNil);
    EXPECT_EQ(settings.explanations, c.aboveNil);
    EXPECT_EQ(settings.resultsNavigation, c.atOne);

    TestDocument document;
    readSettingsRows(document, rows);
    for (const SwitchInfo &info : switchTable()) {
        EXPECT_EQ(document.switches.digit(info.which), c.digit) << info.option.toString().toStdString();
        EXPECT_EQ(settingValue(rows, info.row), c.digit);
        EXPECT_EQ(document.switches.fitsCheckBox(info.which), c.digit <= 1);
    }
    EXPECT_EQ(document.switches.repeatQuestion(), c.atOne);
    EXPECT_EQ(settingsRows(document), rows);

    // Made anew, with no rows read, the rows carry the shipped wording and the digit.
    TestDocument made;
    made.title = u"Тест"_s;
    for (const SwitchInfo &info : switchTable())
        made.switches.setDigit(info.which, c.digit);
    EXPECT_EQ(settingsRows(made), rows);
}

INSTANTIATE_TEST_SUITE_P(Bank, SwitchDigits,
                         testing::Values(DigitCase{"0", 0, false, false}, DigitCase{"1", 1, true, true},
                                         DigitCase{"2", 2, false, true}, DigitCase{"3", 3, false, true},
                                         DigitCase{"4", 4, false, true}, DigitCase{"5", 5, false, true},
                                         DigitCase{"6", 6, false, true}, DigitCase{"7", 7, false, true},
                                         DigitCase{"8", 8, false, true}, DigitCase{"9", 9, false, true}),
                         RowName());

// A row whose switch has not changed is written back as the teacher wrote it, wording and all; a
// changed one takes the shipped wording with its new digit, and no other row moves.
TEST(BankReader, KeepsTheWordingOfRowsWhoseSwitchHolds)
{
    const QStringList rows = {u"Моите настройки"_s, u"фраза:0"_s,    u"Тото:2"_s,
                              u"Заглавие"_s,        u"описание 7"_s, u"обяснения 0"_s};
    TestDocument document;
    readSettingsRows(document, rows);
    EXPECT_EQ(document.title, u"Заглавие"_s);
    EXPECT_EQ(settingsRows(document), rows);
    document.switches.set(Switch::Explanations, false);
    QStringList expected = rows;
    expected[Bank::ExplanationRow] = u"Дава описание - 0"_s;
    EXPECT_EQ(settingsRows(document), expected);
}

// The bank built from a source carries the switches of its rows.
TEST(BankReader, BuildsTheSwitchesOfItsSettings)
{
    QJsonObject root = validJson(3);
    root[u"settings"_s] = QJsonArray::fromStringList(test::settings(1, 2, 0, 1, u"Химия"_s));
    const BankLoad load = read(root);
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    const Settings &settings = load.bank->settings();
    EXPECT_TRUE(settings.phrasePreview);
    EXPECT_FALSE(settings.repeatQuestion);
    EXPECT_TRUE(settings.showVerdict);
    EXPECT_EQ(settings.title, u"Химия"_s);
    EXPECT_FALSE(settings.explanations);
    EXPECT_TRUE(settings.resultsNavigation);
}

// Poredica(n) holds all n! orderings in ascending order and nothing for other n.
TEST(BankReader, GeneratesEveryAnswerOrder)
{
    EXPECT_EQ(Bank::Poredica(2), (QStringList{u"12"_s, u"21"_s}));
    EXPECT_EQ(Bank::Poredica(3), (QStringList{u"123"_s, u"132"_s, u"213"_s, u"231"_s, u"312"_s, u"321"_s}));
    EXPECT_EQ(Bank::Poredica(4).size(), 24);
    EXPECT_EQ(Bank::Poredica(4).value(12), u"3124"_s);
    EXPECT_EQ(Bank::Poredica(5).size(), 120);
    EXPECT_EQ(Bank::Poredica(5).first(), u"12345"_s);
    EXPECT_EQ(Bank::Poredica(5).last(), u"54321"_s);
    QStringList sorted = Bank::Poredica(5);
    sorted.sort();
    sorted.removeDuplicates();
    EXPECT_EQ(sorted, Bank::Poredica(5));
    EXPECT_TRUE(Bank::Poredica(1).isEmpty());
    EXPECT_TRUE(Bank::Poredica(6).isEmpty());
}

class RefusedBank : public testing::TestWithParam<test::BrokenBank>
{};

// Every class of broken bank is refused with a message that names the place and the problem.
TEST_P(RefusedBank, IsRefusedWithItsMessage)
{
    const BankLoad load = readBank(GetParam().bytes(), u"/nonexistent"_s, jpegDecodeProblem);
    EXPECT_FALSE(load.bank);
    ASSERT_EQ(load.problems.size(), 1) << texts(load.problems).join(u'\n').toStdString();
    EXPECT_TRUE(shownText(load.problems.first()).contains(GetParam().message))
        << shownText(load.problems.first()).toStdString()
        << "\nexpected: " << GetParam().message.toStdString();
}

// The build refuses the same bank with the same message, naming the source file.
TEST_P(RefusedBank, FailsTheBuildWithItsMessage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bank.json"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GetParam().bytes());
    file.close();
    QProcess check;
    check.start(QStringLiteral(MORV_BANKCHECK), {path});
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 1);
    const QString errors = QString::fromUtf8(check.readAllStandardError());
    // "FILE:LINE: text", or "FILE: text" for a problem of the whole source.
    const QRegularExpression place(u"^"_s + QRegularExpression::escape(path) + u"(:[1-9][0-9]*)?: "_s);
    EXPECT_TRUE(place.match(errors).hasMatch()) << errors.toStdString();
    EXPECT_TRUE(errors.contains(GetParam().message)) << errors.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Bank, RefusedBank, testing::ValuesIn(test::brokenBanks()),
                         [](const testing::TestParamInfo<test::BrokenBank> &row) {
                             return std::string(row.param.name);
                         });

struct AtTheLimitCase
{
    const char *name;
    std::function<QJsonObject()> source;
};

QJsonObject withSettingsRow(int row, const QString &text)
{
    QJsonObject root = validJson();
    QStringList rows = test::shippedSettings();
    rows[row] = text;
    root[u"settings"_s] = QJsonArray::fromStringList(rows);
    return root;
}

QJsonObject withExplanation(const QStringList &lines)
{
    QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
    q[u"explanation"_s] = QJsonArray::fromStringList(lines);
    return withQuestion(validJson(), 0, q);
}

std::vector<AtTheLimitCase> atTheLimit()
{
    // A character beyond the basic plane is one character, though two UTF-16 units.
    QString wide;
    for (int i = 0; i < 1000; ++i)
        wide += u"😀"_s;
    return {
        {"a question of 1000 characters",
         [] {
             return withQuestion(validJson(), 2, questionJson(QString(1000, u'я'), {u"a"_s, u"b"_s}, u"b"_s));
         }},
        {"a question of 1000 characters beyond the basic plane",
         [wide] {
             return withQuestion(validJson(), 2, questionJson(wide, {u"a"_s, u"b"_s}, u"b"_s));
         }},
        {"an answer of 200 characters",
         [] {
             return withQuestion(validJson(), 2,
                                 questionJson(u"В"_s, {QString(200, u'я'), u"b"_s}, QString(200, u'я')));
         }},
        {"an explanation line of 300 characters",
         [] {
             return withExplanation({u"кратък"_s, QString(300, u'я')});
         }},
        {"40 explanation lines", [] { return withExplanation(QStringList(40, u"ред"_s)); }},
        {"a settings row of 200 characters", [] { return withSettingsRow(3, QString(200, u'я')); }},
        {"a figure description of 300 characters",
         [] {
             QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
             q[u"picture_text"_s] = QString(300, u'я');
             return withQuestion(validJson(), 1, q);
         }},
        {"3 questions", [] { return validJson(3); }},
        {"28 questions and the repeat", [] { return validJson(28); }},
        {"29 questions without the repeat",
         [] {
             QJsonObject root = validJson(29);
             root[u"settings"_s] = QJsonArray::fromStringList(test::settings(0, 0, 1, 0));
             return root;
         }},
        // Row 2 at 2 gives the verdict without the repeat: the limit follows the repeat, not the verdict.
        {"29 questions with the verdict and no repeat",
         [] {
             QJsonObject root = validJson(29);
             root[u"settings"_s] = QJsonArray::fromStringList(test::settings(0, 2, 1, 0));
             return root;
         }},
        {"5 answers",
         [] {
             return withQuestion(validJson(), 0,
                                 questionJson(u"В"_s, {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}, u"5"_s));
         }},
    };
}

class AtTheLimit : public testing::TestWithParam<AtTheLimitCase>
{};

// What a limit allows is accepted: each limit holds at its value, and one over it is a broken bank.
TEST_P(AtTheLimit, IsAccepted)
{
    const BankLoad load = read(GetParam().source());
    EXPECT_TRUE(load.bank);
    EXPECT_EQ(texts(load.problems), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Bank, AtTheLimit, testing::ValuesIn(atTheLimit()), RowName());

struct JsonFaultCase
{
    const char *name;
    QByteArray json;
    int line;
    QString problem;
};

std::vector<JsonFaultCase> jsonFaults()
{
    return {
        // The reader stops just past the quote that opens "questions": three characters into line 6.
        {"a comma missing between two fields",
         "{\n  \"settings\": [\n    \"a\",\n    \"b\"\n  ]\n  \"questions\": []\n}\n", 6,
         u"грешка в записа, ред 6, колона 4: незатворен обект: липсва „}“ или запетая"_s},
        // Just past the quote that opens "questions": 28 characters into the line (33 bytes).
        {"after Cyrillic on the same line", u"{\"settings\": [\"Тест\", \"б\"] \"questions\": []}"_s.toUtf8(),
         1, u"грешка в записа, ред 1, колона 29: незатворен обект: липсва „}“ или запетая"_s},
        // Just past the quote that opens "в": the column counts from the line break, 6 characters.
        {"after Cyrillic on an earlier line",
         u"{\"settings\": [\"Тест\",\n \"б\" \"в\"], \"questions\": []}"_s.toUtf8(), 2,
         u"грешка в записа, ред 2, колона 7: липсва запетая между две стойности"_s},
        // Just past the quote that opens "б": 19 characters into the line (20 UTF-16 units, 22 bytes).
        {"after a character beyond the basic plane",
         u"{\"settings\": [\"😀\" \"б\"], \"questions\": []}"_s.toUtf8(), 1,
         u"грешка в записа, ред 1, колона 20: липсва запетая между две стойности"_s},
    };
}

class JsonFault : public testing::TestWithParam<JsonFaultCase>
{};

// A source that is not JSON is refused with the line and column of the fault, the column counted in
// characters.
TEST_P(JsonFault, IsRefusedWithItsPlace)
{
    const BankLoad load = readBank(GetParam().json, u"/nonexistent"_s);
    ASSERT_FALSE(load.bank);
    ASSERT_EQ(load.problems.size(), 1);
    EXPECT_EQ(load.problems.first().line, GetParam().line);
    EXPECT_EQ(shownText(load.problems.first()), GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(Bank, JsonFault, testing::ValuesIn(jsonFaults()), RowName());

// A source in another encoding would turn its Cyrillic into garbage: it is refused, not guessed.
TEST(BankReader, RefusesSourceThatIsNotUtf8)
{
    QByteArray json = bytes(validJson());
    json.replace("Въпрос 1", "\xc2\xfa\xef\xf0\xee\xf1 1"); // the same word in a one-byte Cyrillic code page
    const BankLoad load = readBank(json, u"/nonexistent"_s);
    ASSERT_FALSE(load.bank);
    EXPECT_EQ(texts(load.problems),
              QStringList{u"файлът с въпросите не е в кодиране UTF-8: запишете го като UTF-8"_s});
}

// Several faults are all reported at once, each with its question, so one build shows them all.
TEST(BankReader, ReportsEveryProblemAtOnce)
{
    QJsonObject root = validJson(4);
    root = withQuestion(root, 0, questionJson(u"В"_s, {u"a"_s}, u"a"_s));
    root = withQuestion(root, 3, questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"c"_s));
    const BankLoad load = read(root);
    ASSERT_EQ(load.problems.size(), 2);
    EXPECT_TRUE(shownText(load.problems[0]).startsWith(u"въпрос 1:"_s));
    EXPECT_TRUE(shownText(load.problems[1]).startsWith(u"въпрос 4:"_s));
}

// Writes a file, making its folder first.
void writeFile(const QString &path, const QByteArray &data)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

class FigureFiles : public testing::Test
{
protected:
    FigureFiles() { QDir().mkpath(dir.path()); }

    void write(const QString &name, const QByteArray &data) { writeFile(dir.filePath(name), data); }
    QString writeBank(const QString &picture)
    {
        QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
        q[u"picture"_s] = picture;
        const QString path = dir.filePath(u"bank.json"_s);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes(withQuestion(validJson(), 0, q)));
        return path;
    }
    QTemporaryDir temporary;
    // The bank's folder, "bank" inside a temporary folder: what lies beside it is cleared away with it.
    QDir dir{temporary.filePath(u"bank"_s)};
};

// A figure beside the source is read into the question's picture element.
TEST_F(FigureFiles, ReadsTheFigureBesideTheSource)
{
    const QByteArray jpeg = test::tinyJpeg(3);
    write(u"pictures/q01.jpg"_s, jpeg);
    const BankLoad load = readBankFile(writeBank(u"pictures/q01.jpg"_s), jpegDecodeProblem);
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    EXPECT_EQ(load.bank->Picture1(1), jpeg);
    EXPECT_TRUE(load.bank->Picture1(2).isEmpty());
}

// A figure that is not a JPEG, or a cut-off JPEG, is refused at start and at build time alike.
TEST_F(FigureFiles, RefusesFiguresThatCannotBeShown)
{
    write(u"pictures/png.jpg"_s, QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(40, 'x'));
    BankLoad load = readBankFile(writeBank(u"pictures/png.jpg"_s), jpegHeaderProblem);
    ASSERT_EQ(load.problems.size(), 1);
    EXPECT_EQ(shownText(load.problems.first()),
              u"въпрос 1: изображението „pictures/png.jpg“ не може да се покаже: не е във формат JPEG"_s);

    write(u"pictures/cut.jpg"_s, test::tinyJpeg().left(20));
    load = readBankFile(writeBank(u"pictures/cut.jpg"_s), jpegDecodeProblem);
    ASSERT_EQ(load.problems.size(), 1);
    EXPECT_TRUE(shownText(load.problems.first())
                    .startsWith(u"въпрос 1: изображението „pictures/cut.jpg“ не може да се покаже"_s))
        << shownText(load.problems.first()).toStdString();
}

// The build-time check fails with every problem on its error output, and passes a sound bank.
TEST_F(FigureFiles, BuildCheckFailsOnABrokenBank)
{
    write(u"pictures/q01.jpg"_s, test::tinyJpeg());
    const QString path = writeBank(u"pictures/q01.jpg"_s);
    QProcess check;
    check.start(QStringLiteral(MORV_BANKCHECK), {path});
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString();

    write(u"pictures/q01.jpg"_s, "not a picture");
    check.start(QStringLiteral(MORV_BANKCHECK), {path});
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 1);
    const QString errors = QString::fromUtf8(check.readAllStandardError());
    EXPECT_TRUE(
        errors.contains(path + u":3: въпрос 1: изображението „pictures/q01.jpg“ не може да се покаже"_s))
        << errors.toStdString();
}

// A tiny JPEG grown to exactly `size` bytes: a decoder stops at its end marker and never reads the rest.
QByteArray jpegOfSize(qsizetype size)
{
    QByteArray jpeg = test::tinyJpeg();
    return jpeg + QByteArray(size - jpeg.size(), '\0');
}

struct FigureFileCase
{
    const char *name;
    QString picture; // the name the bank gives the figure
    // Puts something at the figure's path; `folder` is the bank's folder, "bank" in a temporary one.
    std::function<void(const QString &folder, const QString &path)> make;
    QString message; // what the figure is refused with; empty when it is read
};

std::vector<FigureFileCase> figureFiles()
{
    const QString inside = u"pictures/case.jpg"_s;
    auto link = [](const QString &target) {
        return [target](const QString &, const QString &path) { ASSERT_TRUE(QFile::link(target, path)); };
    };
    // A folder that shares the bank folder's name as the start of its own: "bank-x" beside "bank".
    auto sibling = [](const QString &folder) { return folder + u"-x/p.jpg"_s; };
    return {
        {"a link to a figure outside", inside,
         [](const QString &folder, const QString &path) {
             writeFile(folder + u"/../outside/photo.jpg"_s, test::tinyJpeg());
             ASSERT_TRUE(QFile::link(folder + u"/../outside/photo.jpg"_s, path));
         },
         u"води извън папката на въпросите"_s},
        {"a link to the password file", inside, link(u"/etc/passwd"_s), u"води извън папката на въпросите"_s},
        {"a link to an endless device", inside, link(u"/dev/zero"_s), u"води извън папката на въпросите"_s},
        {"a FIFO", inside,
         [](const QString &, const QString &path) {
             ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
         },
         u"не е обикновен файл"_s},
        {"a folder", u"pictures/folder.jpg"_s,
         [](const QString &, const QString &path) { ASSERT_TRUE(QDir().mkpath(path)); },
         u"не е обикновен файл"_s},
        {"an empty file", inside, [](const QString &, const QString &path) { writeFile(path, {}); },
         u"е празен файл"_s},
        {"a file over 256 KiB", inside,
         [](const QString &, const QString &path) { writeFile(path, jpegOfSize(256 * 1024 + 1)); },
         u"е твърде голямо: 262145 байта, най-много 262144"_s},
        {"the folder of the bank, named “.”", u"."_s, [](const QString &, const QString &) {},
         u"изображението „.“ не е обикновен файл"_s},
        {"the folder of the bank, named “pictures/..”", u"pictures/.."_s,
         [](const QString &, const QString &) {}, u"изображението „pictures/..“ не е обикновен файл"_s},
        {"a file of exactly 256 KiB",
         inside,
         [](const QString &, const QString &path) { writeFile(path, jpegOfSize(256 * 1024)); },
         {}},
        {"named through a sibling folder that shares the folder's name", u"../bank-x/p.jpg"_s,
         [sibling](const QString &folder, const QString &) { writeFile(sibling(folder), test::tinyJpeg()); },
         u"трябва да е в папката на въпросите"_s},
        {"a link into a sibling folder that shares the folder's name", inside,
         [sibling](const QString &folder, const QString &path) {
             writeFile(sibling(folder), test::tinyJpeg());
             ASSERT_TRUE(QFile::link(sibling(folder), path));
         },
         u"води извън папката на въпросите"_s},
        {"a link that stays inside the folder",
         inside,
         [](const QString &folder, const QString &path) {
             writeFile(folder + u"/pictures/q01.jpg"_s, test::tinyJpeg());
             ASSERT_TRUE(QFile::link(folder + u"/pictures/q01.jpg"_s, path));
         },
         {}},
    };
}

class FigureFile : public FigureFiles, public testing::WithParamInterface<FigureFileCase>
{};

// Only a regular file inside the bank's folder, within the size limit, is a figure: the text of the path
// says nothing of where a link leads, a FIFO would hang the build and a device never ends. Both the
// check at start and the one at build time say so.
TEST_P(FigureFile, IsReadOnlyWhenARegularFileInsideTheFolder)
{
    const FigureFileCase &c = GetParam();
    QDir().mkpath(dir.filePath(u"pictures"_s));
    c.make(dir.path(), QDir::cleanPath(dir.filePath(c.picture)));
    for (const PictureCheck &check : {PictureCheck(jpegHeaderProblem), PictureCheck(jpegDecodeProblem)}) {
        const BankLoad load = readBankFile(writeBank(c.picture), check);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
            continue;
        }
        ASSERT_EQ(load.problems.size(), 1);
        EXPECT_TRUE(shownText(load.problems.first()).startsWith(u"въпрос 1: "_s));
        EXPECT_TRUE(shownText(load.problems.first()).contains(c.message))
            << shownText(load.problems.first()).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(FigureFiles, FigureFile, testing::ValuesIn(figureFiles()), RowName());

// A JPEG cut in half still has its header: the build decodes it whole and refuses it. A photo larger
// than 4096 pixels a side is refused as too large, at start and at build time, not as broken.
TEST_F(FigureFiles, RefusesCutAndOversizedJpegs)
{
    QImage noise(200, 120, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 7) % 256, (y * 13) % 256, (x * y) % 256));
    QByteArray whole;
    QBuffer buffer(&whole);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(noise.save(&buffer, "JPG", 90));
    write(u"pictures/half.jpg"_s, whole.left(whole.size() / 2));
    EXPECT_TRUE(readBankFile(writeBank(u"pictures/half.jpg"_s), jpegHeaderProblem).bank);
    const BankLoad cut = readBankFile(writeBank(u"pictures/half.jpg"_s), jpegDecodeProblem);
    ASSERT_EQ(cut.problems.size(), 1);
    EXPECT_EQ(shownText(cut.problems.first()),
              u"въпрос 1: изображението „pictures/half.jpg“ не може да се покаже: повреден JPEG"_s);

    QByteArray wide;
    QBuffer wideBuffer(&wide);
    wideBuffer.open(QIODevice::WriteOnly);
    QImage photo(5000, 8, QImage::Format_RGB32);
    photo.fill(Qt::white);
    ASSERT_TRUE(photo.save(&wideBuffer, "JPG", 50));
    write(u"pictures/wide.jpg"_s, wide);
    for (const PictureCheck &check : {PictureCheck(jpegHeaderProblem), PictureCheck(jpegDecodeProblem)}) {
        const BankLoad load = readBankFile(writeBank(u"pictures/wide.jpg"_s), check);
        ASSERT_EQ(load.problems.size(), 1);
        EXPECT_EQ(shownText(load.problems.first()),
                  u"въпрос 1: изображението „pictures/wide.jpg“ не може да се покаже: "
                  u"твърде голямо: 5000 × 8 пиксела, най-много 4096 × 4096"_s);
    }
}

// What Qt's reader says of a JPEG's header: its size, or nothing when it does not take it for a JPEG.
std::optional<QSize> sizeQtReads(const QByteArray &jpeg)
{
    QBuffer buffer;
    buffer.setData(jpeg);
    QImageReader reader(&buffer);
    if (reader.format() != "jpeg")
        return std::nullopt;
    return reader.size();
}

// JPEGs as Qt writes them: small and large, grey, progressive, with a comment, at full quality.
QList<QByteArray> jpegKinds()
{
    QList<QByteArray> kinds{test::tinyJpeg()};
    auto write = [&kinds](const QImage &image, int quality, bool progressive, const QString &comment) {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(quality);
        writer.setProgressiveScanWrite(progressive);
        if (!comment.isEmpty())
            writer.setText(u"Description"_s, comment);
        ASSERT_TRUE(writer.write(image));
        kinds.append(jpeg);
    };
    QImage colour(225, 137, QImage::Format_RGB32);
    colour.fill(QColor(30, 120, 200));
    write(colour, 100, false, {});
    write(colour, 50, true, {});
    write(colour.convertToFormat(QImage::Format_Grayscale8), 75, false, u"чертеж"_s);
    write(QImage(5000, 8, QImage::Format_RGB32), 50, false, {});
    return kinds;
}

// The start reads a plain JPEG header itself instead of through Qt's reader, which it leaves what the
// program does not read: whenever it gives a size, for JPEGs of each kind and for each of them cut short
// anywhere in its header or with any byte of it changed, Qt's reader takes the bytes for a JPEG of that
// size, and the check says what it said before.
TEST(FigureHeaders, PlainHeaderReadsAsQtReadsIt)
{
    int plain = 0;
    int left = 0;
    auto compare = [&](const QByteArray &jpeg) {
        const std::optional<QSize> size = plainJpegSize(jpeg);
        if (!size) {
            ++left;
            return;
        }
        ++plain;
        ASSERT_EQ(size, sizeQtReads(jpeg)) << jpeg.toHex().toStdString();
    };
    for (const QByteArray &jpeg : jpegKinds()) {
        ASSERT_TRUE(plainJpegSize(jpeg).has_value());
        compare(jpeg);
        const qsizetype scan = jpeg.indexOf("\xFF\xDA");
        ASSERT_GT(scan, 0);
        const qsizetype header = scan + 2 + ((uchar(jpeg[scan + 2]) << 8) | uchar(jpeg[scan + 3]));
        for (qsizetype cut = 0; cut < header; ++cut)
            compare(jpeg.left(cut));
        for (qsizetype at = 0; at < header; ++at) {
            for (const int change :
                 {0x00, 0x01, 0x10, 0x7F, 0xFF, uchar(jpeg[at]) + 1, uchar(jpeg[at]) - 1}) {
                QByteArray changed = jpeg;
                changed[at] = char(change);
                compare(changed);
            }
        }
        // The scan naming its components in every order: the JPEG library takes only the frame's.
        const int inScan = uchar(jpeg[scan + 4]);
        std::vector<QByteArray> selectors;
        for (int c = 0; c < inScan; ++c)
            selectors.push_back(jpeg.mid(scan + 5 + 2 * c, 2));
        std::ranges::sort(selectors);
        do {
            QByteArray reordered = jpeg;
            for (int c = 0; c < inScan; ++c)
                reordered.replace(scan + 5 + 2 * c, 2, selectors[std::size_t(c)]);
            compare(reordered);
        } while (std::ranges::next_permutation(selectors).found);
    }
    EXPECT_GT(plain, 1000);
    EXPECT_GT(left, 1000);
}

// The build embeds the checked bytes: bank.json and the figures it names, nothing else from the
// folder; it follows the content, whatever the files' times say, and leaves an unchanged payload be.
TEST_F(FigureFiles, BuildEmbedsTheCheckedBytesWhateverTheTimes)
{
    write(u"pictures/q01.jpg"_s, test::tinyJpeg());
    write(u"pictures/notes.txt"_s, "private notes");
    const QString path = writeBank(u"pictures/q01.jpg"_s);
    const QString payloadPath = dir.filePath(u"bank.payload"_s);
    auto build = [&] {
        QProcess check;
        check.start(QStringLiteral(MORV_BANKCHECK), {path, u"--payload"_s, payloadPath});
        EXPECT_TRUE(check.waitForFinished(30000));
        EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString();
        QFile payload(payloadPath);
        EXPECT_TRUE(payload.open(QIODevice::ReadOnly));
        return unpackPayload(payload.readAll(), PayloadOrigin::Embedded).value.value_or(BankFiles{});
    };
    QFile source(path);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray json = source.readAll();
    source.close();
    BankFiles files = build();
    EXPECT_EQ(files.json, json);
    EXPECT_EQ(files.pictures.keys(), QStringList{u"pictures/q01.jpg"_s});
    EXPECT_EQ(files.pictures.value(u"pictures/q01.jpg"_s), test::tinyJpeg());

    // An unchanged bank leaves the payload as it was.
    const QDateTime old(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
    QFile payload(payloadPath);
    ASSERT_TRUE(payload.open(QIODevice::ReadWrite));
    ASSERT_TRUE(payload.setFileTime(old, QFileDevice::FileModificationTime));
    payload.close();
    build();
    EXPECT_EQ(QFileInfo(payloadPath).lastModified().toUTC(), old);

    // A new bank with an old time, as copied with its times kept, is checked and embedded all the same.
    QByteArray changed = json;
    changed.replace("Въпрос 2", "Въпрос две");
    ASSERT_TRUE(source.open(QIODevice::WriteOnly | QIODevice::Truncate));
    source.write(changed);
    ASSERT_TRUE(source.setFileTime(old, QFileDevice::FileModificationTime));
    source.close();
    EXPECT_EQ(build().json, changed);
}

struct OddNameCase
{
    const char *name;
    QString picture;
};

std::vector<OddNameCase> oddNames()
{
    return {{"a semicolon", u"pictures/a;b.jpg"_s},
            {"a blank", u"pictures/с интервал.jpg"_s},
            {"quotes", u"pictures/\"кавички\"'.jpg"_s},
            {"a shell command", u"pictures/$(touch x).jpg"_s}};
}

class OddFileName : public FigureFiles, public testing::WithParamInterface<OddNameCase>
{};

// Names that a build tool or a shell would trip over are just names: the figure is read and embedded.
TEST_P(OddFileName, IsReadAndEmbedded)
{
    const QString &name = GetParam().picture;
    write(name, test::tinyJpeg(2));
    const QString path = writeBank(name);
    QProcess check;
    check.start(QStringLiteral(MORV_BANKCHECK), {path, u"--payload"_s, dir.filePath(u"odd.payload"_s)});
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString();
    QFile payload(dir.filePath(u"odd.payload"_s));
    ASSERT_TRUE(payload.open(QIODevice::ReadOnly));
    const Found<BankFiles> files = unpackPayload(payload.readAll(), PayloadOrigin::Embedded);
    ASSERT_TRUE(files);
    EXPECT_EQ(files->pictures.keys(), QStringList{name});
    EXPECT_FALSE(QFile::exists(u"x"_s));
}

INSTANTIATE_TEST_SUITE_P(FigureFiles, OddFileName, testing::ValuesIn(oddNames()), RowName());

namespace {

const QString Damaged = u"добавеният към програмата тест е повреден"_s;

} // namespace

// A packed program carries its bank after its own bytes and its mark set; the trailer finds the bank,
// a damaged one is refused, and a program as built keeps its own bank whatever follows its bytes.
TEST(AppendedBank, FoundCheckedOrRefused)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(u"program"_s);
    const QByteArray payload = packPayload({bytes(validJson(4)), {}});
    const QByteArray code = test::programBytes();
    // Why nothing was found, as the teacher reads it: empty when there was nothing to find.
    auto problemOf = [](const auto &found) {
        EXPECT_FALSE(found);
        return found.problem ? shownText(*found.problem) : QString();
    };

    writeFile(program, code);
    EXPECT_EQ(programMark(code), ProgramMark::AsBuilt);
    EXPECT_EQ(problemOf(appendedBank(program)), QString());

    // A bank added by hand to a program as built is not its test: it runs the one it was built with.
    writeFile(program, code + appendable(payload));
    ASSERT_TRUE(appendedBank(program));
    EXPECT_EQ(appendedBank(program)->json, bytes(validJson(4)));
    EXPECT_EQ(appendedPayload(code + appendable(payload)).value, payload);
    const BankLoad asBuilt = test::bankOfProgramFile(program);
    ASSERT_TRUE(asBuilt.bank);
    EXPECT_EQ(asBuilt.bank->List2(), readEmbeddedBank().bank->List2());

    const QByteArray packed = withAppendedBank(code, payload);
    EXPECT_EQ(programMark(packed), ProgramMark::Packed);
    EXPECT_EQ(withoutAppendedBank(packed), code);
    writeFile(program, packed);
    const BankLoad load = test::bankOfProgramFile(program);
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    EXPECT_EQ(load.bank->List1(Bank::CorrectAnswers).size(), 4);

    QByteArray damaged = packed;
    damaged[code.size() + 10] = char(damaged[code.size() + 10] ^ 1);
    writeFile(program, damaged);
    EXPECT_EQ(problemOf(appendedBank(program)), Damaged);
    EXPECT_EQ(problemOf(appendedPayload(damaged)), Damaged);
    EXPECT_EQ(appendedPayload(damaged).problem->rule, Rule::DamagedPayload);
    EXPECT_EQ(texts(test::bankOfProgramFile(program).problems), QStringList{Damaged});

    // A length that points before the start of the file.
    writeFile(program, appendable(payload).mid(payload.size() - 10));
    EXPECT_EQ(problemOf(appendedBank(program)), Damaged);
    EXPECT_EQ(problemOf(appendedPayload(appendable(payload).mid(payload.size() - 10))), Damaged);

    // A checksum that holds over bytes that are no payload.
    writeFile(program, withAppendedBank(code, "no payload at all"));
    EXPECT_EQ(problemOf(appendedBank(program)), Damaged);

    EXPECT_EQ(problemOf(unpackPayload("not a payload", PayloadOrigin::Embedded)),
              u"вграденият тест е повреден"_s);
    EXPECT_EQ(problemOf(unpackPayload("not a payload", PayloadOrigin::Appended)), Damaged);
}

struct Cut
{
    const char *name;
    std::function<QByteArray(const QByteArray &packed)> cut;
};

class CutCopy : public testing::TestWithParam<Cut>
{};

// A packed program cut short anywhere (a copy to a stick interrupted, a download cut off) says that its
// test is damaged: it never falls back to the test it was built with.
TEST_P(CutCopy, RefusesWithTheDamagedMessage)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(u"program"_s);
    writeFile(program,
              GetParam().cut(withAppendedBank(test::programBytes(), packPayload({bytes(validJson(4)), {}}))));
    EXPECT_EQ(texts(test::bankOfProgramFile(program).problems), QStringList{Damaged});
}

// The trailer is 60 bytes: a SHA-256 of 32, a length of 8 and the 20 of "MORV-APPENDED-BANK-1".
INSTANTIATE_TEST_SUITE_P(
    AppendedBank, CutCopy,
    testing::Values(Cut{"one_byte", [](const QByteArray &p) { return p.chopped(1); }},
                    Cut{"the_whole_trailer", [](const QByteArray &p) { return p.chopped(60); }},
                    Cut{"the_trailer_and_a_byte", [](const QByteArray &p) { return p.chopped(61); }},
                    Cut{"half_the_file", [](const QByteArray &p) { return p.first(p.size() / 2); }},
                    Cut{"something_added_after", [](const QByteArray &p) { return p + "\n"; }}),
    RowName());

struct CraftedPayload
{
    const char *name;
    std::function<BankFiles()> files;
    QString message;       // empty for a payload that is accepted
    QByteArray after = {}; // bytes left after the files, within the checksum
};

class Payloads : public testing::TestWithParam<CraftedPayload>
{};

QJsonObject withPicture(const QString &name)
{
    QJsonObject question = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"b"_s);
    question[u"picture"_s] = name;
    return withQuestion(validJson(3), 0, question);
}

// A payload holds the bank.json and the figures it names, nothing more: one made by hand with a right
// checksum still cannot carry other files or grow past the largest bank the limits allow.
TEST_P(Payloads, HoldOnlyWhatTheBankNames)
{
    const QByteArray payload = packPayload(GetParam().files()) + GetParam().after;
    const BankLoad appended = readPayload(payload, PayloadOrigin::Appended, jpegHeaderProblem);
    if (GetParam().message.isEmpty()) {
        EXPECT_TRUE(appended.bank) << texts(appended.problems).join(u'\n').toStdString();
        return;
    }
    EXPECT_FALSE(appended.bank);
    ASSERT_EQ(appended.problems.size(), 1) << texts(appended.problems).join(u'\n').toStdString();
    EXPECT_EQ(shownText(appended.problems.first()), GetParam().message);
    // Built into the program, the same payload is the embedded test.
    const BankLoad embedded = readPayload(payload, PayloadOrigin::Embedded, jpegHeaderProblem);
    ASSERT_EQ(embedded.problems.size(), 1);
    EXPECT_EQ(shownText(embedded.problems.first()),
              QString(GetParam().message).replace(Damaged, u"вграденият тест е повреден"_s));
}

INSTANTIATE_TEST_SUITE_P(
    AppendedBank, Payloads,
    testing::Values(
        CraftedPayload{"the_named_figure",
                       [] {
                           return BankFiles{bytes(withPicture(u"q.jpg"_s)), {{u"q.jpg"_s, test::tinyJpeg()}}};
                       },
                       {}},
        CraftedPayload{"a_file_it_does_not_name",
                       [] {
                           return BankFiles{bytes(withPicture(u"q.jpg"_s)),
                                            {{u"q.jpg"_s, test::tinyJpeg()}, {u"extra.bin"_s, "x"}}};
                       },
                       Damaged + u": съдържа файла „extra.bin“, който тестът не назовава"_s},
        CraftedPayload{"a_file_without_a_name",
                       [] {
                           return BankFiles{bytes(validJson(3)), {{QString(), QByteArray(1000, 'x')}}};
                       },
                       Damaged + u": съдържа файла „“, който тестът не назовава"_s},
        // The named figure's payload and one byte more, as a hand-made checksum would cover it.
        CraftedPayload{"one_stray_byte_after_the_files",
                       [] {
                           return BankFiles{bytes(withPicture(u"q.jpg"_s)), {{u"q.jpg"_s, test::tinyJpeg()}}};
                       },
                       Damaged, QByteArray(1, '\0')},
        CraftedPayload{"a_bank_json_over_4_MiB",
                       [] {
                           return BankFiles{bytes(validJson(3)) + QByteArray(4 * 1024 * 1024, ' '), {}};
                       },
                       Damaged + u": текстът му е %1 байта, най-много 4194304"_s.arg(
                                     bytes(validJson(3)).size() + 4 * 1024 * 1024)},
        // 12 MiB: a bank.json of 4 MiB and 30 figures of 256 KiB with their names fit in it, this does not.
        CraftedPayload{"padding_past_the_largest_bank",
                       [] {
                           return BankFiles{
                               bytes(withPicture(u"q.jpg"_s)),
                               {{u"q.jpg"_s, test::tinyJpeg() + QByteArray(12 * 1024 * 1024, 0)}}};
                       },
                       Damaged}),
    RowName());

// A bank.json over 4 MiB is refused from its size alone, before it is read, at build and by morv-pack.
TEST(BankFile, IsRefusedFromItsSizeAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bank.json"_s);
    const QByteArray sound = bytes(validJson(3));
    writeFile(path, sound + QByteArray(4 * 1024 * 1024 - sound.size(), ' '));
    EXPECT_TRUE(readBankFile(path).bank);
    writeFile(path, sound + QByteArray(4 * 1024 * 1024 - sound.size() + 1, ' '));
    EXPECT_EQ(
        texts(readBankFile(path).problems),
        QStringList{u"файлът с въпросите „%1“ е твърде голям: 4194305 байта, най-много 4194304"_s.arg(path)});
}

// The bank the program carries passes its own checks, read from the resources as at start.
TEST(EmbeddedBank, PassesTheChecks)
{
    const BankLoad load = readEmbeddedBank(jpegDecodeProblem);
    EXPECT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
}
