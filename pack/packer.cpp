// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/packer.h"

#include "bank/bankwriter.h"
#include "bank/payload.h"
#include "bank/picturecheck.h"
#include "bank/programfile.h"
#include "bank/rules.h"
#include "engine/controls.h"
#include "engine/look.h"
#include "engine/textfit.h"
#include "pack/pictures.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// Windows starts only a program whose name says it is one.
#ifdef Q_OS_WIN
const QString ProgramSuffix = u".exe"_s;
#else
const QString ProgramSuffix;
#endif

constexpr std::array<SwitchRow, SwitchCount> Switches = {{
    {Switch::Phrase, u"phrase", u"ЧЕО - фраза от 2 части", Bank::PhraseRow, false},
    {Switch::Toto, u"toto", u"Проверка за Тото", Bank::TotoRow, true},
    {Switch::Explanations, u"explanations", u"Дава описание", Bank::ExplanationRow, true},
    {Switch::Review, u"review", u"Дава обяснения", Bank::ResultsNavigationRow, false},
}};

struct Report
{
    QString file;
    QList<Problem> problems;
    QList<Problem> warnings;
};

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

// Every question begun, with its picture as the test would show it, for a source that cannot be packed
// yet: a picture that cannot be converted is already a problem of its own.
std::vector<QuestionSource> withShownPictures(std::vector<QuestionSource> questions,
                                              PictureConverter &pictures)
{
    for (QuestionSource &question : questions) {
        if (!question.pictureName.isEmpty())
            question.picture = (question.picture.isEmpty() ? pictures.convertFile(question.pictureName)
                                                           : pictures.convert(question.picture))
                                   .jpeg;
    }
    return questions;
}

// Pictures of an imported source become JPEGs that fit the picture box, named by their question.
void convertPictures(BankSource &source, QList<Problem> &problems, const std::vector<int> &numbers,
                     PictureConverter &pictures)
{
    for (std::size_t i = 0; i < source.questions.size(); ++i) {
        QuestionSource &question = source.questions[i];
        if (question.pictureName.isEmpty())
            continue;
        const ConvertedPicture converted = question.picture.isEmpty()
                                               ? pictures.convertFile(question.pictureName)
                                               : pictures.convert(question.picture);
        if (!converted.problem.isEmpty())
            problems.append({.rule = Rule::Picture,
                             .line = question.line,
                             .question = numbers[i],
                             .text = u"въпрос %1: изображението „%2“: %3"_s.arg(numbers[i])
                                         .arg(question.pictureName, converted.problem)});
        question.picture = converted.jpeg;
        question.pictureName = u"pictures/q%1.jpg"_s.arg(int(i + 1), 2, 10, QChar(u'0'));
    }
}

// What a pupil would not see whole in the program's window, measured with its font and boxes.
QList<Problem> fitWarnings(const BankSource &source)
{
    const QFont font = windowFont();
    const QSize questionBox = textBoxRect(Question).size();
    const QSize answerBox = textBoxRect(AnswerA).size();
    const QSize fifthBox = textBoxRect(AnswerE).size();
    const QSize pictureBox = figureBoxRect().size();
    QList<Problem> warnings;
    for (std::size_t i = 0; i < source.questions.size(); ++i) {
        const QuestionSource &question = source.questions[i];
        auto warn = [&](const QString &text) {
            warnings.append({.rule = Rule::DoesNotFit,
                             .line = question.line,
                             .question = int(i) + 1,
                             .text = questionPlace(i) + u": "_s + text});
        };
        if (const TextFit fit = fitText(question.text, font, questionBox); !fit.fits)
            warn(u"текстът на въпроса заема %1 реда, а полето показва %2"_s.arg(fit.lines).arg(
                fit.visibleLines));
        QStringList tooWideForTheFifth;
        for (qsizetype a = 0; a < question.answers.size(); ++a) {
            if (const TextFit fit = fitText(question.answers[a], font, answerBox); !fit.fits)
                warn(u"отговор %1 не се събира в полето си (%2 реда, а то показва %3)"_s.arg(a + 1)
                         .arg(fit.lines)
                         .arg(fit.visibleLines));
            if (question.answers.size() == OptionCount && !fitText(question.answers[a], font, fifthBox).fits)
                tooWideForTheFifth.append(QString::number(a + 1));
        }
        // With five answers, any of them may be shuffled into the narrow fifth box.
        if (!tooWideForTheFifth.isEmpty())
            warn(
                u"при пет отговора всеки може да се падне в тясното пето поле, а отговори %1 не се събират в "
                u"него"_s.arg(tooWideForTheFifth.join(u", "_s)));
        // Its size as stored is enough: the checks before have decoded it.
        QBuffer picture;
        picture.setData(question.picture);
        if (const QSize size = QImageReader(&picture).size();
            size.isValid() && (size.width() > pictureBox.width() || size.height() > pictureBox.height()))
            warn(u"изображението е %1 × %2 пиксела и ще се покаже отрязано до %3 × %4"_s.arg(size.width())
                     .arg(size.height())
                     .arg(pictureBox.width())
                     .arg(pictureBox.height()));
    }
    return warnings;
}

