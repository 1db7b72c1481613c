// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The packer's window, offscreen, on a Moodle XML export of 28 questions each with a 400 × 300 PNG inside
// it (as bench/pack_bench.py writes one): opening it and showing the first question in the test's
// window, and reading it again after a save, alone and from the save until it is shown. Goals: each
// under 0.5 s. Then the teacher's file of the same test, as the editor saves and opens it: written as
// Moodle XML, and read, checked and measured again. Goals: each under 200 ms.
#include "pack/moodlewriter.h"
#include "packwindow/packerwindow.h"
#include "packwindow/questionform.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Questions = 28;

// A gradient, so the picture is not trivially small once converted.
QByteArray gradientPng(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 128));
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

QByteArray moodleExport()
{
    const QByteArray picture = gradientPng(400, 300).toBase64();
    QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n<question type=\"category\"><category>"
        "<text>$course$/Геометрия</text></category></question>\n";
    for (int i = 1; i <= Questions; ++i) {
        QByteArray answers;
        for (int k = 0; k < 4; ++k)
            answers += u"<answer fraction=\"%1\" format=\"html\"><text>%2 см²</text></answer>"_s
                           .arg(k == 0 ? 100 : 0)
                           .arg(i * i + k)
                           .toUtf8();
        xml += u"<question type=\"multichoice\"><name><text>Въпрос %1</text></name><questiontext "
               u"format=\"html\"><text><![CDATA[<p>Колко е лицето на квадрат със страна %1 см?</p><p><img "
               u"src=\"@@PLUGINFILE@@/f%1.png\" alt=\"Квадрат %1\"></p>]]></text><file name=\"f%1.png\" "
               u"path=\"/\" encoding=\"base64\">"_s.arg(i)
                   .toUtf8() +
               picture +
               u"</file></questiontext><generalfeedback format=\"html\"><text><![CDATA[<p>Лицето е %1 · %1 "
               u"= %2 см².</p>]]></text></generalfeedback><single>true</single>"_s.arg(i)
                   .arg(i * i)
                   .toUtf8() +
               answers + "</question>\n";
    }
    return xml + "</quiz>\n";
}

// A window with the export written beside it, as a teacher would have it.
struct Bench
{
    Bench() : settings(dir.filePath(u"morv-pack.ini"_s), QSettings::IniFormat), window(settings, {})
    {
        source = dir.filePath(u"export.xml"_s);
        save();
        window.show();
    }
    void save() const
    {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            throw std::runtime_error("the export cannot be written");
    }
    void check() const
    {
        if (!window.result().packable() || window.result().questions().size() != std::size_t(Questions))
            throw std::runtime_error("the export does not pack");
    }

    QTemporaryDir dir;
    QSettings settings;
    const QByteArray bytes = moodleExport();
    QString source;
    morv::PackerWindow window;
};

void openExport(benchmark::State &state)
{
    Bench bench;
    for (auto _ : state) {
        bench.window.open(bench.source);
        QCoreApplication::processEvents();
    }
    bench.check();
}

void rereadAlone(benchmark::State &state)
{
    Bench bench;
    bench.window.open(bench.source);
    bench.window.chooseQuestion(Questions);
    for (auto _ : state) {
        bench.window.reload();
        QCoreApplication::processEvents();
    }
    bench.check();
    if (bench.window.chosenQuestion() != Questions)
        throw std::runtime_error("the chosen question was not kept");
}

// From the moment the file is saved until the window shows it again: the watch, the pause that lets an
// editor finish its save, and the reading.
void saveUntilShown(benchmark::State &state)
{
    Bench bench;
    bench.window.open(bench.source);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(&bench.window, &morv::PackerWindow::sourceRead, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        bench.save();
        if (loop.exec() != 0)
            throw std::runtime_error("the saved export was not read again");
        QCoreApplication::processEvents();
        // A second notice of the same save must not be counted against the next one.
        state.PauseTiming();
        QTimer::singleShot(400, &loop, &QEventLoop::quit);
        loop.exec();
        state.ResumeTiming();
    }
    bench.check();
}

