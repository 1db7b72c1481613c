// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The bank reader and its checks: what a teacher writes, what the program builds, what it refuses.
#include "bank/bankreader.h"
#include "bank/picturecheck.h"
#include "tests/support/brokenbanks.h"
#include "tests/support/testbank.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
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
    EXPECT_TRUE(load.problems.first().text.contains(GetParam().message))
        << load.problems.first().text.toStdString() << "\nexpected: " << GetParam().message.toStdString();
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

// A source that is not JSON is refused with the line and column of the fault.
TEST(BankReader, RefusesMalformedSourceWithItsPlace)
{
    const QByteArray json = "{\n  \"settings\": [\n    \"a\",\n    \"b\"\n  ]\n  \"questions\": []\n}\n";
    const BankLoad load = readBank(json, u"/nonexistent"_s);
    ASSERT_FALSE(load.bank);
    ASSERT_EQ(load.problems.size(), 1);
    EXPECT_TRUE(load.problems.first().text.startsWith(u"грешка в записа, ред 6, колона"_s))
        << load.problems.first().text.toStdString();
}

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
    EXPECT_TRUE(load.problems[0].text.startsWith(u"въпрос 1:"_s));
    EXPECT_TRUE(load.problems[1].text.startsWith(u"въпрос 4:"_s));
}