struct Packed
{
    Report report;
    BankLoad load;
    BankSource source; // as read from the source, with its lines: what the fit warnings point at
    std::vector<QuestionSource> questions; // every question of the source, also those refused
};

// Reads the source in its format, puts it through the bank's own checks and builds the bank.
Packed readSource(const QString &path, SourceFormat format, const PackOptions &options)
{
    Packed packed;
    const QFileInfo info(path);
    if (format == SourceFormat::Folder) {
        const QString json = info.isDir() ? QDir(path).filePath(u"bank.json"_s) : path;
        packed.report.file = json;
        packed.load = readBankFile(json, jpegDecodeProblem);
        packed.report.problems = packed.load.problems;
        packed.source = packed.load.source;
        packed.questions = packed.load.source.questions;
        return packed;
    }
    packed.report.file = path;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        packed.report.problems.append({.rule = Rule::Unreadable, .text = u"файлът не може да се прочете"_s});
        return packed;
    }
    // From its size alone; and no more than the limit is read, should the file grow meanwhile.
    const qint64 most = maxSourceBytes(format);
    const QByteArray bytes = file.size() > most ? QByteArray() : file.read(most + 1);
    if (file.size() > most || bytes.size() > most) {
        packed.report.problems.append(
            {.rule = Rule::TooLarge,
             .text = tooLargeSource(std::max<qint64>(file.size(), bytes.size()), most)});
        return packed;
    }
    Import import = format == SourceFormat::Aiken  ? importAiken(bytes)
                    : format == SourceFormat::Gift ? importGift(bytes, info.path(), PictureBytes::LeftInFile)
                                                   : importMoodleXml(bytes);
    import.source.settings = settingsFor(options, info.completeBaseName());
    const bool everyQuestionImported = import.problems.isEmpty();
    // More questions than a test holds are refused for that alone, before any picture is read. A GIFT
    // source's pictures are read from their files one at a time, as each is converted.
    const bool tooMany = import.begun.size() >
                         std::size_t(maxQuestions(Settings::fromRows(import.source.settings).repeatQuestion));
    PictureConverter pictures(format == SourceFormat::Gift ? info.path() : QString());
    if (tooMany) {
        for (auto *questions : {&import.source.questions, &import.begun}) {
            for (QuestionSource &question : *questions) {
                question.picture.clear();
                question.pictureName.clear();
            }
        }
    } else {
        convertPictures(import.source, import.problems, sourceNumbers(import), pictures);
    }
    QList<Problem> problems = import.problems;
    if (problems.isEmpty())
        problems = checkBank(import.source, jpegDecodeProblem);
    packed.report.problems = problems;
    packed.report.warnings = import.warnings;
    if (problems.isEmpty()) {
        // The written bank goes through the reader once more, exactly as the program will read it.
        packed.load = readPayload(packPayload(bankFiles(bankJson(import.source), import.source)),
                                  PayloadOrigin::Appended, jpegDecodeProblem);
        packed.report.problems = packed.load.problems;
    }
    packed.questions = everyQuestionImported ? import.source.questions
                                             : withShownPictures(std::move(import.begun), pictures);
    packed.source = std::move(import.source);
    return packed;
}

} // namespace

std::span<const SwitchRow> switchRows()
{
    return Switches;
}

