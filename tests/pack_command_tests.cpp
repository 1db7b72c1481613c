// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// morv-pack as a teacher runs it: a ready program from a source, every problem with its file and
// line, warnings for what a pupil would not see whole, and the exit status 0, 1 or 2.
#include "bank/bankreader.h"
#include "bank/bankwriter.h"
#include "bank/payload.h"
#include "pack/moodletext.h"
#include "pack/packer.h"
#include "tests/support/rows.h"
#include "tests/support/testbank.h"

#include "tests/support/brokenbanks.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace morv {
namespace {

using test::PrintTo;
using test::RowName;

const QByteArray &ThreeQuestions = test::ThreeAikenQuestions;

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

QByteArray sha256(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// What stands at a path, a link not followed: enough to tell whether anything there changed.
QString stateOf(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return u"link to "_s + info.symLinkTarget();
    if (!info.exists())
        return u"nothing"_s;
    if (info.isDir())
        return u"folder"_s;
    if (!info.isFile())
        return u"special file"_s;
    if (info.size() > 16 * 1024 * 1024)
        return u"file of %1 bytes, changed %2"_s.arg(info.size())
            .arg(info.lastModified().toMSecsSinceEpoch());
    return u"file "_s + QString::fromLatin1(sha256(path).toHex());
}

// A temporary folder to work in, and the command run as a teacher runs it.
class Workspace
{
public:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    Outcome pack(const QStringList &arguments, const QString &temporaryFolder = {})
    {
        // Without a runtime folder Qt warns on the error output, among the command's own lines.
        static const QTemporaryDir runtime;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
        if (!temporaryFolder.isEmpty())
            environment.insert(u"TMPDIR"_s, temporaryFolder);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workingDirectory);
        process.start(QStringLiteral(MORV_PACK), arguments);
        EXPECT_TRUE(process.waitForFinished(60000)) << arguments.join(u' ').toStdString();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    // Everything in the temporary folder, links not followed: a refused call leaves it as it was.
    QStringList folderState() const
    {
        QStringList entries;
        QDirIterator it(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            entries.append(QDir(dir.path()).relativeFilePath(path) + u": "_s + stateOf(path));
        }
        entries.sort();
        return entries;
    }
    // The Aiken source of three questions, called тест.txt.
    QString source() { return write(u"тест.txt"_s, ThreeQuestions); }
    // Where the command runs, for names relative to it; empty: the test's own.
    QString workingDirectory;
    // A program packed before, titled "Стар", without its source beside it.
    QString earlierProgram()
    {
        const QString program = dir.filePath(u"по-ранен"_s);
        EXPECT_EQ(pack({write(u"стар.txt"_s, ThreeQuestions), u"-o"_s, program, u"--title=Стар"_s}).exitCode,
                  0);
        QFile::remove(dir.filePath(u"стар.txt"_s));
        return program;
    }
    // A Moodle XML file that --xml wrote before, of a test titled "Стар", without its source beside it.
    QString earlierXml()
    {
        const QString file = dir.filePath(u"стар.xml"_s);
        EXPECT_EQ(pack({write(u"стар.txt"_s, ThreeQuestions), u"--xml"_s, file, u"--title=Стар"_s}).exitCode,
                  0);
        QFile::remove(dir.filePath(u"стар.txt"_s));
        return file;
    }
    // The earlier program with one byte of the end it carries changed: its trailer no longer describes
    // its test.
    QString earlierProgramChanged(qsizetype fromTheEnd)
    {
        const QString program = earlierProgram();
        QByteArray bytes = contentOf(program);
        bytes[bytes.size() - fromTheEnd] = char(bytes[bytes.size() - fromTheEnd] ^ 1);
        return write(u"по-ранен"_s, bytes);
    }
    // A tar archive holding the file at path, as a backup would.
    QString tarHolding(const QString &path)
    {
        const QString archive = dir.filePath(u"архив.tar"_s);
        EXPECT_EQ(QProcess::execute(u"tar"_s, {u"-cf"_s, archive, u"-C"_s, QFileInfo(path).path(),
                                               QFileInfo(path).fileName()}),
                  0);
        return archive;
    }
    QString link(const QString &target, const QString &name)
    {
        EXPECT_TRUE(QFile::link(target, dir.filePath(name)));
        return dir.filePath(name);
    }

    QTemporaryDir dir;
};

class PackCommand : public testing::Test, public Workspace
{};

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
    // Its owner may run it: the bit itself, for root (as CI runs) may run a file with any execute bit.
    EXPECT_TRUE(QFileInfo(program).permissions().testFlag(QFileDevice::ExeOwner));
    EXPECT_EQ(sha256(QStringLiteral(MORV_PROGRAM)), morvBefore);
    const BankLoad load = test::bankOfProgramFile(program);
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    EXPECT_EQ(load.bank->List2().value(Bank::TitleRow), u"Събиране"_s);
    EXPECT_FALSE(load.bank->settings().repeatQuestion);
    EXPECT_TRUE(load.bank->settings().explanations); // as shipped
    EXPECT_EQ(load.bank->List1(Bank::CorrectAnswers), (QStringList{u"4"_s, u"90°"_s, u"София"_s}));
    EXPECT_EQ(load.bank->List1(1).value(0), u"Колко е 2 + 2?"_s);

    // Without a title the file's name is the title; a packed program is a fine base for another test.
    const QString again = dir.filePath(u"отново"_s);
    ASSERT_EQ(pack({source, u"-o"_s, again, u"--program"_s, program}).exitCode, 0);
    const BankLoad repacked = test::bankOfProgramFile(again);
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
    const BankLoad load = test::bankOfProgramFile(program);
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

// The switches' help lines, made from the switch table, read word for word as they always have: in
// the options' column, between --title and --strict.
TEST_F(PackCommand, HelpListsTheSwitchesInTheOptionsColumn)
{
    const Outcome help = pack({u"--help"_s});
    EXPECT_TRUE(help.out.contains(
        u"                           the test's title (default: the file's name)\n"
        u"  --phrase 0|1             режим за езикови тестове / phrase preview for language tests\n"
        u"  --toto 0|1               проверката „Тото“ / the repeated-question consistency check\n"
        u"  --explanations 0|1       обясненията след оценяване / explanations after grading\n"
        u"  --review 0|1             „Напред“ и „Назад“ след оценяване / Forward and Back after grading\n"
        u"  --strict                 предупрежденията стават грешки / warnings become problems\n"_s))
        << help.out.toStdString();
}

// Each switch given against its shipped value turns its own settings row and no other; given all at
// once, none keeps the shipped value: two options swapped, or one read into another's row, fails here.
struct SwitchCase
{
    const char *name;
    QStringList options;
    int phrase, toto, explanations, review; // the last digit of each row written
};

class SwitchOption : public testing::TestWithParam<SwitchCase>, public Workspace
{};

TEST_P(SwitchOption, TurnsItsOwnRow)
{
    const SwitchCase &c = GetParam();
    const QString folder = dir.filePath(u"банка"_s);
    const Outcome run = pack(QStringList{source(), u"--json"_s, folder} + c.options);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const BankLoad load = readBankFile(QDir(folder).filePath(u"bank.json"_s));
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    EXPECT_EQ(load.bank->List2(), test::settings(c.phrase, c.toto, c.explanations, c.review, u"тест"_s));
}

INSTANTIATE_TEST_SUITE_P(
    PackCommand, SwitchOption,
    testing::Values(SwitchCase{"phrase_on", {u"--phrase"_s, u"1"_s}, 1, 1, 1, 0},
                    SwitchCase{"toto_off", {u"--toto=0"_s}, 0, 0, 1, 0},
                    SwitchCase{"explanations_off", {u"--explanations"_s, u"0"_s}, 0, 1, 0, 0},
                    SwitchCase{"review_on", {u"--review=1"_s}, 0, 1, 1, 1},
                    SwitchCase{"all_four_turned",
                               {u"--review=1"_s, u"--explanations=0"_s, u"--toto=0"_s, u"--phrase=1"_s},
                               1,
                               0,
                               0,
                               1}),
    RowName());

// The command never writes over the program it copies, and says so.
TEST_F(PackCommand, NeverWritesOverMorv)
{
    const QString source = write(u"тест.txt"_s, ThreeQuestions);
    const QByteArray before = sha256(QStringLiteral(MORV_PROGRAM));
    const Outcome run = pack({source, u"-o"_s, QStringLiteral(MORV_PROGRAM)});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(u"е самата програма"_s)) << run.err.toStdString();
    EXPECT_EQ(sha256(QStringLiteral(MORV_PROGRAM)), before);
}

// --json writes a bank.json folder with its pictures that the command itself, and the build, accept.
TEST_F(PackCommand, WritesABankFolderToGoOnEditing)
{
    QImage square(400, 400, QImage::Format_RGB32);
    square.fill(Qt::darkGreen);
    ASSERT_TRUE(square.save(dir.filePath(u"квадрат.png"_s)));
    QImage oblong(60, 30, QImage::Format_RGB32);
    oblong.fill(Qt::darkBlue);
    ASSERT_TRUE(oblong.save(dir.filePath(u"правоъгълник.png"_s)));
    const QString source =
        write(u"тест.gift"_s,
              R"(::1:: Колко е лицето на квадрата? <img src="квадрат.png" alt="Квадрат със страна 4 см"> {
=16 см²
~8 см²
~4 см²
####Лицето е 4 · 4 = 16 см².
}

::2:: Колко е 3 · 3? {=9 ~6 ~12}

::3:: Колко е лицето? <img src="правоъгълник.png"> {=18 см² ~9 см² ~6 см²}
)");
    const QString folder = dir.filePath(u"банка"_s);
    const Outcome run = pack({source, u"--json"_s, folder});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const BankLoad load = readBankFile(QDir(folder).filePath(u"bank.json"_s));
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    EXPECT_EQ(load.document.questions[0].pictureText, u"Квадрат със страна 4 см"_s);
    EXPECT_EQ(load.document.questions[0].explanation, QStringList{u"Лицето е 4 · 4 = 16 см²."_s});
    // The picture was made to fit the box: 400 × 400 becomes 137 × 137.
    EXPECT_EQ(QImage::fromData(load.bank->Picture1(1)).size(), QSize(137, 137));
    // Each picture is named after its question, not after the pictures before it.
    ASSERT_EQ(load.document.questions.size(), 3u);
    EXPECT_EQ(load.document.questions[0].pictureName, u"pictures/q01.jpg"_s);
    EXPECT_EQ(load.document.questions[1].pictureName, QString());
    EXPECT_EQ(load.document.questions[2].pictureName, u"pictures/q03.jpg"_s);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{u"bank.json"_s});
    EXPECT_EQ(QDir(folder + u"/pictures"_s).entryList(QDir::Files),
              (QStringList{u"q01.jpg"_s, u"q03.jpg"_s}));
    EXPECT_EQ(QImage(QDir(folder).filePath(u"pictures/q03.jpg"_s)).size(), QSize(60, 30));
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

