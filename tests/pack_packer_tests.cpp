// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The packer as a library, as the command line and the window call it: every problem and warning with
// its question and line, the settings the options make, and the program and folder it writes.
#include "bank/bankreader.h"
#include "bank/payload.h"
#include "bank/programfile.h"
#include "bank/sourcefile.h"
#include "pack/moodlewriter.h"
#include "pack/packer.h"
#include "pack/packerengine.h"
#include "tests/support/brokenbanks.h"
#include "tests/support/rows.h"
#include "tests/support/testbank.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include <functional>

#include <gtest/gtest.h>

#include <signal.h>

using namespace Qt::Literals::StringLiterals;

namespace morv {
namespace {

using test::PrintTo;
using test::RowName;

const QByteArray &ThreeQuestions = test::ThreeAikenQuestions;

// Question 1 has one answer and question 2's answer names a letter it lacks; question 3 is sound.
const QByteArray BrokenAiken = R"(Първи въпрос?
A. да
ANSWER: A

Втори въпрос?
A. да
B. не
ANSWER: C

Трети въпрос?
A. да
B. не
ANSWER: B
)";

// "question:line" for each finding: which question a message points at, at a glance.
QStringList places(const QList<Problem> &findings)
{
    QStringList shown;
    for (const Problem &finding : findings)
        shown.append(u"%1:%2"_s.arg(finding.question).arg(finding.line));
    return shown;
}

class Packer : public testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static PackOptions aiken(const QString &path) { return {path, SourceFormat::Aiken}; }
    QTemporaryDir dir;
};

// A sound source packs with the shipped switches and the file's name as its title.
TEST_F(Packer, SoundSourceGivesABankWithTheShippedSettings)
{
    const PackResult result = pack(aiken(write(u"Събиране.txt"_s, ThreeQuestions)));
    ASSERT_TRUE(result.packable()) << result.messages().join(u'\n').toStdString();
    EXPECT_TRUE(result.messages().isEmpty());
    EXPECT_EQ(result.bank->List2(),
              (QStringList{u"Настройки - последната цифра"_s, u"ЧЕО - фраза от 2 части - 0"_s,
                           u"Проверка за Тото - 1"_s, u"Събиране"_s, u"Дава описание - 1"_s,
                           u"Дава обяснения - 0"_s}));
    EXPECT_EQ(result.bank->List1(Bank::CorrectAnswers), (QStringList{u"4"_s, u"90°"_s, u"София"_s}));
    ASSERT_EQ(result.document.questions.size(), 3u);
    EXPECT_EQ(result.document.questions[2].line, 11);
}

// Every problem names its question and the line that question starts on; the messages are the command
// line's, problems first.
TEST_F(Packer, ProblemsCarryTheirQuestionAndLine)
{
    const QString path = write(u"broken.txt"_s, BrokenAiken);
    const PackResult result = pack(aiken(path));
    EXPECT_FALSE(result.packable());
    EXPECT_EQ(places(result.problems), (QStringList{u"1:1"_s, u"2:5"_s}));
    ASSERT_FALSE(result.messages().isEmpty());
    EXPECT_EQ(result.messages().first(), path + u":1: въпрос 1: има 1 отговор, а трябва да са от 2 до 5"_s);
    EXPECT_TRUE(result.warnings.isEmpty());
}

// The window lists every question of a broken source, those that failed too, at their own lines.
TEST_F(Packer, ListsEveryQuestionOfABrokenSource)
{
    const PackResult result = pack(aiken(write(u"broken.txt"_s, BrokenAiken)));
    QStringList listed;
    for (const QuestionSource &question : result.questions())
        listed.append(u"%1 %2"_s.arg(question.line).arg(question.text));
    EXPECT_EQ(listed, (QStringList{u"1 Първи въпрос?"_s, u"5 Втори въпрос?"_s, u"10 Трети въпрос?"_s}));
    // The file named as the window names it, in the command line's words.
    EXPECT_EQ(result.messages(u"broken.txt"_s).first(),
              u"broken.txt:1: въпрос 1: има 1 отговор, а трябва да са от 2 до 5"_s);
}

// A question of a kind the test cannot give keeps its place and line in the list, and the numbers of
// the questions after it stay the source's: also in a picture's problem, found after the import.
TEST_F(Packer, RefusedQuestionKeepsItsPlaceAndLaterNumbersStay)
{
    write(u"счупено.png"_s, "това не е изображение");
    const PackResult result = pack({write(u"тест.gift"_s, R"(::1:: Земята е кръгла. {T}

::2:: Какво има на чертежа? <img src="счупено.png" alt="Чертеж"> {=ъгъл ~отсечка}

::3:: Колко е 3 · 3? {=9 ~6 ~12}
)"),
                                    SourceFormat::Gift});
    ASSERT_EQ(result.questions().size(), 3u);
    EXPECT_EQ(result.questions()[0].line, 1);
    EXPECT_EQ(result.questions()[0].text, QString());
    EXPECT_EQ(result.questions()[2].text, u"Колко е 3 · 3?"_s);
    EXPECT_EQ(places(result.problems), (QStringList{u"1:1"_s, u"2:3"_s}));
    ASSERT_EQ(result.problems.size(), 2);
    EXPECT_TRUE(shownText(result.problems[1]).startsWith(u"въпрос 2: изображението „счупено.png“: "_s))
        << shownText(result.problems[1]).toStdString();
}