// The test as read from the export, its pictures converted to fit, and its teacher's file written once.
struct TeachersFile
{
    TeachersFile()
    {
        const QString source = dir.filePath(u"export.xml"_s);
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly) || file.write(moodleExport()) < 0)
            throw std::runtime_error("the export cannot be written");
        file.close();
        const morv::PackResult read = morv::pack({source, morv::SourceFormat::MoodleXml});
        if (!read.packable())
            throw std::runtime_error("the export does not pack");
        document = read.document;
        teachersFile = dir.filePath(u"тест.xml"_s);
        save();
    }
    void save() const
    {
        if (!morv::writeMoodleXml(teachersFile, document).isEmpty())
            throw std::runtime_error("the teacher's file cannot be written");
    }

    QTemporaryDir dir;
    morv::TestDocument document;
    QString teachersFile;
};

void saveTeachersFile(benchmark::State &state)
{
    const TeachersFile test;
    for (auto _ : state)
        test.save();
    state.counters["bytes"] = double(QFileInfo(test.teachersFile).size());
}

void openTeachersFile(benchmark::State &state)
{
    const TeachersFile test;
    for (auto _ : state) {
        const morv::PackResult opened = morv::pack({test.teachersFile, morv::SourceFormat::MoodleXml});
        const auto &questions = opened.document.questions;
        if (!opened.packable() || questions.size() != test.document.questions.size() ||
            !std::equal(questions.begin(), questions.end(), test.document.questions.begin(),
                        [](const morv::TestQuestion &a, const morv::TestQuestion &b) {
                            return a.text == b.text && a.answers == b.answers && a.picture == b.picture;
                        }))
            throw std::runtime_error("the teacher's file does not open as the same test");
    }
}

// One keystroke in the question's text of the 14th question of the export, opened for editing: from the
// key to the editor's command, the question checked and measured again, its row and the findings marked
// and the pupil's preview shown again. A character typed, then taken back, in turn. Goal: 16 ms of CPU.
void keystroke(benchmark::State &state)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(u"morv-pack.ini"_s), QSettings::IniFormat);
    morv::PackerChoices choices = morv::dialogChoices();
    choices.recoveryFolder = dir.filePath(u"data"_s);
    choices.unsavedChanges = [](QWidget *, const QString &) { return morv::UnsavedAnswer::Discard; };
    morv::PackerWindow window(settings, {}, choices);
    const QString source = dir.filePath(u"export.xml"_s);
    QFile file(source);
    const QByteArray bytes = moodleExport();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("the export cannot be written");
    file.close();
    window.show();
    window.open(source);
    window.chooseQuestion(14);
    QCoreApplication::processEvents();
    auto *text = window.findChild<morv::PlainField *>(u"questionText"_s);
    text->moveCursor(QTextCursor::End);
    bool typed = false;
    for (auto _ : state) {
        if (typed)
            text->textCursor().deletePreviousChar();
        else
            text->insertPlainText(u"x"_s);
        typed = !typed;
    }
    const morv::TestEditor &editor = window.session().editor();
    if (editor.questionCount() != Questions || !editor.question(13).text.startsWith(u"Колко е лицето"_s) ||
        editor.question(13).picture.isEmpty())
        throw std::runtime_error("the keystrokes did not reach the 14th question");
    window.session().close();
}

BENCHMARK(openExport)
    ->Name("window/open a 28-question export and show the first question")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);
BENCHMARK(rereadAlone)
    ->Name("window/read the export again, the chosen question kept")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);
BENCHMARK(saveUntilShown)
    ->Name("window/from a save until it is shown again")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);
BENCHMARK(keystroke)
    ->Name("editor/a keystroke in the question's text until the preview and marks are shown again")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);
BENCHMARK(saveTeachersFile)
    ->Name("teacher's file/save the 28-question test with pictures")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);
BENCHMARK(openTeachersFile)
    ->Name("teacher's file/open it: read, checked and measured")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

} // namespace