// A copy of a packed program cut short (an interrupted copy to a stick, a download cut off) says that
// its test is damaged instead of giving the test morv was built with; so does a stripped one. The
// trailer is the last 60 bytes: a SHA-256 of 32, a length of 8 and "MORV-APPENDED-BANK-1".
TEST_F(PackCommand, CutCopiesSayTheirTestIsDamaged)
{
    const QString stripped = dir.filePath(u"morv-stripped"_s);
    ASSERT_EQ(QProcess::execute(u"strip"_s, {u"-o"_s, stripped, QStringLiteral(MORV_PROGRAM)}), 0);
    const QString source = write(u"тест.txt"_s, ThreeQuestions);
    for (const QString &base : {QStringLiteral(MORV_PROGRAM), stripped}) {
        SCOPED_TRACE(base.toStdString());
        const QString program = dir.filePath(u"тест"_s);
        ASSERT_EQ(pack({source, u"-o"_s, program, u"--program"_s, base}).exitCode, 0);
        const QByteArray whole = contentOf(program);
        QList<std::pair<const char *, QByteArray>> cuts = {{"one byte", whole.chopped(1)},
                                                           {"the whole trailer", whole.chopped(60)}};
        // A stripped program cut before its mark is cut inside its code: it cannot be started at all.
        if (base != stripped)
            cuts.append({"half the file", whole.first(whole.size() / 2)});
        for (const auto &[name, bytes] : cuts) {
            SCOPED_TRACE(name);
            const QString cut = write(u"отрязан"_s, bytes);
            EXPECT_EQ(texts(test::bankOfProgramFile(cut).problems),
                      QStringList{u"добавеният към програмата тест е повреден"_s});
        }
    }
    // The program as built, stripped or not, keeps its own test.
    EXPECT_EQ(programMark(contentOf(stripped)), ProgramMark::AsBuilt);
    EXPECT_EQ(programMark(contentOf(QStringLiteral(MORV_PROGRAM))), ProgramMark::AsBuilt);
}

