// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/command.h"

#include "pack/moodlewriter.h"
#include "pack/preview.h"
#include "pack/write.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

const QString UsageText = uR"(Употреба / Usage:
  morv-pack ИЗТОЧНИК -o ФАЙЛ      записва готова програма с теста
                                  writes a ready test program
  morv-pack --check ИЗТОЧНИК      само проверява, без да записва
                                  checks only, writes nothing
  morv-pack ИЗТОЧНИК --json ПАПКА записва теста като bank.json с изображенията
                                  writes the test as a bank.json folder
  morv-pack ИЗТОЧНИК --xml ФАЙЛ   записва целия тест в един файл Moodle XML
                                  writes the whole test as one Moodle XML file
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
  --xml ФАЙЛ               записва теста като Moodle XML: нов файл или записан от МОРВ
                           write the test as Moodle XML: a new file or one МОРВ wrote
  --preview                стартира временна програма / start a temporary program
  --format ФОРМАТ          folder, aiken, gift или moodle, вместо да се познава
                           force the source format instead of recognising it
  --program ПЪТ            програмата morv, която да се копира (иначе тази до morv-pack)
                           the morv program to copy (default: the one beside morv-pack)
  --title ТЕКСТ            заглавие на теста (иначе името на файла)
                           the test's title (default: the file's name)
%1  --strict                 предупрежденията стават грешки / warnings become problems
  -h, --help               тази помощ / this help

Изход / Exit status: 0 записано, 1 има проблеми в източника, 2 грешна употреба.
0 written, 1 the source has problems, 2 usage error.
)"_s;

// The help's lines for the switches, from the switch table: "  --phrase 0|1" and its help in a column.
QString switchHelp()
{
    QString lines;
    for (const SwitchInfo &info : switchTable())
        lines +=
            (u"  --"_s + info.option.toString() + u" 0|1"_s).leftJustified(27) + info.help.toString() + u'\n';
    return lines;
}

// A problem of writing, one a line, as the command has always told it.
void tell(QTextStream &err, const QList<Problem> &problems)
{
    for (const QString &text : texts(problems))
        err << u"morv-pack: "_s << text << '\n';
}

} // namespace

QString packUsage()
{
    return UsageText.arg(switchHelp());
}

int usageError(QTextStream &err, const QString &why)
{
    err << u"morv-pack: "_s << why << u"\nВижте / see: morv-pack --help\n"_s;
    return UsageError;
}

int runPack(const PackCall &call, QTextStream &out, QTextStream &err)
{
    const QString &source = call.options.source;
    auto refuse = [&err](const QList<Problem> &why) {
        tell(err, why);
        return UsageError;
    };
    // Where the program or the folder goes, and the program copied, are settled before the source is
    // read: a refusal costs nothing, and nothing of the teacher's is replaced.
    const QString sourceFile = QFileInfo(source).isDir() ? QDir(source).filePath(u"bank.json"_s) : source;
    const bool writesProgram = call.action == PackAction::Write || call.action == PackAction::Preview;
    if (writesProgram) {
        if (const QList<Problem> why = readBaseProgram(call.program).problems; !why.isEmpty())
            return refuse(why);
    }
    if (call.action == PackAction::Write) {
        if (const QList<Problem> why = outputProblems(call.target, sourceFile, call.program, call.packer);
            !why.isEmpty())
            return refuse(why);
    }
    if (call.action == PackAction::Json) {
        if (const QList<Problem> why = jsonFolderProblems(call.target); !why.isEmpty())
            return refuse(why);
    }
    if (call.action == PackAction::Xml) {
        if (const QList<Problem> why = xmlFileProblems(call.target, sourceFile); !why.isEmpty())
            return refuse(why);
    }
    const std::optional<SourceFormat> format = call.format ? formatNamed(*call.format) : detectFormat(source);
    if (call.format && !format)
        return usageError(err, u"непознат формат „%1“: folder, aiken, gift или moodle"_s.arg(*call.format));
    // A file over its format's limit, or over the largest when the start of it tells no format, is
    // refused from its size alone: detection reads no more than the start. A bank.json has its reader's
    // own word for it.
    if (const QFileInfo info(source); info.isFile()) {
        const qint64 most =
            maxSourceBytes(format && *format != SourceFormat::Folder ? *format : SourceFormat::MoodleXml);
        if (info.size() > most) {
            err << located(source, {.rule = Rule::TooLarge, .text = tooLargeSource(info.size(), most)})
                << '\n';
            return SourceProblems;
        }
    }
    if (!format) {
        err << source << u": не е ясно в какъв формат е източникът; посочете го с --format\n"_s;
        return SourceProblems;
    }
    if (*format == SourceFormat::Folder) {
        for (const QString &option : call.ignoredByFolder)
            err << source
                << u": внимание: bank.json носи свои настройки; --%1 не се взема предвид\n"_s.arg(option);
    }
    PackOptions options = call.options;
    options.format = *format;
    const PackResult packed = pack(options);
    for (const QString &line : packed.messages())
        err << line << '\n';
    if (!packed.packable())
        return SourceProblems;

    QList<Problem> failure;
    QString written = call.target;
    if (call.action == PackAction::Json) {
        failure = writeJson(call.target, packed.files);
    } else if (call.action == PackAction::Xml) {
        failure = writeMoodleXml(call.target, packed.document, sourceFile);
    } else if (call.action == PackAction::Preview) {
        const PreviewProgram preview =
            writeAndStartPreview(call.program, packed.payload, call.dropEnvironment);
        written = preview.program;
        failure = preview.problems;
    } else if (call.action == PackAction::Write) {
        failure = writeProgram(call.program, call.target, packed.payload, sourceFile, call.packer);
    }
    if (!failure.isEmpty()) {
        tell(err, failure);
        return SourceProblems;
    }
    if (writesProgram)
        out << u"Записано / written: "_s << written << '\n';
    return Written;
}

} // namespace morv
