// The bank reader and its checks: what a teacher writes, what the program builds, what it refuses.
#include "bankreader.h"
#include "picturecheck.h"
#include "testbank.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace morv;

namespace {

QJsonObject questionJson(const QString &text, const QStringList &answers, const QString &correct)
{
    return QJsonObject{{u"text"_s, text},
                       {u"answers"_s, QJsonArray::fromStringList(answers)},
                       {u"correct"_s, correct},
                       {u"explanation"_s, QJsonArray{u"ред 1"_s}}};
}

QJsonObject validJson(int questions = 3)
{
    QJsonArray list;
    for (int k = 1; k <= questions; ++k)
        list.append(questionJson(u"Въпрос %1"_s.arg(k), {u"a%1"_s.arg(k), u"b%1"_s.arg(k)}, u"b%1"_s.arg(k)));
    return QJsonObject{{u"settings"_s, QJsonArray::fromStringList(test::shippedSettings())}, {u"questions"_s, list}};
}

QByteArray bytes(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

BankLoad read(const QJsonObject &object)
{
    return readBank(bytes(object), u"/nonexistent"_s, jpegDecodeProblem);
}

QJsonObject withQuestion(QJsonObject root, int index, const QJsonObject &question)
{
    QJsonArray list = root[u"questions"_s].toArray();
    list[index] = question;
    root[u"questions"_s] = list;
    return root;
}

} // namespace

// A sound source becomes the bank's lists: questions from List1(1), placeholders in every spare slot.
TEST(BankReader, LaysOutTheListsWithSpareSlots)
{
    const BankLoad load = read(validJson(3));
    ASSERT_TRUE(load.bank) << load.problems.join(u'\n').toStdString();
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
    root = withQuestion(root, 1, questionJson(u"Чуждоeзиково  ___ "_s, {u"13690 и 10680  "_s, u"72°"_s}, u"72°"_s));
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

struct RefusedCase
{
    const char *name;
    std::function<QJsonObject()> source;
    QString message; // a part of the one problem expected
};

class RefusedBank : public testing::TestWithParam<RefusedCase>
{
};

// Every class of broken bank is refused with a message that names the place and the problem.
TEST_P(RefusedBank, IsRefusedWithItsMessage)
{
    const BankLoad load = read(GetParam().source());
    EXPECT_FALSE(load.bank);
    ASSERT_EQ(load.problems.size(), 1) << load.problems.join(u'\n').toStdString();
    EXPECT_TRUE(load.problems.first().contains(GetParam().message))
        << load.problems.first().toStdString() << "\nexpected: " << GetParam().message.toStdString();
}

// The build refuses the same bank with the same message, naming the source file.
TEST_P(RefusedBank, FailsTheBuildWithItsMessage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bank.json"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes(GetParam().source()));
    file.close();
    QProcess check;
    check.start(QStringLiteral(MORV_BANKCHECK), {path});
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 1);
    const QString errors = QString::fromUtf8(check.readAllStandardError());
    EXPECT_TRUE(errors.startsWith(path + u": "_s)) << errors.toStdString();
    EXPECT_TRUE(errors.contains(GetParam().message)) << errors.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Bank, RefusedBank,
    testing::Values(
        RefusedCase{"two_questions", [] { return validJson(2); }, u"тестът има 2 въпроса, а трябва да са поне 3"_s},
        RefusedCase{"one_answer",
                    [] { return withQuestion(validJson(), 1, questionJson(u"В"_s, {u"a"_s}, u"a"_s)); },
                    u"въпрос 2: има 1 отговора, а трябва да са от 2 до 5"_s},
        RefusedCase{"six_answers",
                    [] {
                        return withQuestion(validJson(), 2,
                                            questionJson(u"В"_s, {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s},
                                                         u"1"_s));
                    },
                    u"въпрос 3: има 6 отговора"_s},
        RefusedCase{"correct_missing",
                    [] { return withQuestion(validJson(), 0, questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"B"_s)); },
                    u"въпрос 1: верният отговор „B“ не е точно никой от отговорите"_s},
        RefusedCase{"correct_with_trailing_blank",
                    [] { return withQuestion(validJson(), 0, questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"b "_s)); },
                    u"въпрос 1: верният отговор „b “ не е точно никой"_s},
        RefusedCase{"correct_twice",
                    [] {
                        return withQuestion(validJson(), 0, questionJson(u"В"_s, {u"a"_s, u"a"_s, u"c"_s}, u"a"_s));
                    },
                    u"въпрос 1: верният отговор „a“ стои 2 пъти"_s},
        RefusedCase{"too_many_with_repeat", [] { return validJson(29); },
                    u"тестът има 29 въпроса, а с проверката за Тото побира най-много 28"_s},
        RefusedCase{"too_many_without_repeat",
                    [] {
                        QJsonObject root = validJson(30);
                        root[u"settings"_s] = QJsonArray::fromStringList(test::settings(0, 0, 1, 0));
                        return root;
                    },
                    u"тестът има 30 въпроса, а побира най-много 29"_s},
        RefusedCase{"five_settings",
                    [] {
                        QJsonObject root = validJson();
                        QStringList rows = test::shippedSettings();
                        rows.removeLast();
                        root[u"settings"_s] = QJsonArray::fromStringList(rows);
                        return root;
                    },
                    u"настройките са 5 реда, а трябва да са точно 6"_s},
        RefusedCase{"empty_question_text",
                    [] { return withQuestion(validJson(), 1, questionJson(u"  "_s, {u"a"_s, u"b"_s}, u"a"_s)); },
                    u"въпрос 2: текстът на въпроса е празен"_s},
        RefusedCase{"empty_answer",
                    [] { return withQuestion(validJson(), 1, questionJson(u"В"_s, {u"a"_s, u""_s}, u"a"_s)); },
                    u"въпрос 2: отговор 2 е празен"_s},
        RefusedCase{"misspelt_field",
                    [] {
                        QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                        q[u"picure"_s] = u"q.jpg"_s;
                        return withQuestion(validJson(), 2, q);
                    },
                    u"въпрос 3: непознато поле „picure“"_s},
        RefusedCase{"answers_not_texts",
                    [] {
                        QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                        q[u"answers"_s] = QJsonArray{1, 2};
                        return withQuestion(validJson(), 0, q);
                    },
                    u"въпрос 1: отговорите (поле answers) трябва да са списък от текстове"_s},
        RefusedCase{"missing_picture_file",
                    [] {
                        QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                        q[u"picture"_s] = u"pictures/q02.jpg"_s;
                        return withQuestion(validJson(), 1, q);
                    },
                    u"въпрос 2: файлът на изображението „pictures/q02.jpg“ не може да се прочете"_s}),
    [](const testing::TestParamInfo<RefusedCase> &info) { return std::string(info.param.name); });

