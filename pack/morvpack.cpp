// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// morv-pack: turns a teacher's questions (a bank.json folder, Aiken, GIFT or Moodle XML) into a ready
// test program: a copy of morv with the checked bank appended. Every problem of the source is told in
// one run, one per line, as FILE:LINE: text.
#include "bank/bankreader.h"
#include "bank/bankwriter.h"
#include "bank/payload.h"
#include "bank/picturecheck.h"
#include "bank/textfit.h"
#include "engine/controls.h"
#include "engine/formstate.h"
#include "pack/importer.h"
#include "pack/pictures.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTextStream>

#include <optional>

using namespace Qt::Literals::StringLiterals;
using namespace morv;

namespace {

enum Exit { Written = 0, SourceProblems = 1, UsageError = 2 };

const QString Usage = uR"(Употреба / Usage:
  morv-pack ИЗТОЧНИК -o ФАЙЛ      записва готова програма с теста
                                  writes a ready test program
  morv-pack --check ИЗТОЧНИК      само проверява, без да записва
                                  checks only, writes nothing
  morv-pack ИЗТОЧНИК --json ПАПКА записва теста като bank.json с изображенията
                                  writes the test as a bank.json folder
  morv-pack ИЗТОЧНИК --preview    записва временна програма и я стартира
                                  writes a temporary program and starts it

ИЗТОЧНИК е папка с bank.json или файл във формат Aiken, GIFT или Moodle XML.
SOURCE is a folder with bank.json, or an Aiken, GIFT or Moodle XML file.

Възможности / Options:
  -o, --output ФАЙЛ        програмата, която да се запише: нов файл или записан от morv-pack
                           the program file to write: a new one or one morv-pack wrote
  --check                  само проверка / check only
  --json ПАПКА             записва bank.json и изображенията в нова или празна папка
                           write bank.json and pictures into a new or empty folder
  --preview                стартира временна програма / start a temporary program
  --format ФОРМАТ          folder, aiken, gift или moodle, вместо да се познава
                           force the source format instead of recognising it
  --program ПЪТ            програмата morv, която да се копира (иначе тази до morv-pack)
                           the morv program to copy (default: the one beside morv-pack)
  --title ТЕКСТ            заглавие на теста (иначе името на файла)
                           the test's title (default: the file's name)
  --phrase 0|1             режим за езикови тестове / phrase preview for language tests
  --toto 0|1               проверката „Тото“ / the repeated-question consistency check
  --explanations 0|1       обясненията след оценяване / explanations after grading
  --review 0|1             „Напред“ и „Назад“ след оценяване / Forward and Back after grading
  --strict                 предупрежденията стават грешки / warnings become problems
  -h, --help               тази помощ / this help

Изход / Exit status: 0 записано, 1 има проблеми в източника, 2 грешна употреба.
0 written, 1 the source has problems, 2 usage error.
)"_s;

struct Report
{
    QString file;
    QList<Problem> problems;
    QList<Problem> warnings;

    void print(QTextStream &err) const
    {
        for (const Problem &problem : problems)
            err << located(file, problem) << '\n';
        for (const Problem &warning : warnings)
            err << located(file, {warning.line, u"внимание: "_s + warning.text}) << '\n';
    }
};