// A source over the limit of its format is refused from its size alone, at once: 12 MiB for Moodle XML
// (its pictures are inside it), 4 MiB for GIFT, Aiken and bank.json; anything over the largest limit
// before its format is even looked for.
struct SizeCase
{
    const char *name;
    QString file;     // in the temporary folder
    QByteArray start; // the rest is blank up to the size
    qint64 size;
    QString problem; // the whole line after the file's name; empty when the size is allowed
};

class SourceSize : public testing::TestWithParam<SizeCase>, public Workspace
{};

TEST_P(SourceSize, IsRefusedAtOnceOverItsLimit)
{
    const SizeCase &c = GetParam();
    const QString path = write(c.file, c.start);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        const QByteArray blank(1024 * 1024, '\n');
        while (file.size() + blank.size() <= c.size)
            file.write(blank);
        file.write(QByteArray(c.size - file.size(), '\n'));
    }
    ASSERT_EQ(QFileInfo(path).size(), c.size);
    const QString source = c.file.endsWith(u"bank.json") ? QFileInfo(path).path() : path;
    QElapsedTimer timer;
    timer.start();
    const Outcome run = pack({u"--check"_s, source});
    if (c.problem.isEmpty()) {
        EXPECT_FALSE(run.err.contains(u"твърде голям"_s)) << run.err.toStdString();
        return;
    }
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(run.exitCode, 1);
    const QString problem = c.problem.contains(u"%1"_s) ? c.problem.arg(path) : c.problem;
    EXPECT_EQ(run.err, path + u": "_s + problem + u'\n');
}

constexpr qint64 MiB = 1024 * 1024;
const QByteArray MoodleStart = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n";
const QByteArray GiftStart = "::1:: Колко е 2 + 2? {=4 ~3}\n";

INSTANTIATE_TEST_SUITE_P(
    PackCommand, SourceSize,
    testing::Values(SizeCase{"moodle_xml_over_12_MiB", u"износ.xml"_s, MoodleStart, 12 * MiB + 1,
                             u"файлът с въпросите е твърде голям: 12582913 байта, най-много 12582912"_s},
                    SizeCase{"moodle_xml_at_12_MiB", u"износ.xml"_s, MoodleStart, 12 * MiB, {}},
                    SizeCase{"gift_over_4_MiB", u"тест.gift"_s, GiftStart, 4 * MiB + 1,
                             u"файлът с въпросите е твърде голям: 4194305 байта, най-много 4194304"_s},
                    SizeCase{"gift_at_4_MiB", u"тест.gift"_s, GiftStart, 4 * MiB, {}},
                    SizeCase{"aiken_over_4_MiB", u"тест.txt"_s, ThreeQuestions, 4 * MiB + 1,
                             u"файлът с въпросите е твърде голям: 4194305 байта, най-много 4194304"_s},
                    // Over the largest limit too: its start tells its format, and it is told its own limit.
                    SizeCase{"aiken_over_12_MiB", u"тест.txt"_s, ThreeQuestions, 13 * MiB,
                             u"файлът с въпросите е твърде голям: 13631488 байта, най-много 4194304"_s},
                    SizeCase{"bank_json_over_4_MiB", u"банка/bank.json"_s, test::bytes(test::validJson(3)),
                             4 * MiB + 1,
                             u"файлът с въпросите „%1“ е твърде голям: 4194305 байта, най-много 4194304"_s},
                    SizeCase{"any_file_of_50_MB", u"нещо.dat"_s, "?", 50'000'000,
                             u"файлът с въпросите е твърде голям: 50000000 байта, най-много 12582912"_s}),
    RowName());

// A source saved as UTF-16 without its byte order mark is refused for its encoding, not for answers or
// braces it seems to lack.
TEST_F(PackCommand, NamesUtf16AsTheEncoding)
{
    const QString source = write(
        u"тест.txt"_s, QStringEncoder(QStringConverter::Utf16LE).encode(QString::fromUtf8(ThreeQuestions)));
    const Outcome run = pack({u"--check"_s, source});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, source + u": файлът с въпросите е в кодиране UTF-16: запишете го като UTF-8\n"_s);
}

// Where -o may write: a new file, or over a program morv-pack wrote before (whole or damaged: teachers
// pack again). Never through a link, never over anything else: the call is refused with exit status 2,
// naming the file, and nothing in the folder changes.
struct OutputCase
{
    const char *name;
    // Sets the folder up; gives the arguments of the call, the target after "-o".
    std::function<QStringList(Workspace &)> make;
    QString refusal; // a part of the message; empty when the program is written
    bool asRoot = false;
};