// The default switches are those of the shipped test; only the title is the source's own.
QStringList settingsFor(const PackOptions &options, const QString &title)
{
    QStringList rows = {u"Настройки - последната цифра"_s, {}, {}, options.title.value_or(title), {}, {}};
    for (const SwitchRow &row : Switches)
        rows[row.row] = row.rowText.toString() + u" - "_s +
                        QString::number(int(options[row.which].value_or(row.shipped)));
    return rows;
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
    for (Problem warning : warnings) {
        warning.text.prepend(u"внимание: "_s);
        lines.append(located(name, warning));
    }
    return lines;
}

PackResult pack(const PackOptions &options)
{
    Packed packed = readSource(options.source, options.format, options);
    if (packed.report.problems.isEmpty())
        packed.report.warnings += fitWarnings(packed.source);
    if (options.strict) {
        packed.report.problems += packed.report.warnings;
        packed.report.warnings.clear();
    }
    PackResult result;
    result.file = packed.report.file;
    result.format = options.format;
    result.load = std::move(packed.load);
    result.source = std::move(packed.source);
    result.questions = std::move(packed.questions);
    result.problems = std::move(packed.report.problems);
    result.warnings = std::move(packed.report.warnings);
    return result;
}

// morv beside morv-pack (morv.exe on Windows), else the one on the PATH.
QString defaultProgram()
{
    const QString beside =
        QStandardPaths::findExecutable(u"morv"_s, {QCoreApplication::applicationDirPath()});
    return beside.isEmpty() ? QStandardPaths::findExecutable(u"morv"_s) : beside;
}

// Writes the program: the base program's own bytes and the bank, under a temporary name renamed when
// complete, executable.
QString tooLargeSource(qint64 size, qint64 most)
{
    return u"файлът с въпросите е твърде голям: %1 байта, най-много %2"_s.arg(size).arg(most);
}

// Only the program itself, recognised by its structure: a FIFO or a device would never end, and a copy
// of anything else would not run the test.
BaseProgram readBaseProgram(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return {{}, u"програмата morv „%1“ не е намерена; посочете я с --program"_s.arg(path)};
    if (!info.isFile())
        return {{}, u"„%1“ не е обикновен файл, а трябва да е програмата morv"_s.arg(path)};
    if (info.size() > MaxProgramBytes)
        return {{},
                u"„%1“ е твърде голям за програмата morv: %2 байта, най-много %3"_s.arg(path)
                    .arg(info.size())
                    .arg(MaxProgramBytes)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, u"програмата morv „%1“ не може да се прочете"_s.arg(path)};
    const QByteArray bytes = file.read(MaxProgramBytes + 1);
    const ProgramFile kind = bytes.size() > MaxProgramBytes ? ProgramFile::Other : programFile(bytes);
    if (kind == ProgramFile::Other)
        return {{}, u"„%1“ не е програмата morv"_s.arg(path)};
    if (kind == ProgramFile::PackedDamaged)
        return {{}, u"„%1“ е програма с повреден добавен тест; посочете самата morv"_s.arg(path)};
    return {withoutAppendedBank(bytes), {}};
}

namespace {

// What the file at path is as a program, looked at in place, without reading it into memory.
ProgramFile programFileAt(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxProgramBytes || file.size() == 0)
        return ProgramFile::Other;
    const uchar *bytes = file.map(0, file.size());
    return bytes ? programFile(QByteArrayView(bytes, file.size())) : ProgramFile::Other;
}

// The base program's own bytes, marked, and the bank, under a temporary name created anew in the same
// folder and renamed when complete; executable.
QString writeProgramCode(const QByteArray &code, const QString &output, const BankFiles &files)
{
    const QByteArray program = withAppendedBank(code, packPayload(files));
    QSaveFile out(output);
    if (!out.open(QIODevice::WriteOnly) || out.write(program) != program.size() || !out.commit())
        return u"„%1“ не може да се запише"_s.arg(output);
    QFile::setPermissions(output, QFile::permissions(output) | QFile::ExeOwner | QFile::ExeGroup |
                                      QFile::ExeOther | QFile::ReadGroup | QFile::ReadOther);
    return {};
}

} // namespace

