// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/reading.h"

#include "bank/picturecheck.h"
#include "bank/rules.h"
#include "pack/fit.h"
#include "pack/pictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// Where each imported question stands in its source, from 1. With problems only the questions that
// imported cleanly are in source.questions; each keeps the number the source gives it.
std::vector<int> sourceNumbers(const Import &import)
{
    std::vector<int> numbers;
    std::size_t at = 0;
    for (const QuestionSource &question : import.source.questions) {
        while (at < import.begun.size() &&
               (import.begun[at].line != question.line || import.begun[at].text != question.text))
            ++at;
        numbers.push_back(at < import.begun.size() ? int(++at) : int(numbers.size() + 1));
    }
    return numbers;
}

// A source that carries its own title and switches keeps them, but for those the options set.
void changeByOptions(TestDocument &document, const PackOptions &options)
{
    if (options.title)
        document.title = *options.title;
    for (const SwitchInfo &info : switchTable()) {
        if (const std::optional<bool> on = options[info.which])
            document.switches.set(info.which, *on);
    }
}

// Reads the source in its format, puts it through the bank's own checks and builds the bank.
PackResult readSource(const PackOptions &options)
{
    PackResult result;
    result.format = options.format;
    const QString &path = options.source;
    const QFileInfo info(path);
    if (options.format == SourceFormat::Folder) {
        result.file = info.isDir() ? QDir(path).filePath(u"bank.json"_s) : path;
        BankLoad load = readBankFile(result.file, jpegDecodeProblem);
        result.document = std::move(load.document);
        result.problems = std::move(load.problems);
        result.bank = std::move(load.bank);
        result.files = std::move(load.files);
        return result;
    }
    result.file = path;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        result.problems.append({.rule = Rule::Unreadable, .text = u"файлът не може да се прочете"_s});
        return result;
    }
    // From its size alone; and no more than the limit is read, should the file grow meanwhile.
    const qint64 most = maxSourceBytes(options.format);
    const QByteArray bytes = file.size() > most ? QByteArray() : file.read(most + 1);
    if (file.size() > most || bytes.size() > most) {
        result.problems.append({.rule = Rule::TooLarge,
                                .text = tooLargeSource(std::max<qint64>(file.size(), bytes.size()), most)});
        return result;
    }
    Import import = options.format == SourceFormat::Aiken ? importAiken(bytes)
                    : options.format == SourceFormat::Gift
                        ? importGift(bytes, info.path(), PictureBytes::LeftInFile)
                        : importMoodleXml(bytes);
    if (import.hasSettings)
        changeByOptions(import.source, options);
    else
        setOptions(import.source, options, info.completeBaseName());
    const bool everyQuestionImported = import.problems.isEmpty();
    // More questions than a test holds are refused for that alone, before any picture is read. A GIFT
    // source's pictures are read from their files one at a time, as each is converted.
    const bool tooMany =
        import.begun.size() > std::size_t(maxQuestions(import.source.switches.repeatQuestion()));
    PictureConverter pictures(options.format == SourceFormat::Gift ? info.path() : QString());
    if (tooMany) {
        for (auto *questions : {&import.source.questions, &import.begun}) {
            for (TestQuestion &question : *questions) {
                question.picture.clear();
                question.pictureName.clear();
            }
        }
    } else {
        convertPictures(import.source, import.problems, sourceNumbers(import), pictures);
    }
    result.problems = import.problems;
    if (result.problems.isEmpty())
        result.problems = checkBank(import.source, jpegDecodeProblem);
    result.warnings = import.warnings;
    if (result.problems.isEmpty()) {
        // The written bank goes through the reader once more, exactly as the program will read it.
        result.files = bankFiles(import.source);
        result.payload = packPayload(result.files);
        BankLoad load = readPayload(result.payload, PayloadOrigin::Appended, jpegDecodeProblem);
        result.problems = std::move(load.problems);
        result.bank = std::move(load.bank);
    }
    if (!everyQuestionImported)
        result.begun = withShownPictures(std::move(import.begun), pictures);
    result.document = std::move(import.source);
    return result;
}

} // namespace

// The default switches are those of the shipped test; only the title is the source's own.
void setOptions(TestDocument &document, const PackOptions &options, const QString &title)
{
    document.title = options.title.value_or(title);
    for (const SwitchInfo &info : switchTable()) {
        const std::optional<bool> on = options[info.which];
        document.switches.setDigit(info.which, on ? int(*on) : info.shipped);
    }
}

std::optional<SourceFormat> formatNamed(const QString &name)
{
    if (name == u"folder")
        return SourceFormat::Folder;
    if (name == u"aiken")
        return SourceFormat::Aiken;
    if (name == u"gift")
        return SourceFormat::Gift;
    if (name == u"moodle")
        return SourceFormat::MoodleXml;
    return std::nullopt;
}

QStringList PackResult::messages(const QString &shownAs) const
{
    const QString name = shownAs.isEmpty() ? file : shownAs;
    QStringList lines;
    for (const Problem &problem : problems)
        lines.append(located(name, problem));
    for (const Problem &warning : warnings)
        lines.append(located(name, warning, u"внимание: "));
    return lines;
}

PackResult pack(const PackOptions &options)
{
    PackResult result = readSource(options);
    if (result.problems.isEmpty())
        result.warnings += fitWarnings(result.document);
    // Built once, for every program written or tried from this reading.
    if (result.bank && result.payload.isEmpty())
        result.payload = packPayload(result.files);
    if (options.strict) {
        result.problems += result.warnings;
        result.warnings.clear();
    }
    return result;
}

QString tooLargeSource(qint64 size, qint64 most)
{
    return u"файлът с въпросите е твърде голям: %1 байта, най-много %2"_s.arg(size).arg(most);
}

} // namespace morv