class OutputRules : public testing::TestWithParam<OutputCase>, public Workspace
{};

TEST_P(OutputRules, WritesOnlyANewFileOrOverAnEarlierProgram)
{
    const OutputCase &c = GetParam();
    if (c.asRoot && geteuid() != 0)
        GTEST_SKIP() << "only root can make a device node";
    const QStringList call = c.make(*this);
    const QString target = call.at(call.indexOf(u"-o"_s) + 1);
    const QStringList before = folderState();
    const Outcome run = pack(call);
    if (c.refusal.isEmpty()) {
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const BankLoad load = test::bankOfProgramFile(target);
        ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
        EXPECT_EQ(load.bank->List2().value(Bank::TitleRow), u"тест"_s);
        EXPECT_TRUE(QFileInfo(target).isExecutable());
        EXPECT_TRUE(QFileInfo(target).permissions().testFlag(QFileDevice::ExeOwner));
        // Nothing but the program: no temporary file is left behind.
        QStringList after = folderState();
        after.removeIf([](const QString &entry) { return entry.startsWith(u"по-ранен: "_s); });
        QStringList expected = before;
        expected.removeIf([](const QString &entry) { return entry.startsWith(u"по-ранен: "_s); });
        EXPECT_EQ(after.size(), expected.size() + (before.size() == expected.size() ? 1 : 0));
        return;
    }
    EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(u"„%1“"_s.arg(target))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(c.refusal)) << run.err.toStdString();
    EXPECT_EQ(folderState(), before);
}

INSTANTIATE_TEST_SUITE_P(
    PackCommand, OutputRules,
    testing::Values(
        OutputCase{"a_new_file",
                   [](Workspace &f) {
                       return QStringList{f.source(), u"-o"_s, f.dir.filePath(u"тест-програма"_s)};
                   },
                   {}},
        OutputCase{"an_earlier_packed_program",
                   [](Workspace &f) {
                       return QStringList{f.source(), u"-o"_s, f.earlierProgram()};
                   },
                   {}},
        // Whole or not, only what its trailer describes exactly is known for a program morv-pack wrote.
        OutputCase{"an_earlier_program_cut_short",
                   [](Workspace &f) {
                       const QString program = f.earlierProgram();
                       QFile file(program);
                       EXPECT_TRUE(file.resize(file.size() - 1));
                       return QStringList{f.source(), u"-o"_s, program};
                   },
                   u"е програма от morv-pack, чийто добавен тест е повреден или променен"_s},
        OutputCase{"an_earlier_program_with_its_trailer_changed",
                   [](Workspace &f) {
                       return QStringList{f.source(), u"-o"_s, f.earlierProgramChanged(30)};
                   },
                   u"е програма от morv-pack, чийто добавен тест е повреден или променен"_s},
        OutputCase{"an_earlier_program_with_its_test_changed",
                   [](Workspace &f) {
                       return QStringList{f.source(), u"-o"_s, f.earlierProgramChanged(100)};
                   },
                   u"е програма от morv-pack, чийто добавен тест е повреден или променен"_s},
        OutputCase{"a_tar_holding_an_earlier_program",
                   [](Workspace &f) {
                       return QStringList{f.source(), u"-o"_s, f.tarHolding(f.earlierProgram())};
                   },
                   u"вече съществува и не е програма, записана от morv-pack"_s},
        OutputCase{"a_text_file_holding_the_mark",
                   [](Workspace &f) {
                       return QStringList{f.source(), u"-o"_s,
                                          f.write(u"бележки.txt"_s, "Знакът е: " MORV_PROGRAM_MARK "1\n")};
                   },
                   u"вече съществува и не е програма, записана от morv-pack"_s},
        OutputCase{"a_link_to_a_file",
                   [](Workspace &f) {
                       const QString other = f.write(u"чужд.txt"_s, "на някой друг");
                       return QStringList{f.source(), u"-o"_s, f.link(other, u"програма"_s)};
                   },
                   u"е символна връзка"_s},
        OutputCase{"a_link_to_an_earlier_program",
                   [](Workspace &f) {
                       return QStringList{f.source(), u"-o"_s, f.link(f.earlierProgram(), u"програма"_s)};
                   },
                   u"е символна връзка"_s},
        OutputCase{
            "a_dangling_link",
            [](Workspace &f) {
                return QStringList{f.source(), u"-o"_s, f.link(f.dir.filePath(u"няма-го"_s), u"програма"_s)};
            },
            u"е символна връзка"_s},
        OutputCase{"a_device_node",
                   [](Workspace &f) {
                       const QString node = f.dir.filePath(u"null"_s);
                       EXPECT_EQ(mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)),
                                 0);
                       return QStringList{f.source(), u"-o"_s, node};
                   },
                   u"не е обикновен файл"_s, true},
        OutputCase{"a_fifo",
                   [](Workspace &f) {
                       const QString fifo = f.dir.filePath(u"канал"_s);
                       EXPECT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
                       return QStringList{f.source(), u"-o"_s, fifo};
                   },
                   u"не е обикновен файл"_s},
        OutputCase{"a_folder",
                   [](Workspace &f) {
                       QDir(f.dir.path()).mkdir(u"папка"_s);
                       return QStringList{f.source(), u"-o"_s, f.dir.filePath(u"папка"_s)};
                   },
                   u"не е обикновен файл"_s},
        OutputCase{"the_source_itself",
                   [](Workspace &f) {
                       const QString source = f.source();
                       return QStringList{source, u"-o"_s, source};
                   },
                   u"е самият източник"_s},
        // The same file named otherwise is still the source: names are compared as files, not as text.
        OutputCase{"the_source_by_another_name",
                   [](Workspace &f) {
                       f.source();
                       f.workingDirectory = f.dir.path();
                       return QStringList{u"тест.txt"_s, u"-o"_s, u"./тест.txt"_s};
                   },
                   u"е самият източник"_s},
        OutputCase{"the_bank_json_of_a_folder_source",
                   [](Workspace &f) {
                       const QString json = f.write(u"банка/bank.json"_s, test::bytes(test::validJson(3)));
                       return QStringList{f.dir.filePath(u"банка"_s), u"-o"_s, json};
                   },
                   u"е самият източник"_s},
        OutputCase{"a_picture_the_source_names",
                   [](Workspace &f) {
                       QImage square(40, 40, QImage::Format_RGB32);
                       square.fill(Qt::darkGreen);
                       EXPECT_TRUE(square.save(f.dir.filePath(u"квадрат.png"_s)));
                       const QString source = f.write(
                           u"тест.gift"_s,
                           "<img src=\"квадрат.png\"> Лице? {=16 ~8}\n2 + 2? {=4 ~3}\n3 + 3? {=6 ~5}\n");
                       return QStringList{source, u"-o"_s, f.dir.filePath(u"квадрат.png"_s)};
                   },
                   u"вече съществува и не е програма, записана от morv-pack"_s},
        OutputCase{"an_unrelated_file",
                   [](Workspace &f) {
                       return QStringList{f.source(), u"-o"_s, f.write(u"бележки.txt"_s, "важни бележки")};
                   },
                   u"вече съществува и не е програма, записана от morv-pack"_s},
        OutputCase{"a_copy_of_morv_as_built",
                   [](Workspace &f) {
                       const QString copy = f.dir.filePath(u"morv-копие"_s);
                       EXPECT_TRUE(QFile::copy(QStringLiteral(MORV_PROGRAM), copy));
                       return QStringList{f.source(), u"-o"_s, copy};
                   },
                   u"вече съществува и не е програма, записана от morv-pack"_s},
        OutputCase{"the_program_it_copies",
                   [](Workspace &f) {
                       const QString copy = f.dir.filePath(u"morv-копие"_s);
                       EXPECT_TRUE(QFile::copy(QStringLiteral(MORV_PROGRAM), copy));
                       return QStringList{f.source(), u"-o"_s, copy, u"--program"_s, copy};
                   },
                   u"е самата програма"_s},
        OutputCase{"a_file_in_a_missing_folder",
                   [](Workspace &f) {
                       return QStringList{f.source(), u"-o"_s, f.dir.filePath(u"няма/програма"_s)};
                   },
                   u"не съществува"_s}),
    RowName());

