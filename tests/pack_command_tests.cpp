// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// morv-pack as a teacher runs it: a ready program from a source, every problem with its file and
// line, warnings for what a pupil would not see whole, and the exit status 0, 1 or 2.
#include "bank/bankreader.h"
#include "bank/payload.h"
#include "tests/support/testbank.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace morv {
namespace {

const QByteArray ThreeQuestions = R"(Колко е 2 + 2?
A. 3
B. 4
ANSWER: B

Кой е правият ъгъл?
A) 90°
B) 60°
ANSWER: A

Столицата на България е:
A. Пловдив
B. София
C. Варна
ANSWER: B
)";

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

class PackCommand : public testing::Test
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
    Outcome pack(const QStringList &arguments)
    {
        QProcess process;
        process.start(QStringLiteral(MORV_PACK), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    static QByteArray sha256(const QString &path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    }
    QTemporaryDir dir;
};

// The program written carries the source's questions and the title asked for; morv stays as it was,
// and packing a packed program replaces its test rather than adding a second.
TEST_F(PackCommand, WritesAProgramThatCarriesTheSource)
{
    const QString source = write(u"тест.txt"_s, ThreeQuestions);
    const QByteArray morvBefore = sha256(QStringLiteral(MORV_PROGRAM));
    const QString program = dir.filePath(u"тест"_s);
    const Outcome run = pack({source, u"-o"_s, program, u"--title=Събиране"_s, u"--toto"_s, u"0"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo(program).isExecutable());
    EXPECT_EQ(sha256(QStringLiteral(MORV_PROGRAM)), morvBefore);
    const BankLoad load = readProgramBank(program);
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    EXPECT_EQ(load.bank->List2().value(Bank::TitleRow), u"Събиране"_s);
    EXPECT_FALSE(load.bank->settings().repeatQuestion);
    EXPECT_TRUE(load.bank->settings().explanations); // as shipped
    EXPECT_EQ(load.bank->List1(Bank::CorrectAnswers), (QStringList{u"4"_s, u"90°"_s, u"София"_s}));
    EXPECT_EQ(load.bank->List1(1).value(0), u"Колко е 2 + 2?"_s);

    // Without a title the file's name is the title; a packed program is a fine base for another test.
    const QString again = dir.filePath(u"отново"_s);
    ASSERT_EQ(pack({source, u"-o"_s, again, u"--program"_s, program}).exitCode, 0);
    const BankLoad repacked = readProgramBank(again);
    ASSERT_TRUE(repacked.bank);
    EXPECT_EQ(repacked.bank->List2().value(Bank::TitleRow), u"тест"_s);
    QFile packed(again), base(QStringLiteral(MORV_PROGRAM));
    ASSERT_TRUE(packed.open(QIODevice::ReadOnly) && base.open(QIODevice::ReadOnly));
    EXPECT_EQ(withoutAppendedBank(packed.readAll()), base.readAll());
}

// The package installs a stripped program; a test appended to a stripped copy is found all the same.
TEST_F(PackCommand, StrippedProgramCarriesItsTest)
{
    const QString stripped = dir.filePath(u"morv-stripped"_s);
    ASSERT_EQ(QProcess::execute(u"strip"_s, {u"-o"_s, stripped, QStringLiteral(MORV_PROGRAM)}), 0);
    const QString source = write(u"тест.txt"_s, ThreeQuestions);
    const QString program = dir.filePath(u"тест"_s);
    ASSERT_EQ(pack({source, u"-o"_s, program, u"--program"_s, stripped}).exitCode, 0);
    const BankLoad load = readProgramBank(program);
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    EXPECT_EQ(load.bank->List2().value(Bank::TitleRow), u"тест"_s);
}

// Every problem of a broken source in one run, each as FILE:LINE: text; nothing is written.
TEST_F(PackCommand, ReportsEveryProblemWithItsFileAndLine)
{
    const QString source = write(u"broken.txt"_s, R"(Първи въпрос?
A. да
ANSWER: A

Втори въпрос?
A. да
B. не
ANSWER: C
)");
    const Outcome run = pack({source, u"-o"_s, dir.filePath(u"out"_s)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath(u"out"_s)));
    EXPECT_TRUE(run.err.contains(source + u":1: въпрос 1: има 1 отговор, а трябва да са от 2 до 5"_s))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(source + u":5: въпрос 2: "_s)) << run.err.toStdString();
    EXPECT_EQ(pack({u"--check"_s, source}).exitCode, 1);
}

// A wrong call is told apart from a broken source: exit status 2 and a word on how to call.
TEST_F(PackCommand, UsageErrorsExitWithTwo)
{
    const QString source = write(u"тест.txt"_s, ThreeQuestions);
    const QList<QStringList> calls = {
        {},
        {source},
        {source, u"--check"_s, u"-o"_s, dir.filePath(u"x"_s)},
        {source, u"-o"_s, dir.filePath(u"x"_s), u"--phrase=2"_s},
        {source, u"--check"_s, u"--format"_s, u"docx"_s},
        {source, u"--check"_s, u"--colour"_s},
    };
    for (const QStringList &call : calls) {
        const Outcome run = pack(call);
        EXPECT_EQ(run.exitCode, 2) << call.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(u"morv-pack --help"_s)) << run.err.toStdString();
    }
    const Outcome help = pack({u"--help"_s});
    EXPECT_EQ(help.exitCode, 0);
    for (const QString &option :
         {u"--check"_s, u"--json"_s, u"--preview"_s, u"--format"_s, u"--program"_s, u"--title"_s,
          u"--phrase"_s, u"--toto"_s, u"--explanations"_s, u"--review"_s, u"--strict"_s})
        EXPECT_TRUE(help.out.contains(option)) << option.toStdString();
}