// The default switches are those of the shipped test; only the title is the source's own.
QStringList settingsFor(const QCommandLineParser &args, const QString &title)
{
    auto row = [&args](const QString &option, const QString &text, int shipped) {
        return text + u" - "_s + (args.isSet(option) ? args.value(option) : QString::number(shipped));
    };
    return {u"Настройки - последната цифра"_s,
            row(u"phrase"_s, u"ЧЕО - фраза от 2 части"_s, 0),
            row(u"toto"_s, u"Проверка за Тото"_s, 1),
            args.isSet(u"title"_s) ? args.value(u"title"_s) : title,
            row(u"explanations"_s, u"Дава описание"_s, 1),
            row(u"review"_s, u"Дава обяснения"_s, 0)};
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

// Pictures of an imported source become JPEGs that fit the picture box, named by their question.
void convertPictures(BankSource &source, QList<Problem> &problems)
{
    for (std::size_t i = 0; i < source.questions.size(); ++i) {
        QuestionSource &question = source.questions[i];
        if (question.picture.isEmpty())
            continue;
        const ConvertedPicture converted = toFittingJpeg(question.picture);
        if (!converted.problem.isEmpty())
            problems.append({question.line, u"въпрос %1: изображението „%2“: %3"_s.arg(qsizetype(i + 1))
                                                .arg(question.pictureName, converted.problem)});
        question.picture = converted.jpeg;
        question.pictureName = u"pictures/q%1.jpg"_s.arg(int(i + 1), 2, 10, QChar(u'0'));
    }
}

// A box's size in pixels as the window lays it out.
QSize boxOf(const Control &box)
{
    return pixelRect(box.left, box.top, box.width, box.height).size();
}

// What a pupil would not see whole in the program's window, measured with its font and boxes.
QList<Problem> fitWarnings(const BankSource &source)
{
    QFont font(layout::FontFamily.toString(), layout::FontPointSize);
    font.setStyleStrategy(QFont::PreferNoShaping);
    const FormState window = FormState::fromLayout();
    const QSize questionBox = boxOf(window.Text2[Question]);
    const QSize answerBox = boxOf(window.Text2[AnswerA]);
    const QSize fifthBox = boxOf(window.Text2[AnswerE]);
    const QSize pictureBox = boxOf(window.Picture2);
    QList<Problem> warnings;
    for (std::size_t i = 0; i < source.questions.size(); ++i) {
        const QuestionSource &question = source.questions[i];
        auto warn = [&](const QString &text) {
            warnings.append({question.line, u"въпрос %1: "_s.arg(qsizetype(i + 1)) + text});
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
        if (const QImage image = QImage::fromData(question.picture);
            !image.isNull() && (image.width() > pictureBox.width() || image.height() > pictureBox.height()))
            warn(u"изображението е %1 × %2 пиксела и ще се покаже отрязано до %3 × %4"_s.arg(image.width())
                     .arg(image.height())
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
};

QString tooLarge(qint64 size, qint64 most)
{
    return u"файлът с въпросите е твърде голям: %1 байта, най-много %2"_s.arg(size).arg(most);
}

// Reads the source in its format, puts it through the bank's own checks and builds the bank.
Packed readSource(const QString &path, SourceFormat format, const QCommandLineParser &args)
{
    Packed packed;
    const QFileInfo info(path);
    if (format == SourceFormat::Folder) {
        const QString json = info.isDir() ? QDir(path).filePath(u"bank.json"_s) : path;
        packed.report.file = json;
        packed.load = readBankFile(json, jpegDecodeProblem);
        packed.report.problems = packed.load.problems;
        packed.source = packed.load.source;
        return packed;
    }
    packed.report.file = path;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        packed.report.problems.append({0, u"файлът не може да се прочете"_s});
        return packed;
    }
    // From its size alone; and no more than the limit is read, should the file grow meanwhile.
    const qint64 most = maxSourceBytes(format);
    const QByteArray bytes = file.size() > most ? QByteArray() : file.read(most + 1);
    if (file.size() > most || bytes.size() > most) {
        packed.report.problems.append({0, tooLarge(std::max<qint64>(file.size(), bytes.size()), most)});
        return packed;
    }
    Import import = format == SourceFormat::Aiken  ? importAiken(bytes)
                    : format == SourceFormat::Gift ? importGift(bytes, info.path())
                                                   : importMoodleXml(bytes);
    import.source.settings = settingsFor(args, info.completeBaseName());
    convertPictures(import.source, import.problems);
    QList<Problem> problems = import.problems;
    if (problems.isEmpty())
        problems = checkBank(import.source, jpegDecodeProblem);
    packed.report.problems = problems;
    if (problems.isEmpty()) {
        // The written bank goes through the reader once more, exactly as the program will read it.
        packed.load = readPayload(packPayload(bankFiles(bankJson(import.source), import.source)),
                                  PayloadOrigin::Appended, jpegDecodeProblem);
        packed.report.problems = packed.load.problems;
    }
    packed.source = std::move(import.source);
    return packed;
}

QString defaultProgram()
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(u"morv"_s);
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(u"morv"_s);
}

// The program to copy, as the build made it, or why it cannot be copied.
struct BaseProgram
{
    QByteArray code;
    QString problem;
};

// Only the program itself, recognised by the mark its build puts in it: a FIFO or a device would never
// end, and a copy of anything else would not run the test.
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
    const std::optional<ProgramMark> mark = programMark(bytes);
    if (bytes.size() > MaxProgramBytes || !mark)
        return {{}, u"„%1“ не е програмата morv"_s.arg(path)};
    if (*mark == ProgramMark::Packed && !appendedPayload(bytes, nullptr))
        return {{}, u"„%1“ е програма с повреден добавен тест; посочете самата morv"_s.arg(path)};
    return {withoutAppendedBank(bytes), {}};
}

// Whether the file at path is a program that morv-pack wrote, its test whole or damaged: the only file
// a new program may replace. Looked at in place, without reading it into memory.
bool isPackedProgram(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxProgramBytes || file.size() == 0)
        return false;
    const uchar *bytes = file.map(0, file.size());
    return bytes && programMark(QByteArrayView(bytes, file.size())) == ProgramMark::Packed;
}