// The place to write is settled before the source is read: a refused target gives no word about the
// source, however broken it is.
TEST_F(PackCommand, RefusesTheTargetBeforeReadingTheSource)
{
    const QString broken = write(u"счупен.txt"_s, "Въпрос?\nA. да\nANSWER: C\n");
    const QString notes = write(u"бележки.txt"_s, "важни бележки");
    const Outcome run = pack({broken, u"-o"_s, notes});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_FALSE(run.err.contains(u"въпрос"_s)) << run.err.toStdString();
    EXPECT_EQ(contentOf(notes), "важни бележки");
}

// An empty name after -o is told as what it is, not as a folder that does not exist.
TEST_F(PackCommand, EmptyOutputNameIsToldSo)
{
    const QString from = source();
    const QStringList before = folderState();
    const Outcome run = pack({from, u"-o"_s, QString()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err,
              u"morv-pack: името на файла за програмата е празно: напишете го след -o, например -o тест\n"_s);
    EXPECT_EQ(folderState(), before);
}

// --preview with a --program that is not the program is refused before anything is written: exit
// status 2, the program named, and nothing left in the temporary folder.
TEST_F(PackCommand, PreviewOfAnotherProgramLeavesNothing)
{
    const QString script = write(u"script"_s, "#!/bin/sh\necho готово\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    const QTemporaryDir temporary;
    const Outcome run = pack({source(), u"--preview"_s, u"--program"_s, script}, temporary.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, u"morv-pack: „%1“ не е програмата morv\n"_s.arg(script));
    EXPECT_TRUE(QDir(temporary.path())
                    .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System));
}

// --program takes only the program itself, recognised by the mark its build puts in it, not by its name:
// anything else is refused at once with exit status 2, and what is refused is never read whole.
struct ProgramCase
{
    const char *name;
    std::function<QString(Workspace &)> make;
    QString refusal; // a part of the message; empty when the program is written
};

class ProgramRules : public testing::TestWithParam<ProgramCase>, public Workspace
{};

TEST_P(ProgramRules, TakeOnlyTheProgram)
{
    const QString base = GetParam().make(*this);
    const QString source = write(u"тест.txt"_s, ThreeQuestions);
    const QString output = dir.filePath(u"тест"_s);
    QElapsedTimer timer;
    timer.start();
    const Outcome run = pack({source, u"-o"_s, output, u"--program"_s, base});
    if (GetParam().refusal.isEmpty()) {
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(test::bankOfProgramFile(output).bank);
        // The copy is the program as built, whatever it was copied from.
        EXPECT_EQ(withoutAppendedBank(contentOf(output)), contentOf(QStringLiteral(MORV_PROGRAM)));
        return;
    }
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(base)) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(GetParam().refusal)) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(output));
}

