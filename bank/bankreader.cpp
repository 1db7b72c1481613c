// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/bankreader.h"

#include "bank/bankwriter.h"
#include "bank/jsonsource.h"
#include "bank/rules.h"

#include <QFile>
#include <QFileInfo>
#include <QResource>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace morv {

// The largest payload the limits allow: its marker, the bank.json, and every figure with its name, each
// with the length QDataStream writes before it.
static_assert(MaxPayloadBytes >=
              64 + limits::JsonBytes +
                  Bank::PictureSlots * (8 + 2 * limits::PictureName + limits::PictureBytes));

namespace {

// A load refused before a bank could be read, for the one reason given.
BankLoad refused(const Problem &problem)
{
    BankLoad load;
    load.problems.append(problem);
    return load;
}

BankLoad refused(Rule rule, const QString &text)
{
    return refused({.rule = rule, .text = text});
}

} // namespace

PictureFiles picturesIn(const QString &folder)
{
    return [folder](const QString &name) { return readSourceFile(folder, name, limits::PictureBytes); };
}

PictureFiles picturesFrom(const QMap<QString, QByteArray> &pictures)
{
    return [pictures](const QString &name) -> SourceFile {
        if (!pictures.contains(name))
            return {{}, u"файлът на изображението %1 не може да се прочете"_s.arg(inQuotes(name))};
        return {pictures.value(name), {}};
    };
}

Bank buildBank(const BankSource &source)
{
    Bank bank;
    bank.setSettings(source.settings);
    QStringList correct;
    const int count = int(source.questions.size());
    for (int k = 1; k <= count; ++k) {
        const QuestionSource &question = source.questions[std::size_t(k - 1)];
        correct.append(question.correct);
        bank.setList1(k, QStringList{question.text} + question.answers);
        bank.setObqsnenie(k, question.explanation);
        bank.setPicture1(k, question.picture, question.pictureText);
    }
    bank.setList1(Bank::CorrectAnswers, correct);
    for (int k = count + 1; k < Bank::QuestionSlots; ++k)
        bank.setList1(k, {u"List1(%1) - въпрос от теста"_s.arg(k)});
    bank.setObqsnenie(0, {u"Остави ме на мира Обяснение - няма"_s});
    for (int k = count + 1; k < Bank::ExplanationSlots; ++k)
        bank.setObqsnenie(k, {u"Обяснение %1"_s.arg(k)});
    return bank;
}

Bank buildBank(const TestDocument &document)
{
    return buildBank(bankSource(document));
}

BankLoad readBank(const QByteArray &json, const PictureFiles &pictures, const PictureCheck &pictureCheck)
{
    ParsedBank parsed = parseBank(json, pictures);
    BankLoad load;
    load.problems = parsed.problems;
    if (load.problems.isEmpty())
        load.problems = checkBank(parsed.document, pictureCheck);
    if (load.problems.isEmpty())
        load.bank = buildBank(parsed.document);
    load.files = bankFiles(json, parsed.document);
    load.document = std::move(parsed.document);
    return load;
}

BankLoad readBank(const QByteArray &json, const QString &folder, const PictureCheck &pictureCheck)
{
    return readBank(json, picturesIn(folder), pictureCheck);
}

BankLoad readBankFile(const QString &path, const PictureCheck &pictureCheck)
{
    QFile file(path);
    // The source is text: a few megabytes at most, never a device or a FIFO.
    const QFileInfo info(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return refused(Rule::Unreadable, u"файлът с въпросите %1 не може да се отвори"_s.arg(inQuotes(path)));
    // Refused from its size alone, before a byte is read.
    if (file.size() > limits::JsonBytes)
        return refused(Rule::TooLarge,
                       u"файлът с въпросите %1 е твърде голям: %2 байта, най-много %3"_s.arg(inQuotes(path))
                           .arg(file.size())
                           .arg(limits::JsonBytes));
    return readBank(file.read(limits::JsonBytes), info.path(), pictureCheck);
}

BankFiles bankFiles(const QByteArray &json, const TestDocument &document)
{
    BankFiles files{json, {}};
    for (const QuestionSource &question : document.questions) {
        if (!question.pictureName.isEmpty())
            files.pictures.insert(question.pictureName, question.picture);
    }
    return files;
}

BankFiles bankFiles(const TestDocument &document)
{
    return bankFiles(bankJson(document), document);
}

namespace {

// Reads the files of a payload: the bank they hold, or why not.
BankLoad readPayloadFiles(const BankFiles &files, PayloadOrigin origin, const PictureCheck &pictureCheck)
{
    const QString damaged = damagedPayload(origin);
    if (files.json.size() > limits::JsonBytes)
        return refused(
            Rule::DamagedPayload,
            damaged +
                u": текстът му е %1 байта, най-много %2"_s.arg(files.json.size()).arg(limits::JsonBytes));
    BankLoad load = readBank(files.json, picturesFrom(files.pictures), pictureCheck);
    // morv-pack and the build put in only the figures the bank names: anything else was added by hand.
    QSet<QString> named;
    for (const QuestionSource &question : load.document.questions) {
        if (!question.pictureName.isEmpty())
            named.insert(question.pictureName);
    }
    for (const QString &name : files.pictures.keys()) {
        if (!named.contains(name)) {
            load.bank.reset();
            load.problems.append(
                {.rule = Rule::DamagedPayload,
                 .text = damaged + u": съдържа файла %1, който тестът не назовава"_s.arg(inQuotes(name))});
        }
    }
    return load;
}

} // namespace

BankLoad readPayload(const QByteArray &payload, PayloadOrigin origin, const PictureCheck &pictureCheck)
{
    const Found<BankFiles> files = unpackPayload(payload, origin);
    if (!files)
        return refused(*files.problem);
    return readPayloadFiles(*files, origin, pictureCheck);
}

BankLoad readEmbeddedBank(const PictureCheck &pictureCheck)
{
    // Read in place where the resource is stored as it is: no copy of the figures is made to read them.
    const QResource embedded(EmbeddedPayloadPath.toString());
    if (!embedded.isValid())
        return refused(Rule::DamagedPayload, u"програмата няма вграден тест"_s);
    if (embedded.compressionAlgorithm() != QResource::NoCompression)
        return readPayload(embedded.uncompressedData(), PayloadOrigin::Embedded, pictureCheck);
    return readPayload(
        QByteArray::fromRawData(reinterpret_cast<const char *>(embedded.data()), embedded.size()),
        PayloadOrigin::Embedded, pictureCheck);
}

BankLoad readProgramBank(const QString &programPath, ProgramMark mark, const PictureCheck &pictureCheck)
{
    // A program as built runs its own test: it never looks at what may have been added to its file.
    if (mark == ProgramMark::AsBuilt)
        return readEmbeddedBank(pictureCheck);
    // A packed program without its bank is a copy cut short: it must not fall back to another test.
    const Found<BankFiles> appended = appendedBank(programPath);
    if (appended)
        return readPayloadFiles(*appended, PayloadOrigin::Appended, pictureCheck);
    return refused(appended.problem.value_or(damagedPayloadProblem(PayloadOrigin::Appended)));
}

} // namespace morv