// Why a program may not be written at `output`, or nothing: never through a link, never over anything
// but a program morv-pack wrote before (so never over the source, a file it names, morv or morv-pack).
QString outputProblem(const QString &output, const QString &sourceFile, const QString &program)
{
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
    if (target == QFileInfo(sourceFile))
        return u"„%1“ е самият източник; изберете друго име за програмата"_s.arg(output);
    if (!isPackedProgram(output))
        return u"„%1“ вече съществува и не е програма, записана от morv-pack; изберете друго име"_s.arg(
            output);
    return {};
}

// Why the bank cannot be written into `folder`, or nothing: only a new or empty folder, never through a
// link, so that no file of the teacher's is replaced.
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

// Writes the program: the base program's own bytes, marked, and the bank, under a temporary name
// created anew in the same folder and renamed when complete; executable.
QString writeProgram(const QByteArray &code, const QString &output, const BankFiles &files)
{
    const QByteArray program = withAppendedBank(code, packPayload(files));
    QSaveFile out(output);
    if (!out.open(QIODevice::WriteOnly) || out.write(program) != program.size() || !out.commit())
        return u"„%1“ не може да се запише"_s.arg(output);
    QFile::setPermissions(output, QFile::permissions(output) | QFile::ExeOwner | QFile::ExeGroup |
                                      QFile::ExeOther | QFile::ReadGroup | QFile::ReadOther);
    return {};
}

QString writeJson(const QString &folder, const BankLoad &load)
{
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

// Whether morv-pack chose the offscreen platform for itself: the preview must not inherit that choice.
bool g_offscreenChosenHere = false;

// Starts the program on its own: the terminal gets back its prompt, and the program none of its output.
bool startPreview(const QString &program)
{
    QProcess preview;
    preview.setProgram(program);
    if (g_offscreenChosenHere) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"QT_QPA_PLATFORM"_s);
        preview.setProcessEnvironment(environment);
    }
    preview.setStandardOutputFile(QProcess::nullDevice());
    preview.setStandardErrorFile(QProcess::nullDevice());
    return preview.startDetached();
}

} // namespace