INSTANTIATE_TEST_SUITE_P(
    PackCommand, ProgramRules,
    testing::Values(
        ProgramCase{"the_program", [](Workspace &) { return QStringLiteral(MORV_PROGRAM); }, {}},
        ProgramCase{"a_link_to_the_program",
                    [](Workspace &f) {
                        EXPECT_TRUE(QFile::link(QStringLiteral(MORV_PROGRAM), f.dir.filePath(u"morv"_s)));
                        return f.dir.filePath(u"morv"_s);
                    },
                    {}},
        ProgramCase{
            "a_packed_program",
            [](Workspace &f) {
                const QString packed = f.dir.filePath(u"стар"_s);
                EXPECT_EQ(f.pack({f.write(u"стар.txt"_s, ThreeQuestions), u"-o"_s, packed}).exitCode, 0);
                return packed;
            },
            {}},
        ProgramCase{
            "a_packed_program_cut_short",
            [](Workspace &f) {
                const QString packed = f.dir.filePath(u"стар"_s);
                EXPECT_EQ(f.pack({f.write(u"стар.txt"_s, ThreeQuestions), u"-o"_s, packed}).exitCode, 0);
                QFile file(packed);
                EXPECT_TRUE(file.resize(file.size() - 1));
                return packed;
            },
            u"е програма с повреден добавен тест"_s},
        ProgramCase{"a_packed_program_with_its_trailer_changed",
                    [](Workspace &f) { return f.earlierProgramChanged(30); },
                    u"е програма с повреден добавен тест"_s},
        ProgramCase{"a_tar_holding_the_program",
                    [](Workspace &f) { return f.tarHolding(QStringLiteral(MORV_PROGRAM)); },
                    u"не е програмата morv"_s},
        ProgramCase{"a_text_file_holding_the_mark",
                    [](Workspace &f) { return f.write(u"morv"_s, "Знакът е: " MORV_PROGRAM_MARK "0\n"); },
                    u"не е програмата morv"_s},
        ProgramCase{"a_shell_script",
                    [](Workspace &f) {
                        const QString script = f.write(u"morv"_s, "#!/bin/sh\necho готово\n");
                        QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
                        return script;
                    },
                    u"не е програмата morv"_s},
        ProgramCase{"morv_pack", [](Workspace &) { return QStringLiteral(MORV_PACK); },
                    u"не е програмата morv"_s},
        ProgramCase{"an_endless_device", [](Workspace &) { return u"/dev/zero"_s; },
                    u"не е обикновен файл"_s},
        ProgramCase{"a_fifo",
                    [](Workspace &f) {
                        const QString fifo = f.dir.filePath(u"канал"_s);
                        EXPECT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
                        return fifo;
                    },
                    u"не е обикновен файл"_s},
        ProgramCase{"a_folder", [](Workspace &f) { return f.dir.path(); }, u"не е обикновен файл"_s},
        ProgramCase{"a_missing_file", [](Workspace &f) { return f.dir.filePath(u"няма"_s); },
                    u"не е намерена"_s},
        ProgramCase{"a_file_over_128_MiB",
                    [](Workspace &f) {
                        QFile big(f.dir.filePath(u"голям"_s));
                        EXPECT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(MaxProgramBytes + 1));
                        return big.fileName();
                    },
                    u"е твърде голям за програмата morv: 134217729 байта, най-много 134217728"_s}),
    RowName());

// --json writes into a new or an empty folder only, never through a link: a folder with anything in it
// is refused with exit status 2, naming it, and stays as it was.
struct JsonCase
{
    const char *name;
    std::function<QStringList(Workspace &)> make; // the call
    QString refusal;                              // a part of the message; empty when the folder is written
};

class JsonRules : public testing::TestWithParam<JsonCase>, public Workspace
{};

TEST_P(JsonRules, WriteOnlyIntoANewOrEmptyFolder)
{
    const QStringList call = GetParam().make(*this);
    const QString folder = call.at(call.indexOf(u"--json"_s) + 1);
    const QStringList before = folderState();
    const Outcome run = pack(call);
    if (GetParam().refusal.isEmpty()) {
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(readBankFile(QDir(folder).filePath(u"bank.json"_s)).bank);
        return;
    }
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(u"„%1“"_s.arg(folder))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(GetParam().refusal)) << run.err.toStdString();
    EXPECT_EQ(folderState(), before);
}

INSTANTIATE_TEST_SUITE_P(
    PackCommand, JsonRules,
    testing::Values(
        JsonCase{"a_new_folder",
                 [](Workspace &f) {
                     return QStringList{f.write(u"тест.txt"_s, ThreeQuestions), u"--json"_s,
                                        f.dir.filePath(u"нова/банка"_s)};
                 },
                 {}},
        JsonCase{"an_empty_folder",
                 [](Workspace &f) {
                     QDir(f.dir.path()).mkdir(u"банка"_s);
                     return QStringList{f.write(u"тест.txt"_s, ThreeQuestions), u"--json"_s,
                                        f.dir.filePath(u"банка"_s)};
                 },
                 {}},
        JsonCase{"a_folder_with_a_bank_json",
                 [](Workspace &f) {
                     f.write(u"банка/bank.json"_s, "{}");
                     return QStringList{f.write(u"тест.txt"_s, ThreeQuestions), u"--json"_s,
                                        f.dir.filePath(u"банка"_s)};
                 },
                 u"не е празна"_s},
        JsonCase{"a_folder_with_only_a_hidden_file",
                 [](Workspace &f) {
                     f.write(u"банка/.бележки"_s, "скрито");
                     return QStringList{f.write(u"тест.txt"_s, ThreeQuestions), u"--json"_s,
                                        f.dir.filePath(u"банка"_s)};
                 },
                 u"не е празна"_s},
        JsonCase{"the_source_folder",
                 [](Workspace &f) {
                     f.write(u"банка/bank.json"_s, test::bytes(test::validJson(3)));
                     return QStringList{f.dir.filePath(u"банка"_s), u"--json"_s, f.dir.filePath(u"банка"_s)};
                 },
                 u"не е празна"_s},
        JsonCase{"a_link_to_an_empty_folder",
                 [](Workspace &f) {
                     QDir(f.dir.path()).mkdir(u"празна"_s);
                     EXPECT_TRUE(QFile::link(f.dir.filePath(u"празна"_s), f.dir.filePath(u"банка"_s)));
                     return QStringList{f.write(u"тест.txt"_s, ThreeQuestions), u"--json"_s,
                                        f.dir.filePath(u"банка"_s)};
                 },
                 u"е символна връзка"_s},
        JsonCase{"a_file",
                 [](Workspace &f) {
                     return QStringList{f.write(u"тест.txt"_s, ThreeQuestions), u"--json"_s,
                                        f.write(u"банка"_s, "не е папка")};
                 },
                 u"не е папка"_s}),
    RowName());