// A picture far larger than the bank allows is converted to one that fits, not refused for the size of
// its source: a 1 MB photograph of noise becomes a JPEG within the bank's 256 KiB.
TEST_F(Packer, LargeSourcePictureIsConvertedNotRefused)
{
    QImage noise(700, 500, QImage::Format_RGB32);
    quint32 state = 1;
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x) {
            state = state * 1664525u + 1013904223u; // any fixed sequence will do
            noise.setPixel(x, y, state >> 8);
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && noise.save(&buffer, "PNG"));
    ASSERT_GT(png.size(), 4 * 262144);
    write(u"шум.png"_s, png);
    const PackResult result =
        pack({write(u"тест.gift"_s, R"(::1:: Какво има тук? <img src="шум.png"> {=шум ~тишина}

::2:: Колко е 2 + 2? {=4 ~5}

::3:: Колко е 3 + 3? {=6 ~7}
)"),
              SourceFormat::Gift});
    ASSERT_TRUE(result.packable()) << result.messages().join(u'\n').toStdString();
    const QByteArray &shown = result.bank->Picture1(1);
    EXPECT_GT(shown.size(), 0);
    EXPECT_LE(shown.size(), 262144);
}

// The teacher's file saved and opened again a hundred times keeps its pictures byte for byte: the one
// converted on import and the JPEG that fitted from the start are never encoded again.
TEST_F(Packer, PicturesStayTheSameThroughAHundredSaves)
{
    QImage photo(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y) {
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 255 / 400, y * 255 / 300, (x ^ y) & 0xFF));
    }
    ASSERT_TRUE(photo.save(dir.filePath(u"снимка.png"_s)));
    ASSERT_TRUE(photo.copy(0, 0, 120, 90).save(dir.filePath(u"изрязано.jpg"_s), "JPG", 70));
    const PackResult first =
        pack({write(u"тест.gift"_s, R"(::1:: Какво има тук? <img src="снимка.png"> {=снимка ~нищо}

::2:: А тук? <img src="изрязано.jpg" alt="Част от снимката"> {=част ~цяло}

::3:: Колко е 3 + 3? {=6 ~7}
)"),
              SourceFormat::Gift});
    ASSERT_TRUE(first.packable()) << first.messages().join(u'\n').toStdString();
    const QByteArray fitted = first.document.questions[1].picture;
    EXPECT_EQ(fitted, readSourceFile(dir.path(), u"изрязано.jpg"_s, 1 << 20).bytes);

    const QString file = dir.filePath(u"учителски.xml"_s);
    TestDocument document = first.document;
    for (int save = 1; save <= 100; ++save) {
        ASSERT_EQ(texts(writeMoodleXml(file, document)), QStringList()) << "save " << save;
        const PackResult opened = pack({file, SourceFormat::MoodleXml});
        ASSERT_TRUE(opened.packable()) << "save " << save << opened.messages().join(u'\n').toStdString();
        document = opened.document;
    }
    EXPECT_EQ(document.questions[0].picture, first.document.questions[0].picture);
    EXPECT_EQ(document.questions[1].picture, fitted);
    EXPECT_EQ(document.questions[1].pictureText, u"Част от снимката"_s);
}

// A problem of the whole test points at no question.
TEST_F(Packer, ProblemOfTheWholeTestPointsAtNoQuestion)
{
    QByteArray two = ThreeQuestions;
    two.truncate(two.indexOf("Столицата"));
    const PackResult result = pack(aiken(write(u"две.txt"_s, two)));
    ASSERT_EQ(result.problems.size(), 1);
    EXPECT_EQ(result.problems[0].question, 0);
    EXPECT_EQ(shownText(result.problems[0]), u"тестът има 2 въпроса, а трябва да са поне 3"_s);
}

// What a pupil would not see whole is a warning at its question, told with "внимание: "; strict makes
// it a problem and leaves no warning.
TEST_F(Packer, WarningsAtTheirQuestionAndStrictMakesThemProblems)
{
    QByteArray longQuestion = ThreeQuestions;
    longQuestion.replace("Кой е правият ъгъл?", QString(u"Кой е правият ъгъл? "_s.repeated(25)).toUtf8());
    const QString path = write(u"дълъг.txt"_s, longQuestion);
    PackOptions options = aiken(path);
    const PackResult lenient = pack(options);
    EXPECT_TRUE(lenient.packable());
    EXPECT_EQ(places(lenient.warnings), QStringList{u"2:6"_s});
    ASSERT_EQ(lenient.messages().size(), 1);
    EXPECT_TRUE(
        lenient.messages()[0].startsWith(path + u":6: внимание: въпрос 2: текстът на въпроса заема"_s))
        << lenient.messages()[0].toStdString();

    options.strict = true;
    const PackResult strict = pack(options);
    EXPECT_FALSE(strict.packable());
    EXPECT_EQ(places(strict.problems), QStringList{u"2:6"_s});
    EXPECT_TRUE(strict.warnings.isEmpty());
}

// A bank.json's picture is shown as it is: one larger than the picture box, 225 × 137, either way is a
// warning at its question with both sizes; one that fits to the pixel is none.
struct PictureFitCase
{
    const char *name;
    QSize size;
    QString warning; // empty when it fits
};