int main(int argc, char *argv[])
{
    // Texts are measured with the window's own font; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        g_offscreenChosenHere = true;
    }
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser args;
    args.addOptions({{{u"o"_s, u"output"_s}, {}, u"file"_s},
                     {u"check"_s, {}},
                     {u"json"_s, {}, u"folder"_s},
                     {u"preview"_s, {}},
                     {u"format"_s, {}, u"format"_s},
                     {u"program"_s, {}, u"path"_s},
                     {u"title"_s, {}, u"text"_s},
                     {u"phrase"_s, {}, u"0|1"_s},
                     {u"toto"_s, {}, u"0|1"_s},
                     {u"explanations"_s, {}, u"0|1"_s},
                     {u"review"_s, {}, u"0|1"_s},
                     {u"strict"_s, {}},
                     {{u"h"_s, u"help"_s}, {}}});
    auto usage = [&err](const QString &why) {
        err << u"morv-pack: "_s << why << u"\nВижте / see: morv-pack --help\n"_s;
        return UsageError;
    };
    if (!args.parse(app.arguments()))
        return usage(args.errorText());
    if (args.isSet(u"help"_s)) {
        out << Usage;
        return Written;
    }
    if (args.positionalArguments().size() != 1)
        return usage(u"посочете точно един източник / give exactly one source"_s);
    const int actions = int(args.isSet(u"output"_s)) + int(args.isSet(u"check"_s)) +
                        int(args.isSet(u"json"_s)) + int(args.isSet(u"preview"_s));
    if (actions != 1)
        return usage(u"изберете едно от -o, --check, --json и --preview / choose one of them"_s);
    for (const QString &option : {u"phrase"_s, u"toto"_s, u"explanations"_s, u"review"_s}) {
        if (args.isSet(option) && args.value(option) != u"0" && args.value(option) != u"1")
            return usage(u"--%1 приема 0 или 1 / takes 0 or 1"_s.arg(option));
    }
    const QString source = args.positionalArguments().first();
    auto refuse = [&err](const QString &why) {
        err << u"morv-pack: "_s << why << '\n';
        return UsageError;
    };
    // Where the program or the folder goes, and the program copied, are settled before the source is
    // read: a refusal costs nothing, and nothing of the teacher's is replaced.
    const QString sourceFile = QFileInfo(source).isDir() ? QDir(source).filePath(u"bank.json"_s) : source;
    QByteArray code;
    QString program;
    if (args.isSet(u"output"_s) || args.isSet(u"preview"_s)) {
        program = args.isSet(u"program"_s) ? args.value(u"program"_s) : defaultProgram();
        BaseProgram base = readBaseProgram(program);
        if (!base.problem.isEmpty())
            return refuse(base.problem);
        code = std::move(base.code);
    }
    if (args.isSet(u"output"_s)) {
        if (const QString why = outputProblem(args.value(u"output"_s), sourceFile, program); !why.isEmpty())
            return refuse(why);
    }
    if (args.isSet(u"json"_s)) {
        if (const QString why = jsonFolderProblem(args.value(u"json"_s)); !why.isEmpty())
            return refuse(why);
    }
    // A file over the largest limit of any format is refused before even its format is looked for.
    if (const QFileInfo info(source);
        info.isFile() && info.size() > maxSourceBytes(SourceFormat::MoodleXml)) {
        err << located(source, {0, tooLarge(info.size(), maxSourceBytes(SourceFormat::MoodleXml))}) << '\n';
        return SourceProblems;
    }

    std::optional<SourceFormat> format =
        args.isSet(u"format"_s) ? formatNamed(args.value(u"format"_s)) : detectFormat(source);
    if (args.isSet(u"format"_s) && !format)
        return usage(u"непознат формат „%1“: folder, aiken, gift или moodle"_s.arg(args.value(u"format"_s)));
    if (!format) {
        err << source << u": не е ясно в какъв формат е източникът; посочете го с --format\n"_s;
        return SourceProblems;
    }

    if (*format == SourceFormat::Folder) {
        for (const QString &option : {u"title"_s, u"phrase"_s, u"toto"_s, u"explanations"_s, u"review"_s}) {
            if (args.isSet(option))
                err << source
                    << u": внимание: bank.json носи свои настройки; --%1 не се взема предвид\n"_s.arg(option);
        }
    }
    Packed packed = readSource(source, *format, args);
    if (packed.report.problems.isEmpty())
        packed.report.warnings = fitWarnings(packed.source);
    if (args.isSet(u"strict"_s)) {
        packed.report.problems += packed.report.warnings;
        packed.report.warnings.clear();
    }
    packed.report.print(err);
    if (!packed.report.problems.isEmpty() || !packed.load.bank)
        return SourceProblems;

    QString failure;
    if (args.isSet(u"json"_s)) {
        failure = writeJson(args.value(u"json"_s), packed.load);
    } else if (args.isSet(u"output"_s) || args.isSet(u"preview"_s)) {
        QString output = args.value(u"output"_s);
        if (args.isSet(u"preview"_s)) {
            QTemporaryFile preview(QDir::temp().filePath(u"morv-preview-XXXXXX"_s));
            preview.setAutoRemove(false);
            preview.open();
            output = preview.fileName();
        }
        failure = writeProgram(code, output, packed.load.files);
        if (failure.isEmpty() && args.isSet(u"preview"_s) && !startPreview(output))
            failure = u"„%1“ не може да се стартира"_s.arg(output);
        if (failure.isEmpty())
            out << u"Записано / written: "_s << output << '\n';
    }
    if (!failure.isEmpty()) {
        err << u"morv-pack: "_s << failure << '\n';
        return SourceProblems;
    }
    return Written;
}