// --xml writes the teacher's file: a new file, or over a Moodle XML file МОРВ wrote (told by its
// marked category), never through a link and never over anything else, the source included. A refused
// call exits with 2, naming the file, and changes nothing in the folder.
struct XmlCase
{
    const char *name;
    std::function<QStringList(Workspace &)> make; // the call
    QString refusal;                              // a part of the message; empty when the file is written
};

class XmlRules : public testing::TestWithParam<XmlCase>, public Workspace
{};

TEST_P(XmlRules, WriteOnlyANewFileOrOverOneItWrote)
{
    const QStringList call = GetParam().make(*this);
    const QString file = call.at(call.indexOf(u"--xml"_s) + 1);
    const QStringList before = folderState();
    const Outcome run = pack(call);
    if (GetParam().refusal.isEmpty()) {
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(moodle::writtenByMorv(contentOf(file)));
        const PackResult opened = morv::pack(PackOptions(file, SourceFormat::MoodleXml));
        EXPECT_TRUE(opened.packable()) << opened.messages().join(u'\n').toStdString();
        EXPECT_EQ(opened.document.title, u"тест"_s);
        return;
    }
    EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(u"„%1“"_s.arg(file))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(GetParam().refusal)) << run.err.toStdString();
    EXPECT_EQ(folderState(), before);
}

const QString notMorvsXml = u"вече съществува и не е файл Moodle XML, записан от МОРВ"_s;

INSTANTIATE_TEST_SUITE_P(
    PackCommand, XmlRules,
    testing::Values(
        XmlCase{"a_new_file",
                [](Workspace &f) {
                    return QStringList{f.source(), u"--xml"_s, f.dir.filePath(u"тест.xml"_s)};
                },
                {}},
        XmlCase{"a_file_it_wrote_before",
                [](Workspace &f) {
                    return QStringList{f.source(), u"--xml"_s, f.earlierXml()};
                },
                {}},
        XmlCase{"a_link_to_a_file_it_wrote",
                [](Workspace &f) {
                    return QStringList{f.source(), u"--xml"_s, f.link(f.earlierXml(), u"тест.xml"_s)};
                },
                u"е символна връзка"_s},
        XmlCase{"a_dangling_link",
                [](Workspace &f) {
                    return QStringList{f.source(), u"--xml"_s,
                                       f.link(f.dir.filePath(u"няма-го"_s), u"тест.xml"_s)};
                },
                u"е символна връзка"_s},
        XmlCase{"a_fifo",
                [](Workspace &f) {
                    const QString fifo = f.dir.filePath(u"канал.xml"_s);
                    EXPECT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
                    return QStringList{f.source(), u"--xml"_s, fifo};
                },
                u"не е обикновен файл"_s},
        XmlCase{"a_folder",
                [](Workspace &f) {
                    QDir(f.dir.path()).mkdir(u"папка"_s);
                    return QStringList{f.source(), u"--xml"_s, f.dir.filePath(u"папка"_s)};
                },
                u"не е обикновен файл"_s},
        XmlCase{"the_source_itself_though_it_wrote_it",
                [](Workspace &f) {
                    const QString file = f.earlierXml();
                    return QStringList{file, u"--xml"_s, file};
                },
                u"е самият източник"_s},
        XmlCase{"a_moodle_export",
                [](Workspace &f) {
                    return QStringList{f.source(), u"--xml"_s,
                                       f.write(u"износ.xml"_s,
                                               "<?xml version=\"1.0\"?>\n<quiz><question type=\"category\">"
                                               "<category><text>$course$/top/Г</text></category></question>"
                                               "</quiz>\n")};
                },
                notMorvsXml},
        XmlCase{"a_file_with_the_mark_outside_the_first_category",
                [](Workspace &f) {
                    const QByteArray mark =
                        u"Тест, записан от МОРВ: програмата чете оттук превключвателите и заглавието му."_s
                            .toUtf8();
                    return QStringList{f.source(), u"--xml"_s,
                                       f.write(u"бележки.xml"_s,
                                               "<quiz><question type=\"multichoice\"><questiontext><text>" +
                                                   mark + "</text></questiontext></question></quiz>\n")};
                },
                notMorvsXml},
        XmlCase{"a_picture_the_source_names",
                [](Workspace &f) {
                    QImage square(40, 40, QImage::Format_RGB32);
                    square.fill(Qt::darkGreen);
                    EXPECT_TRUE(square.save(f.dir.filePath(u"квадрат.png"_s)));
                    const QString source =
                        f.write(u"тест.gift"_s,
                                "<img src=\"квадрат.png\"> Лице? {=16 ~8}\n2 + 2? {=4 ~3}\n3 + 3? {=6 ~5}\n");
                    return QStringList{source, u"--xml"_s, f.dir.filePath(u"квадрат.png"_s)};
                },
                notMorvsXml},
        XmlCase{"a_program_morv_pack_wrote",
                [](Workspace &f) {
                    return QStringList{f.source(), u"--xml"_s, f.earlierProgram()};
                },
                notMorvsXml},
        XmlCase{"an_unrelated_file",
                [](Workspace &f) {
                    return QStringList{f.source(), u"--xml"_s, f.write(u"бележки.txt"_s, "важни бележки")};
                },
                notMorvsXml},
        XmlCase{"a_file_in_a_missing_folder",
                [](Workspace &f) {
                    return QStringList{f.source(), u"--xml"_s, f.dir.filePath(u"няма/тест.xml"_s)};
                },
                u"не съществува"_s}),
    RowName());

// What a source gives, as a bank: its bank.json, written the one way whatever the source's own layout,
// and its pictures.
QString bankOf(const PackResult &packed)
{
    const BankFiles files = bankFiles(packed.document);
    QStringList parts = {QString::fromUtf8(files.json)};
    for (auto picture = files.pictures.cbegin(); picture != files.pictures.cend(); ++picture)
        parts.append(picture.key() + u": "_s +
                     QString::fromLatin1(
                         QCryptographicHash::hash(picture.value(), QCryptographicHash::Sha256).toHex()));
    return parts.join(u'\n');
}