class PictureFit : public Packer, public testing::WithParamInterface<PictureFitCase>
{};

TEST_P(PictureFit, WarnsOfAPictureTheBoxCuts)
{
    QJsonObject question = test::questionJson(u"Кой ъгъл е прав?"_s, {u"α"_s, u"β"_s}, u"β"_s);
    question[u"picture"_s] = u"p.jpg"_s;
    write(u"банка/bank.json"_s, test::bytes(test::withQuestion(test::validJson(3), 1, question)));
    QImage picture(GetParam().size, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(dir.filePath(u"банка/p.jpg"_s), "JPG"));
    const PackResult result = pack({dir.filePath(u"банка"_s), SourceFormat::Folder});
    ASSERT_TRUE(result.packable()) << result.messages().join(u'\n').toStdString();
    QStringList warnings;
    for (const Problem &warning : result.warnings)
        warnings.append(u"%1: %2"_s.arg(warning.question).arg(shownText(warning)));
    EXPECT_EQ(warnings, GetParam().warning.isEmpty() ? QStringList() : QStringList{GetParam().warning});
}

INSTANTIATE_TEST_SUITE_P(
    Warnings, PictureFit,
    testing::Values(
        PictureFitCase{
            "taller_than_the_box",
            {100, 200},
            u"2: въпрос 2: изображението е 100 × 200 пиксела и ще се покаже отрязано до 225 × 137"_s},
        PictureFitCase{
            "one_pixel_taller",
            {225, 138},
            u"2: въпрос 2: изображението е 225 × 138 пиксела и ще се покаже отрязано до 225 × 137"_s},
        PictureFitCase{
            "wider_than_the_box",
            {300, 100},
            u"2: въпрос 2: изображението е 300 × 100 пиксела и ще се покаже отрязано до 225 × 137"_s},
        PictureFitCase{"the_size_of_the_box", {225, 137}, {}}),
    RowName());

struct SwitchCase
{
    const char *name;
    Switch which;
    int row; // the settings row it must reach
    bool shipped;
};

class PackerSwitch : public testing::TestWithParam<SwitchCase>
{};

