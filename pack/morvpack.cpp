// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// morv-pack: turns a teacher's questions (a bank.json folder, Aiken, GIFT or Moodle XML) into a ready
// test program: a copy of morv with the checked bank appended. Every problem of the source is told in
// one run, one per line, as FILE:LINE: text. Started with no arguments, it opens its window instead.
#include "pack/packer.h"
#include "packwindow/packerwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>

#include <optional>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

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

// The window needs a screen. On the offscreen or minimal platform, or in a Unix session with no display,
// no arguments stay the usage error they always were.
bool screenAvailable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

int packWindow(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(u"morv"_s);
    QCoreApplication::setApplicationName(u"morv-pack"_s);
    // The window's class and the Wayland app id tie it to its menu entry, org.example.morv.pack.desktop.
    QGuiApplication::setDesktopFileName(u"org.example.morv.pack"_s);
    QSettings settings;
    PackerWindow window(settings, defaultProgram());
    window.show();
    return app.exec();
}

int packCommand(int argc, char *argv[])
{
#ifdef Q_OS_WIN
    // Messages are written as UTF-8: the console shows them so, Cyrillic included. Windows has one
    // platform only, which shows no window either.
    SetConsoleOutputCP(CP_UTF8);
    const bool offscreenChosenHere = false;
#else
    // Texts are measured with the window's own font; no window is ever shown. The preview must not
    // inherit that choice.
    const bool offscreenChosenHere = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (offscreenChosenHere)
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
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
    const QString program = args.isSet(u"program"_s) ? args.value(u"program"_s) : defaultProgram();
    if (args.isSet(u"output"_s) || args.isSet(u"preview"_s)) {
        if (const QString why = readBaseProgram(program).problem; !why.isEmpty())
            return refuse(why);
    }
    if (args.isSet(u"output"_s)) {
        if (const QString why = outputProblem(args.value(u"output"_s), sourceFile, program); !why.isEmpty())
            return refuse(why);
    }
    if (args.isSet(u"json"_s)) {
        if (const QString why = jsonFolderProblem(args.value(u"json"_s)); !why.isEmpty())
            return refuse(why);
    }
    std::optional<SourceFormat> format =
        args.isSet(u"format"_s) ? formatNamed(args.value(u"format"_s)) : detectFormat(source);
    if (args.isSet(u"format"_s) && !format)
        return usage(u"непознат формат „%1“: folder, aiken, gift или moodle"_s.arg(args.value(u"format"_s)));
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
        for (const QString &option : {u"title"_s, u"phrase"_s, u"toto"_s, u"explanations"_s, u"review"_s}) {
            if (args.isSet(option))
                err << source
                    << u": внимание: bank.json носи свои настройки; --%1 не се взема предвид\n"_s.arg(option);
        }
    }
    PackOptions options(source, *format);
    options.strict = args.isSet(u"strict"_s);
    if (args.isSet(u"title"_s))
        options.title = args.value(u"title"_s);
    for (const SwitchRow &row : switchRows()) {
        if (args.isSet(row.option.toString()))
            options[row.which] = args.value(row.option.toString()) == u"1";
    }
    const PackResult packed = pack(options);
    for (const QString &line : packed.messages())
        err << line << '\n';
    if (!packed.packable())
        return SourceProblems;

    QString failure;
    if (args.isSet(u"json"_s)) {
        failure = writeJson(args.value(u"json"_s), packed.load);
    } else if (args.isSet(u"output"_s) || args.isSet(u"preview"_s)) {
        QString output = args.value(u"output"_s);
        if (args.isSet(u"preview"_s)) {
            const PreviewProgram preview =
                writeAndStartPreview(program, packed.load.files, offscreenChosenHere);
            output = preview.program;
            failure = preview.failure;
        } else {
            failure = writeProgram(program, output, packed.load.files, sourceFile);
        }
        if (failure.isEmpty())
            out << u"Записано / written: "_s << output << '\n';
    }
    if (!failure.isEmpty()) {
        err << u"morv-pack: "_s << failure << '\n';
        return SourceProblems;
    }
    return Written;
}

} // namespace

int main(int argc, char *argv[])
{
    // A teacher who starts it from the menu gets the window; any argument is the command line.
    if (argc == 1 && screenAvailable()) {
#ifdef Q_OS_WIN
        // Started from Explorer, the console was opened for this program alone: it goes, the window
        // stays. From a command prompt it is shared and stays.
        DWORD processes[2];
        if (GetConsoleProcessList(processes, 2) == 1)
            FreeConsole();
#endif
        return packWindow(argc, argv);
    }
    return packCommand(argc, argv);
}