// Sources of every kind, each written with --xml and opened again: the same test, to the byte of its
// bank and its pictures. Options given with --xml are carried in the file.
struct XmlSourceCase
{
    const char *name;
    std::function<QString(Workspace &)> make; // the source
    QStringList options = {};
};

class XmlFromEverySource : public testing::TestWithParam<XmlSourceCase>, public Workspace
{};

TEST_P(XmlFromEverySource, OpensAsTheSameTest)
{
    const QString source = GetParam().make(*this);
    const QString file = dir.filePath(u"учителски.xml"_s);
    const Outcome run = pack(QStringList{source, u"--xml"_s, file} + GetParam().options);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    PackOptions options(source, *detectFormat(source));
    options.title =
        GetParam().options.contains(u"--title=Карти"_s) ? std::optional(u"Карти"_s) : std::nullopt;
    if (GetParam().options.contains(u"--toto=0"_s))
        options[Switch::Toto] = false;
    const PackResult given = morv::pack(options);
    ASSERT_TRUE(given.packable()) << given.messages().join(u'\n').toStdString();
    ASSERT_EQ(detectFormat(file), SourceFormat::MoodleXml);
    const PackResult opened = morv::pack(PackOptions(file, SourceFormat::MoodleXml));
    ASSERT_TRUE(opened.packable()) << opened.messages().join(u'\n').toStdString();
    EXPECT_TRUE(opened.warnings.isEmpty()) << opened.messages().join(u'\n').toStdString();
    EXPECT_EQ(opened.document.title, given.document.title);
    EXPECT_EQ(opened.document.switches, given.document.switches);
    EXPECT_EQ(bankOf(opened), bankOf(given));
}

INSTANTIATE_TEST_SUITE_P(
    PackCommand, XmlFromEverySource,
    testing::Values(
        XmlSourceCase{"the_shipped_bank",
                      [](Workspace &) { return QStringLiteral(MORV_SOURCE_DIR "/bank/content"); }},
        XmlSourceCase{"aiken", [](Workspace &f) { return f.source(); }},
        XmlSourceCase{"aiken_with_title_and_switch",
                      [](Workspace &f) { return f.source(); },
                      {u"--title=Карти"_s, u"--toto=0"_s}},
        XmlSourceCase{
            "gift_with_pictures_and_explanations",
            [](Workspace &f) {
                QImage square(400, 400, QImage::Format_RGB32);
                square.fill(Qt::darkGreen);
                EXPECT_TRUE(square.save(f.dir.filePath(u"квадрат.png"_s)));
                QImage oblong(60, 30, QImage::Format_RGB32);
                oblong.fill(Qt::darkBlue);
                EXPECT_TRUE(oblong.save(f.dir.filePath(u"правоъгълник.jpg"_s)));
                return f.write(
                    u"тест.gift"_s,
                    R"(::1:: Лицето на квадрата < 20 см² & > 10 см²? <img src="квадрат.png" alt="Квадрат „4 см“"> {
=16 см²
~8 см²
~4 см²
####Лицето е 4 · 4 = 16 см².<br>Второ  обяснение.
}

::2:: [html]Колко е 3<sup>2</sup>?<br>А 2<sup>3</sup>? {=9 и 8 ~6 ~12}

::3:: Колко е лицето? <img src="правоъгълник.jpg"> {=18 см² ~9 см² ~6 см²}
)");
            }},
        XmlSourceCase{"moodle_export",
                      [](Workspace &f) {
                          QImage photo(640, 480, QImage::Format_RGB32);
                          photo.fill(Qt::darkRed);
                          QByteArray png;
                          QBuffer buffer(&png);
                          buffer.open(QIODevice::WriteOnly);
                          EXPECT_TRUE(photo.save(&buffer, "PNG"));
                          return f.write(u"износ.xml"_s,
                                         R"(<?xml version="1.0" encoding="UTF-8"?>
<quiz>
  <question type="category"><category><text>$course$/Геометрия</text></category></question>
  <question type="multichoice">
    <questiontext format="html">
      <text><![CDATA[<p dir="ltr">Сборът от ъглите<br>на триъгълник е:</p><p><img src="@@PLUGINFILE@@/%D1%8A%D0%B3%D0%BB%D0%B8.png" alt="Триъгълник ABC"></p>]]></text>
      <file name="ъгли.png" path="/" encoding="base64">)" +
                                             png.toBase64() + R"(</file>
    </questiontext>
    <generalfeedback format="html"><text>&lt;p&gt;Теорема за сбора.&lt;/p&gt;&lt;p&gt;Винаги 180&amp;deg;.&lt;/p&gt;</text></generalfeedback>
    <single>true</single>
    <answer fraction="100" format="html"><text><![CDATA[<p>180&deg;</p>]]></text>
      <feedback format="html"><text><![CDATA[<p>Точно така.</p>]]></text></feedback></answer>
    <answer fraction="0" format="moodle_auto_format"><text>90°</text></answer>
    <answer fraction="-33.33333" format="plain_text"><text>360° &lt;пълен&gt;</text></answer>
  </question>
  <question type="multichoice">
    <questiontext format="markdown"><text>Водата е **H₂O**?</text></questiontext>
    <answer fraction="100"><text>да</text></answer>
    <answer fraction="0"><text>не</text></answer>
  </question>
  <question type="multichoice">
    <questiontext format="moodle_auto_format"><text>Ред 1
Ред 2</text></questiontext>
    <answer fraction="100"><text>a</text></answer>
    <answer fraction="0"><text>b</text></answer>
  </question>
</quiz>
)");
                      }}),
    RowName());

} // namespace
} // namespace morv