// Each switch turned from its shipped value reaches its own row and no other: two rows swapped, or one
// switch written into another's row, fails here.
TEST_P(PackerSwitch, ReachesItsOwnRow)
{
    const SwitchCase &c = GetParam();
    PackOptions options;
    options[c.which] = !c.shipped;
    TestDocument document;
    setOptions(document, options, u"Заглавие"_s);
    const QStringList rows = settingsRows(document);
    QStringList expected = test::shippedSettings();
    expected[Bank::TitleRow] = u"Заглавие"_s;
    expected[c.row].back() = c.shipped ? u'0' : u'1';
    EXPECT_EQ(rows, expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, PackerSwitch,
                         testing::Values(SwitchCase{"Phrase", Switch::Phrase, 1, false},
                                         SwitchCase{"Toto", Switch::Toto, 2, true},
                                         SwitchCase{"Explanations", Switch::Explanations, 4, true},
                                         SwitchCase{"Review", Switch::Review, 5, false}),
                         RowName());

// A title given wins over the file's name; a bank.json folder keeps its own rows whatever is asked.
TEST_F(Packer, TitleGivenAndFolderKeepsItsOwnSettings)
{
    PackOptions options = aiken(write(u"тест.txt"_s, ThreeQuestions));
    options.title = u"Геометрия, 7 клас"_s;
    EXPECT_EQ(pack(options).bank->List2().value(Bank::TitleRow), u"Геометрия, 7 клас"_s);

    const QString folder = dir.filePath(u"банка"_s);
    write(u"банка/bank.json"_s, test::bytes(test::validJson(3)));
    PackOptions folderOptions(folder, SourceFormat::Folder);
    folderOptions.title = u"Друго"_s;
    folderOptions[Switch::Phrase] = true;
    const PackResult result = pack(folderOptions);
    ASSERT_TRUE(result.packable()) << result.messages().join(u'\n').toStdString();
    EXPECT_EQ(result.file, QDir(folder).filePath(u"bank.json"_s));
    EXPECT_EQ(result.bank->List2(), test::shippedSettings());
}

// The program written carries the test and reads back as the program will read it; the program it
// copies is never written over.
TEST_F(Packer, WritesAProgramAndNeverOverTheBase)
{
    const PackResult result = pack(aiken(write(u"тест.txt"_s, ThreeQuestions)));
    ASSERT_TRUE(result.packable());
    const QString output = dir.filePath(u"тест"_s);
    EXPECT_EQ(texts(writeProgram(QStringLiteral(MORV_PROGRAM), output, result.payload)), QStringList());
    EXPECT_TRUE(QFileInfo(output).isExecutable());
    // Its owner may run it: the bit itself, for root (as CI runs) may run a file with any execute bit.
    EXPECT_TRUE(QFileInfo(output).permissions().testFlag(QFileDevice::ExeOwner));
    const BankLoad load = readProgramBank(output, ProgramMark::Packed);
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    EXPECT_EQ(load.bank->List2().value(Bank::TitleRow), u"тест"_s);

    const QList<Problem> overItself =
        writeProgram(QStringLiteral(MORV_PROGRAM), QStringLiteral(MORV_PROGRAM), result.payload);
    EXPECT_EQ(texts(overItself), QStringList{u"„%1“ е самата програма; изберете друго име за теста"_s.arg(
                                     QStringLiteral(MORV_PROGRAM))});
    EXPECT_EQ(overItself.value(0).rule, Rule::NotWritten);
    const QList<Problem> noProgram =
        writeProgram(dir.filePath(u"няма"_s), dir.filePath(u"x"_s), result.payload);
    ASSERT_EQ(noProgram.size(), 1);
    EXPECT_TRUE(noProgram[0].text.startsWith(u"програмата morv „"_s));
    EXPECT_EQ(noProgram[0].rule, Rule::Unreadable);
}

// The folder written is a bank.json the packer reads back whole.
TEST_F(Packer, WritesAFolderItReadsBack)
{
    const PackResult result = pack(aiken(write(u"тест.txt"_s, ThreeQuestions)));
    const QString folder = dir.filePath(u"папка"_s);
    ASSERT_EQ(texts(writeJson(folder, result.files)), QStringList());
    const PackResult again = pack({folder, SourceFormat::Folder});
    ASSERT_TRUE(again.packable()) << again.messages().join(u'\n').toStdString();
    EXPECT_EQ(again.bank->List1(Bank::CorrectAnswers), result.bank->List1(Bank::CorrectAnswers));
}

// The test without where it was read from: what a round trip through a writer must give back.
TestDocument withoutPlaces(TestDocument document)
{
    document.file.clear();
    document.settingsLine = document.questionsLine = 0;
    document.sourceRows.clear();
    document.rowsRead = false;
    for (TestQuestion &question : document.questions)
        question.line = 0;
    return document;
}

struct RoundTripCase
{
    const char *name;
    SourceFormat format;
    QString file; // beside a picture "ъгъл.png"; empty for the shipped bank.json folder
    QByteArray bytes;
};

class PackerRoundTrip : public testing::TestWithParam<RoundTripCase>
{
protected:
    QTemporaryDir dir;
};

// Read, written as bank.json, as a program and as the teacher's Moodle XML file, and read again: the
// same test, title, switches, every question with its answers, explanation and picture. A writer that drops
// or reorders a field, or a switch that does not reach its row, fails here.
TEST_P(PackerRoundTrip, GivesTheSameTestBack)
{
    const RoundTripCase &c = GetParam();
    PackOptions options(QStringLiteral(MORV_SOURCE_DIR "/bank/content"), c.format);
    if (c.format != SourceFormat::Folder) {
        QImage square(40, 30, QImage::Format_RGB32);
        square.fill(Qt::darkCyan);
        ASSERT_TRUE(square.save(dir.filePath(u"ъгъл.png"_s)));
        options.source = dir.filePath(c.file);
        QFile file(options.source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(c.bytes) == c.bytes.size());
        options.title = u"Кръгъл тест"_s;
        options[Switch::Review] = true;
        options[Switch::Toto] = false;
    }
    const PackResult read = pack(options);
    ASSERT_TRUE(read.packable()) << read.messages().join(u'\n').toStdString();
    ASSERT_GE(read.document.questions.size(), 3u);

    const QString folder = dir.filePath(u"папка"_s);
    ASSERT_EQ(texts(writeJson(folder, read.files)), QStringList());
    const PackResult again = pack({folder, SourceFormat::Folder});
    ASSERT_TRUE(again.packable()) << again.messages().join(u'\n').toStdString();
    EXPECT_EQ(withoutPlaces(again.document), withoutPlaces(read.document));

    const QString xml = dir.filePath(u"учителски.xml"_s);
    ASSERT_EQ(texts(writeMoodleXml(xml, read.document)), QStringList());
    const PackResult opened = pack({xml, SourceFormat::MoodleXml});
    ASSERT_TRUE(opened.packable()) << opened.messages().join(u'\n').toStdString();
    EXPECT_EQ(withoutPlaces(opened.document), withoutPlaces(read.document));

    const QString program = dir.filePath(u"програма"_s);
    ASSERT_EQ(texts(writeProgram(QStringLiteral(MORV_PROGRAM), program, read.payload)), QStringList());
    const BankLoad carried = readProgramBank(program, ProgramMark::Packed);
    ASSERT_TRUE(carried.bank) << texts(carried.problems).join(u'\n').toStdString();
    EXPECT_EQ(withoutPlaces(carried.document), withoutPlaces(read.document));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PackerRoundTrip,
    testing::Values(RoundTripCase{"shipped bank folder", SourceFormat::Folder, {}, {}},
                    RoundTripCase{"Aiken", SourceFormat::Aiken, u"тест.txt"_s, test::ThreeAikenQuestions},
                    RoundTripCase{"GIFT", SourceFormat::Gift, u"тест.gift"_s,
                                  R"(::1:: Кой ъгъл е показан? <img src="ъгъл.png" alt="Ъгъл"> {
=остър#Под 90°.
~тъп}

::2:: Колко е 2 + 2? {=4 ~5 ~6}

::3:: Столицата е... {~Пловдив =София}
)"},
                    RoundTripCase{"Moodle XML", SourceFormat::MoodleXml, u"тест.xml"_s, R"(<quiz>
  <question type="multichoice">
    <questiontext format="html"><text><![CDATA[<p>Кой е прав?</p>]]></text></questiontext>
    <generalfeedback format="html"><text>Правият е 90°.</text></generalfeedback>
    <answer fraction="100"><text>90°</text></answer>
    <answer fraction="0"><text>60°</text></answer>
  </question>
  <question type="multichoice">
    <questiontext format="html"><text>Колко е 2 + 2?</text></questiontext>
    <answer fraction="0"><text>3</text></answer>
    <answer fraction="100"><text>4</text></answer>
    <answer fraction="0"><text>5</text></answer>
  </question>
  <question type="multichoice">
    <questiontext format="html"><text>Колко е 3 + 3?</text></questiontext>
    <answer fraction="100"><text>6</text></answer>
    <answer fraction="0"><text>7</text></answer>
  </question>
</quiz>
)"}),
    RowName());

// Waits, the events running, until the file at path is gone; false if it is still there after 30 s.
bool goneInTime(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    while (QFile::exists(path) && timer.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return !QFile::exists(path);
}

// A tried test leaves nothing behind: its temporary program goes when the test ends, and one still
// running goes when the window's list of tried tests does, the test itself left open.
TEST_F(Packer, TriedProgramsAreRemoved)
{
    const PackResult result = pack(aiken(write(u"тест.txt"_s, ThreeQuestions)));
    ASSERT_TRUE(result.packable());
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    {
        // On a platform that does not exist the test ends at once, as when a pupil closes it.
        qputenv("QT_QPA_PLATFORM", "none-such");
        TriedPrograms tried;
        const PreviewProgram ending = tried.start(QStringLiteral(MORV_PROGRAM), result.payload);
        qputenv("QT_QPA_PLATFORM", platform);
        ASSERT_EQ(texts(ending.problems), QStringList());
        EXPECT_TRUE(ending.program.startsWith(QDir::tempPath()));
        EXPECT_TRUE(goneInTime(ending.program));
        EXPECT_EQ(tried.programs(), QStringList());
    }
    PreviewProgram running;
    {
        TriedPrograms tried;
        running = tried.start(QStringLiteral(MORV_PROGRAM), result.payload);
        ASSERT_EQ(texts(running.problems), QStringList());
        ASSERT_GT(running.processId, 0);
        EXPECT_EQ(tried.programs(), QStringList{running.program});
        EXPECT_TRUE(QFile::exists(running.program));
    }
    EXPECT_FALSE(QFile::exists(running.program));
    EXPECT_EQ(::kill(pid_t(running.processId), SIGTERM), 0) << "the test was ended with the list";
}

// A program that is not morv is refused before anything is started or written.
TEST_F(Packer, TriedProgramRefusedLeavesNoFile)
{
    const PackResult result = pack(aiken(write(u"тест.txt"_s, ThreeQuestions)));
    TriedPrograms tried;
    const PreviewProgram refused = tried.start(write(u"не-е-morv"_s, "просто текст"), result.payload);
    ASSERT_EQ(refused.problems.size(), 1);
    EXPECT_EQ(refused.problems[0].rule, Rule::Unreadable);
    EXPECT_TRUE(refused.program.isEmpty()) << "no temporary program is made for it";
}

// The window's engine, without a window: a source opens with the command line's defaults, a path that
// is not there changes nothing, and a bank.json opens its folder.
TEST_F(Packer, EngineOpensWithTheDefaultsOrRefuses)
{
    PackerEngine engine;
    const QString missing = dir.filePath(u"няма.txt"_s);
    EXPECT_EQ(engine.open(missing), u"„%1“ не съществува."_s.arg(QDir::toNativeSeparators(missing)));
    EXPECT_EQ(engine.source(), QString());
    EXPECT_FALSE(engine.canWrite());

    EXPECT_EQ(engine.open(write(u"Събиране.txt"_s, ThreeQuestions)), std::nullopt);
    EXPECT_EQ(engine.title(), u"Събиране"_s);
    EXPECT_EQ(engine.result().document.title, u"Събиране"_s);
    EXPECT_EQ(engine.switches(), TestSwitches{});
    EXPECT_EQ(engine.chosenQuestion(), 1);
    ASSERT_NE(engine.chosen(), nullptr);
    EXPECT_EQ(engine.chosen()->text, u"Колко е 2 + 2?"_s);
    EXPECT_FALSE(engine.ownSettings());

    const QString json = write(u"банка/bank.json"_s, test::bytes(test::validJson(3)));
    EXPECT_EQ(engine.open(json), std::nullopt);
    EXPECT_EQ(engine.source(), QFileInfo(dir.filePath(u"банка"_s)).absoluteFilePath());
    EXPECT_TRUE(engine.ownSettings());
    EXPECT_EQ(engine.suggestedProgram(), engine.source() + u"-тест"_s);
}

// A Moodle XML file МОРВ wrote opens with the title and switches it carries, digits the check boxes
// cannot show included, and is written with them.
TEST_F(Packer, EngineOpensTheTeachersFileWithItsOwnSettings)
{
    TestDocument document = pack(aiken(write(u"тест.txt"_s, ThreeQuestions))).document;
    document.title = u"Събиране, 1 клас"_s;
    document.switches.setDigit(Switch::Toto, 2);
    document.switches.set(Switch::Review, true);
    const QString file = dir.filePath(u"учителски.xml"_s);
    ASSERT_EQ(texts(writeMoodleXml(file, document)), QStringList());
    PackerEngine engine;
    ASSERT_EQ(engine.open(file), std::nullopt);
    EXPECT_EQ(engine.title(), u"Събиране, 1 клас"_s);
    EXPECT_EQ(engine.switches(), document.switches);
    ASSERT_TRUE(engine.canWrite());
    EXPECT_EQ(engine.result().document.switches, document.switches);
    EXPECT_EQ(engine.result().document.title, document.title);
}

// The question chosen stays chosen when the source is read again, the last one when the source has
// fewer now; a number outside the source changes nothing.
TEST_F(Packer, EngineKeepsTheChosenQuestionOnReload)
{
    PackerEngine engine;
    const QString path = write(u"тест.txt"_s, ThreeQuestions);
    ASSERT_EQ(engine.open(path), std::nullopt);
    engine.chooseQuestion(3);
    engine.chooseQuestion(4);
    engine.chooseQuestion(0);
    EXPECT_EQ(engine.chosenQuestion(), 3);
    write(u"тест.txt"_s, ThreeQuestions + "\nКолко е 5 + 5?\nA. 10\nB. 11\nANSWER: A\n");
    engine.reload();
    EXPECT_EQ(engine.result().questions().size(), 4u);
    EXPECT_EQ(engine.chosenQuestion(), 3);
    write(u"тест.txt"_s, BrokenAiken);
    engine.reload();
    EXPECT_EQ(engine.result().questions().size(), 3u);
    EXPECT_EQ(engine.chosenQuestion(), 3);
    QByteArray two = ThreeQuestions;
    two.truncate(two.indexOf("Столицата"));
    write(u"тест.txt"_s, two);
    engine.reload();
    EXPECT_EQ(engine.chosenQuestion(), 2);
}

// The switches and title asked for reach the test read, and the test can be tried and written only
// when it holds; the status line says which.
TEST_F(Packer, EngineWritesOnlyWhenPackable)
{
    PackerEngine engine;
    const QString path = write(u"тест.txt"_s, BrokenAiken);
    ASSERT_EQ(engine.open(path), std::nullopt);
    EXPECT_FALSE(engine.canWrite());
    EXPECT_EQ(engine.status(),
              u"Въпроси: 3 · проблеми: 2 · предупреждения: 0. Поправете файла в своя редактор и "
              u"го запишете: тук той се прочита отново сам."_s);
    write(u"тест.txt"_s, ThreeQuestions);
    engine.setSwitch(Switch::Review, true);
    engine.setSwitch(Switch::Toto, false);
    engine.setTitle(u"Сметки"_s);
    engine.reload();
    ASSERT_TRUE(engine.canWrite()) << engine.result().messages().join(u'\n').toStdString();
    EXPECT_EQ(engine.status(), u"Въпроси: 3 · проблеми: 0 · предупреждения: 0. Тестът може да се запише."_s);
    EXPECT_EQ(engine.result().bank->List2(), test::settings(0, 0, 1, 1, u"Сметки"_s));
    // Opened again, the source starts from the defaults.
    ASSERT_EQ(engine.open(path), std::nullopt);
    EXPECT_EQ(engine.result().bank->List2(), test::settings(0, 1, 1, 0, u"тест"_s));
}

// A folder's own switches are the ones shown, also those a check box cannot show, and told in words.
TEST_F(Packer, EngineShowsAFoldersOwnSwitches)
{
    QJsonObject root = test::validJson(3);
    root[u"settings"_s] = QJsonArray::fromStringList(test::settings(0, 2, 1, 0, u"Свой"_s));
    PackerEngine engine;
    ASSERT_EQ(engine.open(write(u"банка/bank.json"_s, test::bytes(root))), std::nullopt);
    engine.setSwitch(Switch::Toto, true);
    engine.reload();
    EXPECT_EQ(engine.title(), u"Свой"_s);
    EXPECT_EQ(engine.switches().digit(Switch::Toto), 2);
    EXPECT_TRUE(
        engine.ownSettingsNote().contains(u"„Проверка „Тото“: първият въпрос още веднъж“ е 2 (оценка без "
                                          u"повторение на първия въпрос)"_s))
        << engine.ownSettingsNote().toStdString();
}

struct RuleCase
{
    const char *name;
    SourceFormat format;
    QString file;
    QByteArray bytes;
    Rule rule;    // of the first problem, or of the first warning when there is none
    int question; // its question, from 1; 0 for the whole source
    int line;
};

class ProblemRule : public Packer, public testing::WithParamInterface<RuleCase>
{};

// Whatever reports it, a problem carries the rule it breaks and its question as numbers a caller can
// choose by; its place is composed where it is shown, from the number, and never written into its text.
TEST_P(ProblemRule, CarriesItsRuleAndQuestion)
{
    const RuleCase &row = GetParam();
    const PackResult result = pack({write(row.file, row.bytes), row.format});
    const QList<Problem> &found = result.problems.isEmpty() ? result.warnings : result.problems;
    ASSERT_FALSE(found.isEmpty());
    const Problem &first = found.first();
    EXPECT_EQ(int(first.rule), int(row.rule)) << shownText(first).toStdString();
    EXPECT_EQ(first.question, row.question);
    EXPECT_EQ(first.line, row.line);
    for (const Problem &problem : result.problems + result.warnings)
        EXPECT_FALSE(problem.text.contains(QRegularExpression(u"^въпрос \\d+: "_s)))
            << shownText(problem).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ProblemRule,
    testing::Values(
        RuleCase{"AikenOneAnswer", SourceFormat::Aiken, u"a.txt"_s, BrokenAiken, Rule::AnswerCount, 1, 1},
        RuleCase{"AikenCyrillicKey", SourceFormat::Aiken, u"a.txt"_s,
                 QString(u"Въпрос?\nA. да\nB. не\nANSWER: А\n"_s).toUtf8(), Rule::RightAnswer, 1, 1},
        RuleCase{"AikenTwoQuestions", SourceFormat::Aiken, u"a.txt"_s,
                 QByteArray(ThreeQuestions).left(ThreeQuestions.indexOf("Столицата")), Rule::QuestionCount, 0,
                 0},
        RuleCase{"GiftTrueFalse", SourceFormat::Gift, u"g.gift"_s, "::1:: Small {T}\n", Rule::QuestionKind, 1,
                 1},
        RuleCase{"GiftUnclosedAnswers", SourceFormat::Gift, u"g.gift"_s, "Q1 {=a ~b}\n\nQ2 {=a ~b\n",
                 Rule::Syntax, 2, 3},
        RuleCase{"JsonFieldTwice", SourceFormat::Folder, u"bank.json"_s,
                 R"({"settings": [], "questions": [{}, {"text": "a",
"text": "b"}]})",
                 Rule::Structure, 2, 2},
        RuleCase{"JsonNotUtf8", SourceFormat::Folder, u"bank.json"_s, "{\"settings\": [\"\xE0\"]}",
                 Rule::Encoding, 0, 0},
        RuleCase{"MoodlePartialCredit", SourceFormat::MoodleXml, u"m.xml"_s, R"(<quiz>
<question type="multichoice"><questiontext><text>Колко е 2 + 2?</text></questiontext>
<answer fraction="100"><text>4</text></answer>
<answer fraction="50"><text>5</text></answer>
<answer fraction="0"><text>6</text></answer></question>
<question type="multichoice"><questiontext><text>Колко е 1 + 1?</text></questiontext>
<answer fraction="100"><text>2</text></answer><answer fraction="0"><text>3</text></answer></question>
<question type="multichoice"><questiontext><text>Колко е 3 + 3?</text></questiontext>
<answer fraction="100"><text>6</text></answer><answer fraction="0"><text>7</text></answer></question>
</quiz>
)",
                 Rule::ChangedOnImport, 1, 2},
        RuleCase{
            "LongQuestionDoesNotFit", SourceFormat::Aiken, u"a.txt"_s,
            QByteArray(ThreeQuestions)
                .replace("Кой е правият ъгъл?", QString(u"Кой е правият ъгъл? "_s.repeated(25)).toUtf8()),
            Rule::DoesNotFit, 2, 6}),
    RowName());

