// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The README's example for teachers is a bank the reader accepts, with a picture that exists: a
// teacher who copies it gets a working test.
#include "bank/bankreader.h"
#include "bank/picturecheck.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <type_traits>

using namespace Qt::Literals::StringLiterals;

namespace morv {
namespace {

const QString SourceDir = QStringLiteral(MORV_SOURCE_DIR);

// The first ```json block under the heading of the bank file's description, or an empty text.
QByteArray readmeBankExample()
{
    QFile readme(SourceDir + u"/README.md"_s);
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = readme.readAll();
    const qsizetype heading = text.indexOf("### Файлът `bank.json`");
    if (heading < 0)
        return {};
    const QByteArray fence = "```json\n";
    const qsizetype start = text.indexOf(fence, heading);
    if (start < 0)
        return {};
    const qsizetype end = text.indexOf("\n```", start + fence.size());
    if (end < 0)
        return {};
    return text.mid(start + fence.size(), end - start - fence.size() + 1);
}

// The example as a whole bank: its questions repeated up to the three a test needs at least.
QByteArray asWholeBank(const QJsonObject &example)
{
    QJsonObject root = example;
    const QJsonArray given = example.value(u"questions"_s).toArray();
    QJsonArray questions = given;
    for (qsizetype k = 0; !given.isEmpty() && questions.size() < 3; ++k)
        questions.append(given.at(k % given.size()));
    root.insert(u"questions"_s, questions);
    return QJsonDocument(root).toJson();
}

// The problems in one text for a failure message; the reader gives them as texts or with their lines.
template <typename Problems>
QString joined(const Problems &problems)
{
    QStringList lines;
    for (const auto &problem : problems) {
        if constexpr (std::is_same_v<std::decay_t<decltype(problem)>, QString>)
            lines.append(problem);
        else
            lines.append(shownText(problem));
    }
    return lines.join(u'\n');
}

// Read as the build reads bank/content/bank.json: pictures from beside it, fully decoded.
BankLoad readAsBankContent(const QByteArray &json)
{
    return readBank(json, SourceDir + u"/bank/content"_s, jpegDecodeProblem);
}

// The example parses, holds the six settings rows and a question with its picture, and read beside
// the shipped pictures it gives a bank with that question, figure and explanation.
TEST(ReadmeExample, IsAValidBankFragmentWithAnExistingPicture)
{
    const QByteArray example = readmeBankExample();
    ASSERT_FALSE(example.isEmpty()) << "README.md has no ```json block under „### Файлът `bank.json`“";
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(example, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_TRUE(document.isObject());
    const QJsonArray questions = document.object().value(u"questions"_s).toArray();
    ASSERT_GE(questions.size(), 1);
    const QJsonObject first = questions.at(0).toObject();
    EXPECT_FALSE(first.value(u"picture"_s).toString().isEmpty()) << "the example should show a picture";

    const BankLoad load = readAsBankContent(asWholeBank(document.object()));
    ASSERT_TRUE(load.bank.has_value()) << joined(load.problems).toStdString();
    EXPECT_TRUE(load.problems.isEmpty());
    const Bank &bank = *load.bank;
    EXPECT_EQ(bank.List2().size(), 6);
    EXPECT_EQ(bank.List1(1).value(0), first.value(u"text"_s).toString());
    EXPECT_EQ(bank.List1(0).value(0), first.value(u"correct"_s).toString());
    EXPECT_FALSE(bank.Picture1(1).isEmpty());
    EXPECT_EQ(bank.Obqsnenie(1).size(), first.value(u"explanation"_s).toArray().size());
}

// The same route refuses the example the README once had, whose picture pictures/q02.jpg does not
// exist: a broken example fails the test above rather than slipping through.
TEST(ReadmeExample, AMissingPictureIsRefused)
{
    QByteArray example = readmeBankExample();
    ASSERT_FALSE(example.isEmpty());
    const QJsonObject root = QJsonDocument::fromJson(example).object();
    QJsonArray questions = root.value(u"questions"_s).toArray();
    ASSERT_GE(questions.size(), 1);
    QJsonObject first = questions.at(0).toObject();
    first.insert(u"picture"_s, u"pictures/q02.jpg"_s);
    questions.replace(0, first);
    QJsonObject broken = root;
    broken.insert(u"questions"_s, questions);

    const BankLoad load = readAsBankContent(asWholeBank(broken));
    EXPECT_FALSE(load.bank.has_value());
    ASSERT_FALSE(load.problems.isEmpty());
    EXPECT_TRUE(joined(load.problems).contains(u"q02.jpg"_s)) << joined(load.problems).toStdString();
}

} // namespace
} // namespace morv