QString outputProblem(const QString &output, const QString &sourceFile, const QString &program)
{
    if (output.isEmpty())
        return u"името на файла за програмата е празно: напишете го след -o, например -o тест"_s;
    const QFileInfo target(output);
    if (target.isSymLink())
        return u"„%1“ е символна връзка; morv-pack не пише през връзки: изберете друго име"_s.arg(output);
    if (!target.exists()) {
        if (!QFileInfo(target.absolutePath()).isDir())
            return u"папката на „%1“ не съществува"_s.arg(output);
        return {};
    }
    if (!target.isFile())
        return u"„%1“ не е обикновен файл (а папка, устройство или канал); изберете друго име"_s.arg(output);
    if (target == QFileInfo(program) || target == QFileInfo(QCoreApplication::applicationFilePath()))
        return u"„%1“ е самата програма; изберете друго име за теста"_s.arg(output);
    if (!sourceFile.isEmpty() && target == QFileInfo(sourceFile))
        return u"„%1“ е самият източник; изберете друго име за програмата"_s.arg(output);
    // Only a program morv-pack wrote, whole: what its trailer does not describe may be anything.
    switch (programFileAt(output)) {
    case ProgramFile::Packed:
        return {};
    case ProgramFile::PackedDamaged:
        return u"„%1“ е програма от morv-pack, чийто добавен тест е повреден или променен; morv-pack заменя "
               u"само свои цели програми: изтрийте я или изберете друго име"_s.arg(output);
    default:
        return u"„%1“ вече съществува и не е програма, записана от morv-pack; изберете друго име"_s.arg(
            output);
    }
}

QString jsonFolderProblem(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.isSymLink())
        return u"„%1“ е символна връзка; morv-pack не пише през връзки: изберете друга папка"_s.arg(folder);
    if (!info.exists())
        return {};
    if (!info.isDir())
        return u"„%1“ не е папка"_s.arg(folder);
    if (!QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return u"папката „%1“ не е празна; morv-pack пише само в нова или празна папка"_s.arg(folder);
    return {};
}

QString writeProgram(const QString &program, const QString &output, const BankFiles &files,
                     const QString &sourceFile)
{
    const BaseProgram base = readBaseProgram(program);
    if (!base.problem.isEmpty())
        return base.problem;
    if (const QString why = outputProblem(output, sourceFile, program); !why.isEmpty())
        return why;
    return writeProgramCode(base.code, output, files);
}

QString writeJson(const QString &folder, const BankLoad &load)
{
    if (const QString why = jsonFolderProblem(folder); !why.isEmpty())
        return why;
    if (!QDir().mkpath(folder))
        return u"папката „%1“ не може да се създаде"_s.arg(folder);
    auto write = [](const QString &path, const QByteArray &bytes) {
        QSaveFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    };
    bool written = write(QDir(folder).filePath(u"bank.json"_s), load.files.json);
    for (auto picture = load.files.pictures.cbegin(); picture != load.files.pictures.cend(); ++picture) {
        const QString path = QDir(folder).filePath(picture.key());
        written = written && QDir().mkpath(QFileInfo(path).path()) && write(path, picture.value());
    }
    return written ? QString() : u"тестът не може да се запише в „%1“"_s.arg(folder);
}

// Starts the program on its own: the terminal gets back its prompt, and the program none of its output.
bool startPreview(const QString &program, bool dropChosenPlatform)
{
    QProcess preview;
    preview.setProgram(program);
    if (dropChosenPlatform) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"QT_QPA_PLATFORM"_s);
        preview.setProcessEnvironment(environment);
    }
    preview.setStandardOutputFile(QProcess::nullDevice());
    preview.setStandardErrorFile(QProcess::nullDevice());
    return preview.startDetached();
}

PreviewProgram writeAndStartPreview(const QString &program, const BankFiles &files, bool dropChosenPlatform)
{
    PreviewProgram written;
    // The program first: a refused one leaves nothing behind in the temporary folder.
    const BaseProgram base = readBaseProgram(program);
    if (!base.problem.isEmpty()) {
        written.failure = base.problem;
        return written;
    }
    {
        QTemporaryFile preview(QDir::temp().filePath(u"morv-preview-XXXXXX"_s + ProgramSuffix));
        preview.setAutoRemove(false);
        preview.open();
        written.program = preview.fileName();
    }
    // The temporary file was just made for it: only the program is checked.
    written.failure = writeProgramCode(base.code, written.program, files);
    if (written.failure.isEmpty() && !startPreview(written.program, dropChosenPlatform))
        written.failure = u"„%1“ не може да се стартира"_s.arg(written.program);
    return written;
}

} // namespace morv