// A source of more questions than a test holds is refused for its count alone, before a picture is
// read: the damaged picture of each question would otherwise be a problem of its own.
TEST_F(Packer, CountOverTheLimitIsRefusedBeforeAnyPicture)
{
    QByteArray cut;
    {
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QBuffer buffer(&cut);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"));
    }
    write(u"отрязана.png"_s, cut.chopped(4));
    QByteArray gift;
    for (int i = 1; i <= 29; ++i)
        gift += "::" + QByteArray::number(i) + ":: Какво е това? <img src=\"отрязана.png\"> {=а ~б}\n\n";
    const PackResult tooMany = pack({write(u"много.gift"_s, gift), SourceFormat::Gift});
    EXPECT_EQ(texts(tooMany.problems),
              QStringList{u"тестът има 29 въпроса, а с проверката за Тото побира най-много 28"_s});
    // Nor for the questions a window lists, when the source has problems of its own.
    const PackResult broken = pack({write(u"счупен.gift"_s, gift + "Без край {=а ~б\n"), SourceFormat::Gift});
    EXPECT_EQ(
        texts(broken.problems),
        QStringList{u"въпрос 30: отговорите след „{“ не са затворени с „}“; знакът { в текст се пише \\{"_s});
    ASSERT_EQ(broken.questions().size(), 30u);
    EXPECT_TRUE(broken.questions()[0].picture.isEmpty());
    // Within the count the same pictures are read, and refused.
    PackOptions fewer(write(u"по-малко.gift"_s, gift), SourceFormat::Gift);
    fewer[Switch::Toto] = false;
    const PackResult within = pack(fewer);
    ASSERT_EQ(within.problems.size(), 29);
    EXPECT_EQ(shownText(within.problems[0]),
              u"въпрос 1: изображението „отрязана.png“: повреден файл (свършва, преди да е цял)"_s);
}