// A source that is not JSON is refused with the line and column of the fault.
TEST(BankReader, RefusesMalformedSourceWithItsPlace)
{
    const QByteArray json = "{\n  \"settings\": [\n    \"a\",\n    \"b\"\n  ]\n  \"questions\": []\n}\n";
    const BankLoad load = readBank(json, u"/nonexistent"_s);
    ASSERT_FALSE(load.bank);
    ASSERT_EQ(load.problems.size(), 1);
    EXPECT_TRUE(load.problems.first().startsWith(u"грешка в записа, ред 6, колона"_s))
        << load.problems.first().toStdString();
}

// A source in another encoding would turn its Cyrillic into garbage: it is refused, not guessed.
TEST(BankReader, RefusesSourceThatIsNotUtf8)
{
    QByteArray json = bytes(validJson());
    json.replace("Въпрос 1", "\xc2\xfa\xef\xf0\xee\xf1 1"); // the same word in a one-byte Cyrillic code page
    const BankLoad load = readBank(json, u"/nonexistent"_s);
    ASSERT_FALSE(load.bank);
    EXPECT_EQ(load.problems, QStringList{u"файлът с въпросите не е в кодиране UTF-8: запишете го като UTF-8"_s});
}

// Several faults are all reported at once, each with its question, so one build shows them all.
TEST(BankReader, ReportsEveryProblemAtOnce)
{
    QJsonObject root = validJson(4);
    root = withQuestion(root, 0, questionJson(u"В"_s, {u"a"_s}, u"a"_s));
    root = withQuestion(root, 3, questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"c"_s));
    const BankLoad load = read(root);
    ASSERT_EQ(load.problems.size(), 2);
    EXPECT_TRUE(load.problems[0].startsWith(u"въпрос 1:"_s));
    EXPECT_TRUE(load.problems[1].startsWith(u"въпрос 4:"_s));
}

class PictureFiles : public testing::Test
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
TEST_F(PictureFiles, ReadsTheFigureBesideTheSource)
{
    const QByteArray jpeg = test::tinyJpeg(3);
    write(u"pictures/q01.jpg"_s, jpeg);
    const BankLoad load = readBankFile(writeBank(u"pictures/q01.jpg"_s), jpegDecodeProblem);
    ASSERT_TRUE(load.bank) << load.problems.join(u'\n').toStdString();
    EXPECT_EQ(load.bank->Picture1(1), jpeg);
    EXPECT_TRUE(load.bank->Picture1(2).isEmpty());
}

// A figure that is not a JPEG, or a cut-off JPEG, is refused at start and at build time alike.
TEST_F(PictureFiles, RefusesFiguresThatCannotBeShown)
{
    write(u"pictures/png.jpg"_s, QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(40, 'x'));
    BankLoad load = readBankFile(writeBank(u"pictures/png.jpg"_s), jpegHeaderProblem);
    ASSERT_EQ(load.problems.size(), 1);
    EXPECT_EQ(load.problems.first(), u"въпрос 1: изображението „pictures/png.jpg“ не може да се покаже: не е във формат JPEG"_s);

    write(u"pictures/cut.jpg"_s, test::tinyJpeg().left(20));
    load = readBankFile(writeBank(u"pictures/cut.jpg"_s), jpegDecodeProblem);
    ASSERT_EQ(load.problems.size(), 1);
    EXPECT_TRUE(load.problems.first().startsWith(u"въпрос 1: изображението „pictures/cut.jpg“ не може да се покаже"_s))
        << load.problems.first().toStdString();
}

// The build-time check fails with every problem on its error output, and passes a sound bank.
TEST_F(PictureFiles, BuildCheckFailsOnABrokenBank)
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
    EXPECT_TRUE(errors.contains(path + u": въпрос 1: изображението „pictures/q01.jpg“ не може да се покаже"_s))
        << errors.toStdString();
}

// The bank the program carries passes its own checks, read from the resources as at start.
TEST(EmbeddedBank, PassesTheChecks)
{
    const BankLoad load = readBankFile(EmbeddedBankPath.toString(), jpegDecodeProblem);
    EXPECT_TRUE(load.bank) << load.problems.join(u'\n').toStdString();
}