// The command never writes over the program it copies, and says so.
TEST_F(PackCommand, NeverWritesOverMorv)
{
    const QString source = write(u"тест.txt"_s, ThreeQuestions);
    const QByteArray before = sha256(QStringLiteral(MORV_PROGRAM));
    const Outcome run = pack({source, u"-o"_s, QStringLiteral(MORV_PROGRAM)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(u"е самата програма"_s)) << run.err.toStdString();
    EXPECT_EQ(sha256(QStringLiteral(MORV_PROGRAM)), before);
}

// --json writes a bank.json folder with its pictures that the command itself, and the build, accept.
TEST_F(PackCommand, WritesABankFolderToGoOnEditing)
{
    QImage square(400, 400, QImage::Format_RGB32);
    square.fill(Qt::darkGreen);
    ASSERT_TRUE(square.save(dir.filePath(u"квадрат.png"_s)));
    const QString source =
        write(u"тест.gift"_s,
              R"(::1:: Колко е лицето на квадрата? <img src="квадрат.png" alt="Квадрат със страна 4 см"> {
=16 см²
~8 см²
~4 см²
####Лицето е 4 · 4 = 16 см².
}

::2:: Колко е 3 · 3? {=9 ~6 ~12}

::3:: Колко е 10 − 7? {=3 ~17 ~2}
)");
    const QString folder = dir.filePath(u"банка"_s);
    const Outcome run = pack({source, u"--json"_s, folder});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const BankLoad load = readBankFile(QDir(folder).filePath(u"bank.json"_s));
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    EXPECT_EQ(load.source.questions[0].pictureText, u"Квадрат със страна 4 см"_s);
    EXPECT_EQ(load.source.questions[0].explanation, QStringList{u"Лицето е 4 · 4 = 16 см²."_s});
    // The picture was made to fit the box: 400 × 400 becomes 137 × 137.
    EXPECT_EQ(QImage::fromData(load.bank->Picture1(1)).size(), QSize(137, 137));
    EXPECT_EQ(pack({u"--check"_s, folder}).exitCode, 0);
    // A bank.json keeps its own settings: an option that would change them is said to be ignored.
    const Outcome titled = pack({u"--check"_s, folder, u"--title=Друго"_s});
    EXPECT_EQ(titled.exitCode, 0);
    EXPECT_TRUE(titled.err.contains(u"--title не се взема предвид"_s)) << titled.err.toStdString();
}

// The shipped test passes the packer's checks without a single warning: every text is seen whole.
TEST_F(PackCommand, ShippedTestGivesNoWarning)
{
    if (const std::string mismatch = test::embeddedBankIsNotShipped(); !mismatch.empty())
        GTEST_SKIP() << mismatch;
    const Outcome run = pack({u"--check"_s, QStringLiteral(MORV_SOURCE_DIR) + u"/bank/content"_s});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.err.contains(u"внимание"_s)) << run.err.toStdString();
}

// What a pupil would not see whole is a warning; --strict makes it a problem. An unknown source is
// not guessed at.
TEST_F(PackCommand, WarnsOfTextsThatDoNotFitAndRefusesWhatItCannotRecognise)
{
    QByteArray longQuestion = ThreeQuestions;
    longQuestion.replace("Колко е 2 + 2?", QString(u"Колко е 2 + 2? "_s.repeated(30)).toUtf8());
    const QString source = write(u"дълъг.txt"_s, longQuestion);
    const Outcome lenient = pack({u"--check"_s, source});
    EXPECT_EQ(lenient.exitCode, 0);
    EXPECT_TRUE(lenient.err.contains(source + u":1: внимание: въпрос 1: текстът на въпроса заема"_s))
        << lenient.err.toStdString();
    const Outcome strict = pack({u"--check"_s, u"--strict"_s, source});
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_FALSE(strict.err.contains(u"внимание"_s));

    // With five answers any may land in the narrow fifth box: one warning names those too wide for it.
    QByteArray fiveAnswers = ThreeQuestions;
    fiveAnswers.replace("C. Варна\n", "C. Варна\nD. Русе\nE. Я\n");
    const Outcome five = pack({u"--check"_s, write(u"пет.txt"_s, fiveAnswers)});
    EXPECT_EQ(five.exitCode, 0);
    EXPECT_TRUE(
        five.err.contains(u":11: внимание: въпрос 3: при пет отговора всеки може да се падне в тясното пето "
                          u"поле, а отговори 1, 2, 3, 4 не се събират в него"_s))
        << five.err.toStdString();

    // What an importer writes otherwise than the source has it is a warning of the same kind.
    const QString partial =
        write(u"дял.gift"_s, "Кое е просто? {=7 ~%50%9 ~4}\n\nВ2 {=а ~б}\n\nВ3 {=а ~б}\n");
    const Outcome kept = pack({u"--check"_s, partial});
    EXPECT_EQ(kept.exitCode, 0);
    EXPECT_TRUE(kept.err.contains(partial + u":1: внимание: въпрос 1: отговор 2 „9“ носи 50 % от точките"_s))
        << kept.err.toStdString();
    EXPECT_EQ(pack({u"--check"_s, u"--strict"_s, partial}).exitCode, 1);

    const QString unknown = write(u"бележки.txt"_s, "Просто бележки, без въпроси.\n");
    const Outcome guess = pack({u"--check"_s, unknown});
    EXPECT_EQ(guess.exitCode, 1);
    EXPECT_TRUE(guess.err.contains(u"--format"_s)) << guess.err.toStdString();
}

} // namespace
} // namespace morv