// ---- A program file, by its structure ----

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

const QByteArray &morvBytes()
{
    static const QByteArray bytes = fileBytes(QStringLiteral(MORV_PROGRAM));
    return bytes;
}

const QByteArray &payload()
{
    static const QByteArray bytes = packPayload({test::bytes(test::validJson(3)), {}});
    return bytes;
}

// A Windows program of one section of 512 bytes holding `section`: the headers a linker writes, as
// far as the structure is read from them.
QByteArray windowsProgram(const QByteArray &section)
{
    QByteArray pe(0x400, '\0');
    pe.replace(0, 2, "MZ");
    qToLittleEndian<quint32>(0x80, pe.data() + 0x3C);
    pe.replace(0x80, 4, QByteArray("PE\0\0", 4));
    qToLittleEndian<quint16>(0x8664, pe.data() + 0x84); // x86-64
    qToLittleEndian<quint16>(1, pe.data() + 0x86);      // one section
    qToLittleEndian<quint16>(240, pe.data() + 0x94);    // the optional header of PE32+
    qToLittleEndian<quint16>(0x20b, pe.data() + 0x98);
    qToLittleEndian<quint32>(0x200, pe.data() + 0x188 + 16); // the section's size in the file
    qToLittleEndian<quint32>(0x200, pe.data() + 0x188 + 20); // and where it starts
    pe.replace(0x200, section.size(), section);
    return pe;
}