class FigureFiles : public testing::Test
{
protected:
    void write(const QString &name, const QByteArray &data)
    {
        QDir(dir.path()).mkpath(u"pictures"_s);
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
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
    QTemporaryDir dir;
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
    EXPECT_EQ(load.problems.first().text,
              u"въпрос 1: изображението „pictures/png.jpg“ не може да се покаже: не е във формат JPEG"_s);

    write(u"pictures/cut.jpg"_s, test::tinyJpeg().left(20));
    load = readBankFile(writeBank(u"pictures/cut.jpg"_s), jpegDecodeProblem);
    ASSERT_EQ(load.problems.size(), 1);
    EXPECT_TRUE(load.problems.first().text.startsWith(
        u"въпрос 1: изображението „pictures/cut.jpg“ не може да се покаже"_s))
        << load.problems.first().text.toStdString();
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

// Only a regular file inside the bank's folder is a figure: the text of the path says nothing of where
// a link leads, a FIFO would hang the build and a device never ends.
TEST_F(FigureFiles, RefusesWhatIsNotARegularFileInsideTheFolder)
{
    QTemporaryDir outside;
    const QString outsideJpeg = outside.filePath(u"photo.jpg"_s);
    QFile photo(outsideJpeg);
    ASSERT_TRUE(photo.open(QIODevice::WriteOnly));
    photo.write(test::tinyJpeg());
    photo.close();
    QDir(dir.path()).mkpath(u"pictures/folder.jpg"_s);
    const struct
    {
        const char *name;
        std::function<void(const QString &path)> make;
        QString message;
        QString figure = u"pictures/case.jpg"_s;
    } cases[] = {
        {"a link to a figure outside", [&](const QString &path) { QFile::link(outsideJpeg, path); },
         u"води извън папката на въпросите"_s},
        {"a link to the password file", [](const QString &path) { QFile::link(u"/etc/passwd"_s, path); },
         u"води извън папката на въпросите"_s},
        {"a link to an endless device", [](const QString &path) { QFile::link(u"/dev/zero"_s, path); },
         u"води извън папката на въпросите"_s},
        {"a FIFO",
         [](const QString &path) { ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0); },
         u"не е обикновен файл"_s},
        {"a folder", [](const QString &) {}, u"не е обикновен файл"_s, u"pictures/folder.jpg"_s},
        {"the folder of the bank, named “.”", [](const QString &) {},
         u"изображението „.“ не е обикновен файл"_s, u"."_s},
        {"the folder of the bank, named “pictures/..”", [](const QString &) {},
         u"изображението „pictures/..“ не е обикновен файл"_s, u"pictures/.."_s},
        {"an empty file", [this](const QString &) { write(u"pictures/case.jpg"_s, {}); }, u"е празен файл"_s},
        {"a file over 256 KiB",
         [this](const QString &) { write(u"pictures/case.jpg"_s, QByteArray(256 * 1024 + 1, 'x')); },
         u"е твърде голямо: 262145 байта, най-много 262144"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = c.figure;
        QFile::remove(dir.filePath(u"pictures/case.jpg"_s));
        c.make(dir.filePath(name));
        for (const PictureCheck &check : {PictureCheck(jpegHeaderProblem), PictureCheck(jpegDecodeProblem)}) {
            const BankLoad load = readBankFile(writeBank(name), check);
            ASSERT_EQ(load.problems.size(), 1);
            EXPECT_TRUE(load.problems.first().text.startsWith(u"въпрос 1: "_s));
            EXPECT_TRUE(load.problems.first().text.contains(c.message))
                << load.problems.first().text.toStdString();
        }
    }
    // A link that stays inside the folder is followed.
    write(u"pictures/q01.jpg"_s, test::tinyJpeg());
    ASSERT_TRUE(QFile::link(dir.filePath(u"pictures/q01.jpg"_s), dir.filePath(u"pictures/same.jpg"_s)));
    EXPECT_TRUE(readBankFile(writeBank(u"pictures/same.jpg"_s), jpegDecodeProblem).bank);
}

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
    EXPECT_EQ(cut.problems.first().text,
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
        EXPECT_EQ(load.problems.first().text,
                  u"въпрос 1: изображението „pictures/wide.jpg“ не може да се покаже: "
                  u"твърде голямо: 5000 × 8 пиксела, най-много 4096 × 4096"_s);
    }
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
        return unpackPayload(payload.readAll(), PayloadOrigin::Embedded, nullptr).value_or(BankFiles{});
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

// Names that a build tool or a shell would trip over are just names: the figure is read and embedded.
TEST_F(FigureFiles, OddFileNamesAreReadAndEmbedded)
{
    for (const QString &name : {u"pictures/a;b.jpg"_s, u"pictures/с интервал.jpg"_s,
                                u"pictures/\"кавички\"'.jpg"_s, u"pictures/$(touch x).jpg"_s}) {
        SCOPED_TRACE(name.toStdString());
        write(name, test::tinyJpeg(2));
        const QString path = writeBank(name);
        QProcess check;
        check.start(QStringLiteral(MORV_BANKCHECK), {path, u"--payload"_s, dir.filePath(u"odd.payload"_s)});
        ASSERT_TRUE(check.waitForFinished(30000));
        EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString();
        QFile payload(dir.filePath(u"odd.payload"_s));
        ASSERT_TRUE(payload.open(QIODevice::ReadOnly));
        const std::optional<BankFiles> files =
            unpackPayload(payload.readAll(), PayloadOrigin::Embedded, nullptr);
        ASSERT_TRUE(files);
        EXPECT_EQ(files->pictures.keys(), QStringList{name});
    }
    EXPECT_FALSE(QFile::exists(u"x"_s));
}

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

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
    QString problem;

    writeFile(program, code);
    EXPECT_EQ(programMark(code), ProgramMark::AsBuilt);
    EXPECT_FALSE(appendedBank(program, &problem));
    EXPECT_TRUE(problem.isEmpty());

    // A bank added by hand to a program as built is not its test: it runs the one it was built with.
    writeFile(program, code + appendable(payload));
    ASSERT_TRUE(appendedBank(program, &problem));
    EXPECT_EQ(appendedBank(program, &problem)->json, bytes(validJson(4)));
    EXPECT_EQ(appendedPayload(code + appendable(payload), &problem), payload);
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
    EXPECT_FALSE(appendedBank(program, &problem));
    EXPECT_EQ(problem, Damaged);
    problem.clear();
    EXPECT_FALSE(appendedPayload(damaged, &problem));
    EXPECT_EQ(problem, Damaged);
    EXPECT_EQ(texts(test::bankOfProgramFile(program).problems), QStringList{Damaged});

    // A length that points before the start of the file.
    writeFile(program, appendable(payload).mid(payload.size() - 10));
    problem.clear();
    EXPECT_FALSE(appendedBank(program, &problem));
    EXPECT_EQ(problem, Damaged);
    problem.clear();
    EXPECT_FALSE(appendedPayload(appendable(payload).mid(payload.size() - 10), &problem));
    EXPECT_EQ(problem, Damaged);

    // A checksum that holds over bytes that are no payload.
    writeFile(program, withAppendedBank(code, "no payload at all"));
    problem.clear();
    EXPECT_FALSE(appendedBank(program, &problem));
    EXPECT_EQ(problem, Damaged);

    QString why;
    EXPECT_FALSE(unpackPayload("not a payload", PayloadOrigin::Embedded, &why));
    EXPECT_EQ(why, u"вграденият тест е повреден"_s);
    EXPECT_FALSE(unpackPayload("not a payload", PayloadOrigin::Appended, &why));
    EXPECT_EQ(why, Damaged);
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
    [](const testing::TestParamInfo<Cut> &info) { return std::string(info.param.name); });

struct CraftedPayload
{
    const char *name;
    std::function<BankFiles()> files;
    QString message; // empty for a payload that is accepted
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
    const QByteArray payload = packPayload(GetParam().files());
    const BankLoad appended = readPayload(payload, PayloadOrigin::Appended, jpegHeaderProblem);
    if (GetParam().message.isEmpty()) {
        EXPECT_TRUE(appended.bank) << texts(appended.problems).join(u'\n').toStdString();
        return;
    }
    EXPECT_FALSE(appended.bank);
    ASSERT_EQ(appended.problems.size(), 1) << texts(appended.problems).join(u'\n').toStdString();
    EXPECT_EQ(appended.problems.first().text, GetParam().message);
    // Built into the program, the same payload is the embedded test.
    const BankLoad embedded = readPayload(payload, PayloadOrigin::Embedded, jpegHeaderProblem);
    ASSERT_EQ(embedded.problems.size(), 1);
    EXPECT_EQ(embedded.problems.first().text,
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
    [](const testing::TestParamInfo<CraftedPayload> &info) { return std::string(info.param.name); });

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
