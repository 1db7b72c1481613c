// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// morv-pack: turns a teacher's questions (a bank.json folder, Aiken, GIFT or Moodle XML) into a ready
// test program: a copy of morv with the checked bank appended. Every problem of the source is told in
// one run, one per line, as FILE:LINE: text. Started with no arguments, it opens its window instead.
#include "pack/command.h"
#include "pack/write.h"
#include "packwindow/packerwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>
#include <QTimer>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

using namespace Qt::Literals::StringLiterals;
using namespace morv;

namespace {

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
    PackerWindow window(settings, defaultProgram(QCoreApplication::applicationDirPath()));
    window.show();
    // A test a crashed window left unsaved is offered before anything else.
    QTimer::singleShot(0, &window, &PackerWindow::offerRecovery);
    return app.exec();
}

int packCommand(int argc, char *argv[])
{
    PackCall call;
#ifdef Q_OS_WIN
    // Messages are written as UTF-8: the console shows them so, Cyrillic included. Windows has one
    // platform only, which shows no window either.
    SetConsoleOutputCP(CP_UTF8);
#else
    // Texts are measured with the window's own font; no window is ever shown. The preview must not
    // inherit that choice.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        call.dropEnvironment.append(u"QT_QPA_PLATFORM"_s);
    }
#endif
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser args;
    args.addOptions({{{u"o"_s, u"output"_s}, {}, u"file"_s},
                     {u"check"_s, {}},
                     {u"json"_s, {}, u"folder"_s},
                     {u"xml"_s, {}, u"file"_s},
                     {u"preview"_s, {}},
                     {u"format"_s, {}, u"format"_s},
                     {u"program"_s, {}, u"path"_s},
                     {u"title"_s, {}, u"text"_s}});
    for (const SwitchInfo &info : switchTable())
        args.addOption({info.option.toString(), {}, u"0|1"_s});
    args.addOptions({{u"strict"_s, {}}, {{u"h"_s, u"help"_s}, {}}});
    if (!args.parse(app.arguments()))
        return usageError(err, args.errorText());
    if (args.isSet(u"help"_s)) {
        out << packUsage();
        return Written;
    }
    if (args.positionalArguments().size() != 1)
        return usageError(err, u"посочете точно един източник / give exactly one source"_s);
    const QList<std::pair<QString, PackAction>> actions = {{u"output"_s, PackAction::Write},
                                                           {u"check"_s, PackAction::Check},
                                                           {u"json"_s, PackAction::Json},
                                                           {u"xml"_s, PackAction::Xml},
                                                           {u"preview"_s, PackAction::Preview}};
    int chosen = 0;
    for (const auto &[option, action] : actions) {
        if (args.isSet(option)) {
            call.action = action;
            ++chosen;
        }
    }
    if (chosen != 1)
        return usageError(err,
                          u"изберете едно от -o, --check, --json, --xml и --preview / choose one of them"_s);

    call.options.source = args.positionalArguments().first();
    call.options.strict = args.isSet(u"strict"_s);
    if (args.isSet(u"title"_s)) {
        call.options.title = args.value(u"title"_s);
        call.ignoredByFolder.append(u"title"_s);
    }
    for (const SwitchInfo &info : switchTable()) {
        const QString option = info.option.toString();
        if (!args.isSet(option))
            continue;
        if (args.value(option) != u"0" && args.value(option) != u"1")
            return usageError(err, u"--%1 приема 0 или 1 / takes 0 or 1"_s.arg(option));
        call.options[info.which] = args.value(option) == u"1";
        call.ignoredByFolder.append(option);
    }
    if (args.isSet(u"format"_s))
        call.format = args.value(u"format"_s);
    call.target = args.value(call.action == PackAction::Json  ? u"json"_s
                             : call.action == PackAction::Xml ? u"xml"_s
                                                              : u"output"_s);
    call.program = args.isSet(u"program"_s) ? args.value(u"program"_s)
                                            : defaultProgram(QCoreApplication::applicationDirPath());
    call.packer = QCoreApplication::applicationFilePath();
    return runPack(call, out, err);
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