// A tar archive holding one file.
QByteArray tarOf(const QByteArray &file)
{
    QByteArray header(512, '\0');
    header.replace(0, 8, "morv-pak");
    header.replace(124, 11, QByteArray::number(file.size(), 8).rightJustified(11, '0'));
    header.replace(257, 5, "ustar");
    return header + file + QByteArray((512 - file.size() % 512) % 512, '\0') + QByteArray(1024, '\0');
}

struct ProgramFileCase
{
    const char *name;
    std::function<QByteArray()> bytes;
    ProgramFile kind;
};

class ProgramFileStructure : public testing::TestWithParam<ProgramFileCase>
{};

// A program is told by its executable's header, the mark inside the executable that header describes,
// and a trailer at its end that describes its test exactly, never by the mark's bytes found anywhere.
TEST_P(ProgramFileStructure, TellsTheProgramFromAnythingHoldingIt)
{
    EXPECT_EQ(int(programFile(GetParam().bytes())), int(GetParam().kind));
}

INSTANTIATE_TEST_SUITE_P(
    Packer, ProgramFileStructure,
    testing::Values(
        ProgramFileCase{"the_program_as_built", [] { return morvBytes(); }, ProgramFile::AsBuilt},
        ProgramFileCase{"a_packed_copy", [] { return withAppendedBank(morvBytes(), payload()); },
                        ProgramFile::Packed},
        ProgramFileCase{"a_packed_copy_a_byte_short",
                        [] { return withAppendedBank(morvBytes(), payload()).chopped(1); },
                        ProgramFile::PackedDamaged},
        ProgramFileCase{"a_packed_copy_with_its_checksum_changed",
                        [] {
                            QByteArray packed = withAppendedBank(morvBytes(), payload());
                            packed[packed.size() - 40] = char(packed[packed.size() - 40] ^ 1);
                            return packed;
                        },
                        ProgramFile::PackedDamaged},
        ProgramFileCase{"a_packed_copy_with_a_byte_of_its_test_changed",
                        [] {
                            QByteArray packed = withAppendedBank(morvBytes(), payload());
                            packed[morvBytes().size() + 20] = char(packed[morvBytes().size() + 20] ^ 1);
                            return packed;
                        },
                        ProgramFile::PackedDamaged},
        ProgramFileCase{"a_test_appended_by_hand_to_the_program_as_built",
                        [] { return morvBytes() + appendable(payload()); }, ProgramFile::Other},
        ProgramFileCase{"the_program_cut_inside_its_own_bytes",
                        [] { return morvBytes().first(morvBytes().size() / 2); }, ProgramFile::Other},
        ProgramFileCase{"a_tar_holding_a_packed_copy",
                        [] { return tarOf(withAppendedBank(morvBytes(), payload())); }, ProgramFile::Other},
        ProgramFileCase{"a_tar_holding_a_packed_copy_at_its_end",
                        [] { return tarOf({}).chopped(1024) + withAppendedBank(morvBytes(), payload()); },
                        ProgramFile::Other},
        ProgramFileCase{"a_text_quoting_the_mark",
                        [] { return QByteArray("Бележки: " MORV_PROGRAM_MARK "1 е знакът.\n"); },
                        ProgramFile::Other},
        ProgramFileCase{"another_program_followed_by_the_mark_and_a_test",
                        [] {
                            return fileBytes(QStringLiteral(MORV_PACK)) + QByteArray(MORV_PROGRAM_MARK "1") +
                                   appendable(payload());
                        },
                        ProgramFile::Other},
        ProgramFileCase{"a_windows_program_as_built", [] { return windowsProgram(MORV_PROGRAM_MARK "0"); },
                        ProgramFile::AsBuilt},
        ProgramFileCase{"a_packed_windows_program",
                        [] { return withAppendedBank(windowsProgram(MORV_PROGRAM_MARK "0"), payload()); },
                        ProgramFile::Packed},
        ProgramFileCase{
            "a_windows_program_with_the_mark_after_its_section",
            [] { return windowsProgram({}) + QByteArray(MORV_PROGRAM_MARK "1") + appendable(payload()); },
            ProgramFile::Other},
        ProgramFileCase{"a_windows_header_whose_section_lies_past_the_end",
                        [] { return windowsProgram(MORV_PROGRAM_MARK "0").chopped(1); }, ProgramFile::Other}),
    RowName());

} // namespace
} // namespace morv
