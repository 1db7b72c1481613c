// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The packer's window as a teacher uses it: a source opens with its questions marked and its problems
// at their lines, a chosen question is shown in the test's own window, the switches reach their rows of
// the written program, and a saved source is read again.
#include "bank/bankreader.h"
#include "engine/controls.h"
#include "packwindow/packerwindow.h"
#include "packwindow/questionform.h"
#include "packwindow/questionlist.h"
#include "packwindow/questionpreview.h"
#include "tests/support/rows.h"
#include "tests/support/scriptedrandom.h"
#include "tests/support/testbank.h"
#include "ui/mainwindow.h"
#include "ui/startup.h"
#include "ui/textbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QInputMethodEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace morv {
namespace {

using test::PrintTo;

const QByteArray &ThreeQuestions = test::ThreeAikenQuestions;

// Question 2 has one answer; question 4's letters skip B, told at the line of the answer that does.
const QByteArray Broken = R"(Колко е 2 + 2?
A. 3
B. 4
ANSWER: B

Втори въпрос?
A. да
ANSWER: A

Столицата на България е:
A. Пловдив
B. София
C. Варна
ANSWER: B

Кой е правият ъгъл?
A) 90°
C) 60°
ANSWER: A
)";

class PackerWindowTest : public testing::Test
{
protected:
    PackerWindowTest()
        : settings(dir.filePath(u"morv-pack.ini"_s), QSettings::IniFormat),
          window(settings, QStringLiteral(MORV_PROGRAM), choices())
    {}

    PackerChoices choices()
    {
        PackerChoices answers;
        answers.sourceToOpen = [this](QWidget *) { return sourceToOpen; };
        answers.programToWrite = [this](QWidget *, const QString &offered) {
            suggested = offered;
            return programToWrite;
        };
        answers.tell = [this](QWidget *, const QString &message) { told.append(message); };
        answers.tryOut = [this](const QString &, const BankFiles &files) {
            tried.append(files);
            return PreviewProgram{u"tried"_s, {}};
        };
        answers.unsavedChanges = [this](QWidget *, const QString &title) {
            told.append(u"unsaved? "_s + title);
            return unsaved;
        };
        answers.testToSave = [this](QWidget *, const QString &, const QStringList &) { return testToSave; };
        answers.recover = [this](QWidget *, const QString &title, const QDateTime &) {
            told.append(u"recover? "_s + title);
            return true;
        };
        answers.pictureToOpen = [](QWidget *) { return QString(); };
        answers.recoveryFolder = dir.filePath(u"data"_s);
        return answers;
    }

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }

    template <typename T>
    T *control(const QString &name) const
    {
        T *found = window.findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    // Each row of the list as "number line mark text".
    QStringList listed() const
    {
        QStringList rows;
        auto *tree = control<QTreeWidget>(u"questions"_s);
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = tree->topLevelItem(i);
            rows.append(QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(u' '));
        }
        return rows;
    }
    QStringList findings() const
    {
        QStringList lines;
        auto *list = control<QListWidget>(u"findings"_s);
        for (int i = 0; i < list->count(); ++i)
            lines.append(list->item(i)->text());
        return lines;
    }

    // Opens a bank.json folder of three questions with these settings rows.
    void openFolder(const QStringList &rows)
    {
        QJsonArray questions;
        for (int k = 1; k <= 3; ++k)
            questions.append(QJsonObject{{u"text"_s, u"Въпрос %1"_s.arg(k)},
                                         {u"answers"_s, QJsonArray{u"да"_s, u"не"_s}},
                                         {u"correct"_s, u"да"_s}});
        const QJsonObject root{{u"settings"_s, QJsonArray::fromStringList(rows)},
                               {u"questions"_s, questions}};
        window.open(write(u"банка/bank.json"_s, QJsonDocument(root).toJson()));
    }
    // The switch boxes in the table's order: "1" ticked, "0" not, "?" neither.
    QString switchBoxes() const
    {
        QString boxes;
        for (const QString &name : {u"phrase"_s, u"toto"_s, u"explanations"_s, u"review"_s}) {
            const Qt::CheckState state = control<QCheckBox>(u"switch-"_s + name)->checkState();
            boxes += state == Qt::PartiallyChecked ? u'?' : state == Qt::Checked ? u'1' : u'0';
        }
        return boxes;
    }

    MainWindow *shown() const { return control<QuestionPreview>(u"preview"_s)->testWindow(); }
    // The question box and the visible answer boxes of the test's window, top to bottom; "*" marks the
    // answer whose option is chosen.
    QStringList preview() const
    {
        MainWindow *test = shown();
        if (!test)
            return {};
        QStringList boxes = {test->findChild<TextBox *>(u"Text2(0)"_s)->rawText()};
        for (int option = 0; option < OptionCount; ++option) {
            auto *box = test->findChild<TextBox *>(u"Text2(%1)"_s.arg(option + 1));
            if (box->isHidden())
                continue;
            const bool chosen = test->findChild<QAbstractButton *>(u"Option1(%1)"_s.arg(option))->isChecked();
            boxes.append(box->rawText() + (chosen ? u"*"_s : QString()));
        }
        return boxes;
    }

    // Writes the program through the window's button and reads back its bank.
    BankLoad writtenProgram()
    {
        programToWrite = dir.filePath(u"програма"_s);
        control<QPushButton>(u"write"_s)->click();
        return readProgramBank(programToWrite, ProgramMark::Packed);
    }

    QTemporaryDir dir;
    QSettings settings;
    QString sourceToOpen;
    QString programToWrite;
    QString testToSave;
    UnsavedAnswer unsaved = UnsavedAnswer::Cancel;
    QString suggested;
    QStringList told;
    QList<BankFiles> tried;
    PackerWindow window;
};

// A source with problems opens: every question listed with its line and its mark, every problem in
// the command line's words with its line; nothing can be written yet.
TEST_F(PackerWindowTest, BrokenSourceOpensWithMarksAndLines)
{
    sourceToOpen = write(u"broken.txt"_s, Broken);
    control<QPushButton>(u"open"_s)->click();
    EXPECT_EQ(listed(),
              (QStringList{u"1 1 готов Колко е 2 + 2?"_s, u"2 6 проблем Втори въпрос?"_s,
                           u"3 10 готов Столицата на България е:"_s, u"4 16 проблем Кой е правият ъгъл?"_s}));
    EXPECT_EQ(findings(),
              (QStringList{u"broken.txt:6: въпрос 2: има 1 отговор, а трябва да са от 2 до 5"_s,
                           u"broken.txt:18: въпрос 4: отговорът с буква C стои на мястото на B: буквите на "
                           u"отговорите вървят по ред A, B, C…"_s}));
    EXPECT_FALSE(control<QPushButton>(u"write"_s)->isEnabled());
    EXPECT_FALSE(control<QPushButton>(u"try"_s)->isEnabled());
    EXPECT_TRUE(told.isEmpty());
}

// A file in no known format is said to be one, not guessed at; nothing is listed or can be written.
TEST_F(PackerWindowTest, UnknownFormatIsToldNotGuessed)
{
    window.open(write(u"бележки.txt"_s, "Просто бележки, без въпроси.\n"));
    EXPECT_TRUE(listed().isEmpty());
    ASSERT_EQ(findings().size(), 1);
    EXPECT_TRUE(findings()[0].startsWith(u"бележки.txt: не е ясно в какъв формат е източникът"_s))
        << findings()[0].toStdString();
    EXPECT_FALSE(control<QPushButton>(u"write"_s)->isEnabled());
    EXPECT_EQ(shown(), nullptr);
}

// A sound source marks a question a pupil would not see whole as a warning, and can be written.
TEST_F(PackerWindowTest, WarningIsMarkedAndTheTestCanBeWritten)
{
    QByteArray longQuestion = ThreeQuestions;
    longQuestion.replace("Кой е правият ъгъл?", QString(u"Кой е правият ъгъл? "_s.repeated(25)).toUtf8());
    window.open(write(u"дълъг.txt"_s, longQuestion));
    ASSERT_EQ(listed().size(), 3);
    EXPECT_TRUE(listed()[1].startsWith(u"2 6 внимание Кой е правият ъгъл?"_s)) << listed()[1].toStdString();
    EXPECT_TRUE(listed()[0].startsWith(u"1 1 готов"_s));
    ASSERT_EQ(findings().size(), 1);
    EXPECT_TRUE(findings()[0].startsWith(u"дълъг.txt:6: внимание: въпрос 2: текстът на въпроса заема"_s));
    EXPECT_TRUE(control<QPushButton>(u"write"_s)->isEnabled());
}

// Choosing a problem selects its question, and the test's own window shows it at its real size: its
// text, its answers in the source's order, the right one chosen. A question the test cannot lay out
// is told instead.
TEST_F(PackerWindowTest, ChoosingAProblemShowsItsQuestion)
{
    window.open(write(u"broken.txt"_s, Broken));
    EXPECT_EQ(window.chosenQuestion(), 1);
    EXPECT_EQ(preview(), (QStringList{u"Колко е 2 + 2?"_s, u"3"_s, u"4*"_s}));

    auto *problems = control<QListWidget>(u"findings"_s);
    problems->setCurrentRow(1);
    EXPECT_EQ(window.chosenQuestion(), 4);
    EXPECT_EQ(control<QTreeWidget>(u"questions"_s)->currentItem()->text(0), u"4"_s);
    EXPECT_EQ(preview(), (QStringList{u"Кой е правият ъгъл?"_s, u"90°*"_s, u"60°"_s}));
    ASSERT_NE(shown(), nullptr);
    EXPECT_EQ(shown()->centralWidget()->size(), QSize(layout::ClientWidth / layout::TwipsPerPixel,
                                                      layout::ClientHeight / layout::TwipsPerPixel));
    EXPECT_EQ(shown()->findChild<QLabel *>(u"Label1(0)"_s)->text(), u"broken"_s);

    problems->setCurrentRow(0);
    EXPECT_EQ(window.chosenQuestion(), 2);
    EXPECT_EQ(shown(), nullptr);
    EXPECT_TRUE(control<QLabel>(u"previewMessage"_s)->text().contains(u"от 2 до 5"_s));
}

struct SwitchCase
{
    const char *name;
    QString box;
    int row; // the settings row it must reach, worked out from the settings table by hand
    QChar shipped;
};

class PackerWindowSwitch : public PackerWindowTest, public testing::WithParamInterface<SwitchCase>
{};

// Each switch, turned from its shipped value, reaches its own row of the written program and no other.
TEST_P(PackerWindowSwitch, ReachesItsOwnRowOfTheWrittenProgram)
{
    const SwitchCase &c = GetParam();
    window.open(write(u"тест.txt"_s, ThreeQuestions));
    auto *box = control<QCheckBox>(c.box);
    EXPECT_EQ(box->isChecked(), c.shipped == u'1');
    box->click();
    const BankLoad load = writtenProgram();
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    QStringList expected = {u"Настройки - последната цифра"_s,
                            u"ЧЕО - фраза от 2 части - 0"_s,
                            u"Проверка за Тото - 1"_s,
                            u"тест"_s,
                            u"Дава описание - 1"_s,
                            u"Дава обяснения - 0"_s};
    expected[c.row].back() = c.shipped == u'1' ? u'0' : u'1';
    EXPECT_EQ(load.bank->List2(), expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, PackerWindowSwitch,
                         testing::Values(SwitchCase{"Phrase", u"switch-phrase"_s, 1, u'0'},
                                         SwitchCase{"Toto", u"switch-toto"_s, 2, u'1'},
                                         SwitchCase{"Explanations", u"switch-explanations"_s, 4, u'1'},
                                         SwitchCase{"Review", u"switch-review"_s, 5, u'0'}),
                         [](const testing::TestParamInfo<SwitchCase> &row) { return row.param.name; });

// The program written, offered beside the source under its name, starts with the source's title; a
// title typed in the window wins. "Try it" gets the same test.
TEST_F(PackerWindowTest, WrittenProgramStartsWithTheSourcesTitle)
{
    const QString source = write(u"Геометрия 7 клас.txt"_s, ThreeQuestions);
    window.open(source);
    const BankLoad load = writtenProgram();
    EXPECT_EQ(suggested, dir.filePath(u"Геометрия 7 клас"_s));
    ASSERT_TRUE(load.bank);
    // The draw 0.1 makes the shuffle step 3, which does not divide the four questions of the run.
    TestSession session(*load.bank, std::make_unique<test::ScriptedRandom>(std::vector<float>{0.1f}), {});
    EXPECT_EQ(session.window().findChild<QLabel *>(u"Label1(0)"_s)->text(), u"Геометрия 7 клас"_s);

    auto *title = control<QLineEdit>(u"title"_s);
    title->clear();
    // Typed as an input method types Cyrillic: the key simulator knows only ASCII.
    QInputMethodEvent typed;
    typed.setCommitString(u"Ъгли"_s);
    QApplication::sendEvent(title, &typed);
    control<QPushButton>(u"try"_s)->click();
    ASSERT_EQ(tried.size(), 1);
    const BankLoad triedLoad = readPayload(packPayload(tried[0]), PayloadOrigin::Appended);
    ASSERT_TRUE(triedLoad.bank);
    EXPECT_EQ(triedLoad.bank->List2().value(Bank::TitleRow), u"Ъгли"_s);
    EXPECT_EQ(shown()->findChild<QLabel *>(u"Label1(0)"_s)->text(), u"Ъгли"_s);
}

struct SaveCase
{
    const char *name;
    bool replaced; // saved as editors do: a new file renamed over the old one
};

class PackerWindowSave : public PackerWindowTest, public testing::WithParamInterface<SaveCase>
{};

// Saving the source again reads it again, the chosen question kept: the fixed question is ready and
// the test can be written. Saved again after that, it is read again: the watch outlives a rename.
TEST_P(PackerWindowSave, SavedSourceIsReadAgain)
{
    const QString source = write(u"тест.txt"_s, Broken);
    window.open(source);
    window.chooseQuestion(3);
    auto save = [&](const QByteArray &bytes) {
        if (GetParam().replaced) {
            QSaveFile file(source);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            ASSERT_TRUE(file.commit());
        } else {
            write(u"тест.txt"_s, bytes);
        }
    };
    QByteArray fixed = Broken;
    fixed.replace("A. да\nANSWER: A", "A. да\nB. не\nANSWER: A");
    fixed.replace("C) 60°", "B) 60°");
    save(fixed);
    QTRY_VERIFY_WITH_TIMEOUT(window.result().packable(), 5000);
    EXPECT_EQ(listed().value(1), u"2 6 готов Втори въпрос?"_s);
    EXPECT_EQ(window.chosenQuestion(), 3);
    EXPECT_EQ(preview().value(0), u"Столицата на България е:"_s);
    EXPECT_TRUE(control<QPushButton>(u"write"_s)->isEnabled());

    save(Broken);
    QTRY_VERIFY_WITH_TIMEOUT(!window.result().packable(), 5000);
    EXPECT_EQ(window.chosenQuestion(), 3);
}

INSTANTIATE_TEST_SUITE_P(Saves, PackerWindowSave,
                         testing::Values(SaveCase{"InPlace", false}, SaveCase{"ReplacedByRename", true}),
                         [](const testing::TestParamInfo<SaveCase> &row) { return row.param.name; });

// A bank.json folder shows its own title and switches, and they are changed like any test's.
TEST_F(PackerWindowTest, FolderShowsItsOwnSettings)
{
    openFolder(test::settings(1, 0, 0, 1, u"Моят тест"_s));
    EXPECT_EQ(window.result().file, dir.filePath(u"банка/bank.json"_s));
    auto *title = control<QLineEdit>(u"title"_s);
    EXPECT_EQ(title->text(), u"Моят тест"_s);
    QString switches;
    for (const QString &name : {u"phrase"_s, u"toto"_s, u"explanations"_s, u"review"_s}) {
        auto *box = control<QCheckBox>(u"switch-"_s + name);
        switches += box->isChecked() ? u'1' : u'0';
        EXPECT_TRUE(box->isEnabled()) << name.toStdString();
    }
    EXPECT_EQ(switches, u"1001"_s);
    // Every digit fits its box: nothing to explain.
    EXPECT_FALSE(control<QLabel>(u"ownSettings"_s)->isVisibleTo(&window));
    BankLoad load = writtenProgram();
    ASSERT_TRUE(load.bank);
    EXPECT_EQ(load.bank->List2().value(Bank::TitleRow), u"Моят тест"_s);

    control<QCheckBox>(u"switch-review"_s)->click();
    EXPECT_TRUE(window.isWindowModified());
    QFile::remove(programToWrite);
    load = writtenProgram();
    ASSERT_TRUE(load.bank);
    EXPECT_EQ(load.bank->List2().value(Bank::ResultsNavigationRow),
              test::settings(1, 0, 0, 0)[Bank::ResultsNavigationRow]);
}

// A folder's switches that a check box cannot show are shown as neither ticked nor not and said in
// words, never as off: row 4 at 2 gives explanations, row 2 at 2 the verdict without the repeat. The
// program written carries them as the folder has them.
TEST_F(PackerWindowTest, FolderSwitchesABoxCannotShowAreKeptAndTold)
{
    const QStringList rows = test::settings(0, 2, 2, 1, u"Моят тест"_s);
    openFolder(rows);
    EXPECT_EQ(switchBoxes(), u"0??1"_s);
    const QString note = control<QLabel>(u"ownSettings"_s)->text();
    EXPECT_TRUE(note.contains(u"„Проверка „Тото“: първият въпрос още веднъж“ е 2"_s)) << note.toStdString();
    EXPECT_TRUE(note.contains(u"„Обясненията след оценяването“ е 2"_s)) << note.toStdString();
    const BankLoad load = writtenProgram();
    ASSERT_TRUE(load.bank);
    EXPECT_EQ(load.bank->List2(), rows);

    // Another source afterwards starts from two-state boxes with the shipped switches.
    window.open(write(u"тест.txt"_s, ThreeQuestions));
    auto *explanations = control<QCheckBox>(u"switch-explanations"_s);
    EXPECT_FALSE(explanations->isTristate());
    EXPECT_EQ(explanations->checkState(), Qt::Checked);
}

// A file dropped on the window opens; the sources opened are offered again, the latest first, also in
// the next session; one that is gone is said to be gone and forgotten.
TEST_F(PackerWindowTest, DropOpensAndRecentSourcesAreKept)
{
    const QString first = write(u"първи.txt"_s, ThreeQuestions);
    const QString second = write(u"втори.txt"_s, ThreeQuestions);
    window.open(first);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(second)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_EQ(window.result().file, second);

    PackerWindow next(settings, QStringLiteral(MORV_PROGRAM), choices());
    QList<QAction *> recent = next.findChild<QPushButton *>(u"recent"_s)->menu()->actions();
    ASSERT_EQ(recent.size(), 2);
    EXPECT_TRUE(recent[0]->text().endsWith(QDir::toNativeSeparators(second)));
    EXPECT_TRUE(recent[1]->text().endsWith(QDir::toNativeSeparators(first)));
    recent[1]->trigger();
    EXPECT_EQ(next.result().file, first);

    QFile::remove(second);
    recent = next.findChild<QPushButton *>(u"recent"_s)->menu()->actions();
    ASSERT_EQ(recent.size(), 2);
    recent[1]->trigger();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(u"не съществува"_s));
    EXPECT_EQ(next.findChild<QPushButton *>(u"recent"_s)->menu()->actions().size(), 1);
}

// Every control of the window is reached with Tab and has a name for a screen reader.
TEST_F(PackerWindowTest, TabReachesEveryControlAndEachHasAName)
{
    window.open(write(u"тест.txt"_s, ThreeQuestions));
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto *open = control<QWidget>(u"open"_s);
    open->setFocus(Qt::TabFocusReason);
    QStringList reached;
    for (int step = 0; step < 200; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        if (focused == open)
            break;
        if (!focused->objectName().isEmpty())
            reached.append(focused->objectName());
    }
    for (const QString &name : {u"recent"_s,
                                u"questions"_s,
                                u"addQuestion"_s,
                                u"duplicateQuestion"_s,
                                u"removeQuestion"_s,
                                u"moveUp"_s,
                                u"moveDown"_s,
                                u"findings"_s,
                                u"questionText"_s,
                                u"right1"_s,
                                u"answer1"_s,
                                u"answerUp2"_s,
                                u"answerDown1"_s,
                                u"answer2"_s,
                                u"addAnswer"_s,
                                u"explanation"_s,
                                u"choosePicture"_s,
                                u"pastePicture"_s,
                                u"superscript"_s,
                                u"subscript"_s,
                                u"symbol-221a"_s,
                                u"title"_s,
                                u"switch-phrase"_s,
                                u"switch-toto"_s,
                                u"switch-explanations"_s,
                                u"switch-review"_s,
                                u"try"_s,
                                u"write"_s}) {
        EXPECT_TRUE(reached.contains(name))
            << name.toStdString() << " in " << reached.join(u' ').toStdString();
        EXPECT_FALSE(control<QWidget>(name)->accessibleName().isEmpty()) << name.toStdString();
    }
    // The answers of the question shown are reached too: the teacher can try them from the keyboard.
    EXPECT_TRUE(std::any_of(reached.begin(), reached.end(), [](const QString &name) {
        return name.startsWith(u"Option1("_s);
    })) << reached.join(u' ').toStdString();
}

// A test made from nothing: questions added from the list, typed in the form, the right answers chosen;
// the count stands against the limit all along, every change can be undone, and the test is saved and
// written as a program.
TEST_F(PackerWindowTest, ATestFromNothing)
{
    window.show();
    auto *count = control<QLabel>(u"questionCount"_s);
    EXPECT_EQ(count->text(), u"Въпроси: 0 от най-много 28 — нужни са поне 3"_s);
    const QStringList texts = {u"Колко е 2 + 2?"_s, u"Колко е 3 + 3?"_s, u"Колко е 4 + 4?"_s};
    TestEditor &editor = window.session().editor();
    for (int q = 0; q < 3; ++q) {
        control<QPushButton>(u"addQuestion"_s)->click();
        EXPECT_EQ(window.chosenQuestion(), q + 1);
        control<PlainField>(u"questionText"_s)->setPlainText(texts[q]);
        control<PlainField>(u"answer1"_s)->setPlainText(QString::number(2 * (q + 2)));
        control<PlainField>(u"answer2"_s)->setPlainText(u"5"_s);
        control<QRadioButton>(u"right1"_s)->click();
    }
    EXPECT_EQ(count->text(), u"Въпроси: 3 от най-много 28"_s);
    EXPECT_EQ(listed(), (QStringList{u"1 — готов Колко е 2 + 2?"_s, u"2 — готов Колко е 3 + 3?"_s,
                                     u"3 — готов Колко е 4 + 4?"_s}));
    EXPECT_TRUE(window.isWindowModified());
    EXPECT_TRUE(control<QPushButton>(u"write"_s)->isEnabled());

    // A new question without its right answer is a problem at once; undoing it leaves the three.
    control<QPushButton>(u"addQuestion"_s)->click();
    EXPECT_FALSE(control<QPushButton>(u"write"_s)->isEnabled());
    EXPECT_TRUE(listed().value(3).startsWith(u"4 — проблем"_s)) << listed().value(3).toStdString();
    editor.undoStack()->undo();
    EXPECT_EQ(listed().size(), 3);

    testToSave = dir.filePath(u"аритметика.xml"_s);
    EXPECT_TRUE(window.save());
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_TRUE(window.windowTitle().startsWith(u"аритметика.xml"_s));
    const BankLoad load = writtenProgram();
    ASSERT_TRUE(load.bank);
    EXPECT_EQ(load.bank->List1(Bank::CorrectAnswers), (QStringList{u"4"_s, u"6"_s, u"8"_s}));
}

// The list edits the test: moves by button, by keyboard and by dragging, a copy and a delete, each
// undone in turn.
TEST_F(PackerWindowTest, TheListEditsTheTest)
{
    window.open(write(u"тест.txt"_s, ThreeQuestions));
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto order = [this] {
        QStringList first;
        for (const QString &row : listed())
            first.append(row.section(u' ', 3, 3));
        return first.join(u' ');
    };
    ASSERT_EQ(order(), u"Колко Кой Столицата"_s);
    window.chooseQuestion(1);
    control<QPushButton>(u"moveDown"_s)->click();
    EXPECT_EQ(order(), u"Кой Колко Столицата"_s);
    EXPECT_EQ(window.chosenQuestion(), 2);
    QTest::keyClick(&window, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(order(), u"Кой Столицата Колко"_s);

    // A drag of the first question onto the last: the list asks, the editor moves.
    Q_EMIT control<QuestionList>(u"questions"_s)->moveAsked(0, 2);
    EXPECT_EQ(order(), u"Столицата Колко Кой"_s);

    window.chooseQuestion(2);
    control<QPushButton>(u"duplicateQuestion"_s)->click();
    EXPECT_EQ(order(), u"Столицата Колко Колко Кой"_s);
    EXPECT_EQ(listed().value(2).section(u' ', 1, 1), u"—"_s) << "a copy has no line in the source";
    // The copy goes, then the question that took its row.
    control<QPushButton>(u"removeQuestion"_s)->click();
    control<QPushButton>(u"removeQuestion"_s)->click();
    EXPECT_EQ(order(), u"Столицата Колко"_s);
    for (int step = 0; step < 6; ++step)
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(order(), u"Колко Кой Столицата"_s);
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(order(), u"Кой Колко Столицата"_s);
}

// Closing, opening or starting anew with unsaved changes asks first; going back keeps the window and
// the test as they are.
TEST_F(PackerWindowTest, UnsavedChangesAreAskedAbout)
{
    window.open(write(u"тест.txt"_s, ThreeQuestions));
    window.show();
    control<PlainField>(u"questionText"_s)->setPlainText(u"Колко е 2 + 3?"_s);
    EXPECT_TRUE(window.windowTitle().startsWith(u"тест.txt[*]"_s));
    EXPECT_FALSE(window.close());
    window.newTest();
    window.open(write(u"друг.txt"_s, ThreeQuestions));
    EXPECT_EQ(told, (QStringList(3, u"unsaved? тест.txt"_s)));
    EXPECT_EQ(window.session().editor().question(0).text, u"Колко е 2 + 3?"_s);
    unsaved = UnsavedAnswer::Discard;
    EXPECT_TRUE(window.close());
}

// A program written earlier opens by the test it carries, to be changed without its source.
TEST_F(PackerWindowTest, AWrittenProgramOpensForEditing)
{
    window.open(write(u"Тест 7а.txt"_s, ThreeQuestions));
    writtenProgram();
    PackerWindow next(settings, QStringLiteral(MORV_PROGRAM), choices());
    next.open(programToWrite);
    EXPECT_EQ(next.session().editor().questionCount(), 3);
    EXPECT_EQ(next.session().editor().document().title, u"Тест 7а"_s);
    EXPECT_EQ(next.findChild<QLineEdit *>(u"title"_s)->text(), u"Тест 7а"_s);
    EXPECT_TRUE(next.findChild<QPushButton *>(u"write"_s)->isEnabled());
}

struct ScreenCase
{
    const char *name;
    QSize window;
    bool previewWhole; // the test's window at its real size unscrolled; a laptop's may scroll it
};

class PackerWindowScreen : public PackerWindowTest, public testing::WithParamInterface<ScreenCase>
{};

// On the screens teachers have, the form is whole with no scroll bar sideways: every button and field
// within its column, the palette wrapped onto more rows; each switch's label has the width it needs. On
// a laptop's screen the preview scrolls in its area instead.
TEST_P(PackerWindowScreen, TheFormAndTheSettingsAreWhole)
{
    window.open(write(u"тест.txt"_s, ThreeQuestions));
    // The offscreen screen, 800 x 600, is narrower than the columns: the window would open maximised.
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
    EXPECT_LE(window.width(), window.screen()->availableGeometry().width());
    // Five answer rows, the most the form has.
    while (window.session().editor().addAnswer(0)) {
    }
    window.setWindowState(Qt::WindowNoState);
    window.resize(GetParam().window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.size(), GetParam().window);

    auto *area = control<QScrollArea>(u"formArea"_s);
    QWidget *seen = area->viewport();
    EXPECT_FALSE(area->horizontalScrollBar()->isVisible());
    EXPECT_LE(area->widget()->minimumSizeHint().width(), seen->width());
    // Every control within the column's width; the typing aids, at the top, in sight whole.
    QStringList cut;
    for (QWidget *widget : area->widget()->findChildren<QWidget *>()) {
        const QRect place(widget->mapTo(seen, QPoint(0, 0)), widget->size());
        const QString name = widget->objectName();
        const bool aid = name.startsWith(u"symbol-"_s) || name == u"superscript" || name == u"subscript";
        const bool whole =
            aid ? seen->rect().contains(place) : place.left() >= 0 && place.right() < seen->width();
        if (widget->isVisibleTo(&window) && !name.isEmpty() && !name.startsWith(u"qt_"_s) && !whole)
            cut.append(name);
    }
    EXPECT_TRUE(cut.isEmpty()) << cut.join(u' ').toStdString();

    for (const QString &name : {u"phrase"_s, u"toto"_s, u"explanations"_s, u"review"_s}) {
        auto *box = control<QCheckBox>(u"switch-"_s + name);
        EXPECT_GE(box->width(), box->sizeHint().width()) << name.toStdString();
    }
    if (GetParam().previewWhole) {
        EXPECT_FALSE(control<QScrollArea>(u"previewArea"_s)->horizontalScrollBar()->isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, PackerWindowScreen,
                         testing::Values(ScreenCase{"Laptop1366x768", QSize(1366, 768), false},
                                         ScreenCase{"Screen1600x1000", QSize(1600, 1000), true},
                                         ScreenCase{"Screen1920x1080", QSize(1920, 1080), true}),
                         [](const testing::TestParamInfo<ScreenCase> &row) { return row.param.name; });

// A row dropped on another takes its place, above or below it as dropped; the list itself moves
// nothing, so the editor's move is the only one.
TEST(QuestionList, ADropAsksForTheMoveItShows)
{
    struct Dropping : QuestionList
    {
        using QuestionList::dropEvent;
    } list;
    for (int row = 0; row < 4; ++row)
        new QTreeWidgetItem(&list, {QString::number(row + 1)});
    list.resize(200, 200);
    list.show();
    QList<std::pair<int, int>> asked;
    QObject::connect(&list, &QuestionList::moveAsked, [&asked](int from, int to) {
        asked.append({from, to});
    });
    QMimeData mime;
    auto dropOn = [&](int from, int onto) {
        list.setCurrentItem(list.topLevelItem(from));
        QDropEvent drop(list.visualItemRect(list.topLevelItem(onto)).center(), Qt::MoveAction, &mime,
                        Qt::LeftButton, Qt::NoModifier);
        list.dropEvent(&drop);
        EXPECT_EQ(drop.dropAction(), Qt::IgnoreAction);
    };
    dropOn(0, 2); // onto the third: it goes where the third was, the third moving up
    dropOn(3, 1);
    dropOn(2, 2);
    EXPECT_EQ(asked, (QList<std::pair<int, int>>{{0, 1}, {3, 1}}));
    EXPECT_EQ(list.topLevelItem(0)->text(0), u"1"_s);
}

// The form of one question over the editor's core, with the pupil's preview beside it.
class QuestionFormTest : public testing::Test
{
protected:
    QuestionFormTest() : form(editor, choices())
    {
        TestDocument document;
        document.title = u"Геометрия"_s;
        document.questions = {test::question(u"Колко е 2 + 2?"_s, {u"3"_s, u"4"_s}, 1),
                              test::question(u"Кой ъгъл е прав?"_s, {u"90°"_s, u"60°"_s}, 0),
                              test::question(u"Столица?"_s, {u"София"_s, u"Варна"_s}, 0)};
        editor.load(document);
        form.setPreview(&preview);
        form.showQuestion(0);
        form.show();
        QApplication::setActiveWindow(&form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    FormChoices choices()
    {
        FormChoices answers;
        answers.pictureToOpen = [this](QWidget *) { return pictureToOpen; };
        answers.tell = [this](QWidget *, const QString &message) { told.append(message); };
        return answers;
    }

    template <typename T>
    T *control(const QString &name) const
    {
        T *found = form.findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    // The question box and the visible answers of the preview, "*" on the chosen one.
    QStringList previewed() const
    {
        MainWindow *test = preview.testWindow();
        if (!test)
            return {};
        QStringList boxes = {test->findChild<TextBox *>(u"Text2(0)"_s)->rawText()};
        for (int option = 0; option < OptionCount; ++option) {
            auto *box = test->findChild<TextBox *>(u"Text2(%1)"_s.arg(option + 1));
            if (!box->isHidden())
                boxes.append(box->rawText() +
                             (test->findChild<QAbstractButton *>(u"Option1(%1)"_s.arg(option))->isChecked()
                                  ? u"*"_s
                                  : QString()));
        }
        return boxes;
    }

    QString png(const QString &name, int width, int height) const
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    QString write(const QString &name) const
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("не е изображение");
        return file.fileName();
    }

    QTemporaryDir dir;
    QString pictureToOpen;
    QStringList told;
    TestEditor editor;
    QuestionPreview preview;
    QuestionForm form;
};

// Every keystroke reaches the pupil's preview at once, and the keystrokes of one field are one undo.
TEST_F(QuestionFormTest, TypingUpdatesThePreview)
{
    auto *text = control<PlainField>(u"questionText"_s);
    text->moveCursor(QTextCursor::End);
    QTest::keyClicks(text, u" 3 + 3?"_s);
    EXPECT_EQ(editor.question(0).text, u"Колко е 2 + 2? 3 + 3?"_s);
    EXPECT_EQ(previewed(), (QStringList{u"Колко е 2 + 2? 3 + 3?"_s, u"3"_s, u"4*"_s}));
    EXPECT_EQ(editor.undoStack()->count(), 1);

    QTest::keyClicks(control<PlainField>(u"answer1"_s), u"0"_s);
    control<QRadioButton>(u"right1"_s)->click();
    EXPECT_EQ(previewed(), (QStringList{u"Колко е 2 + 2? 3 + 3?"_s, u"03*"_s, u"4"_s}));
    EXPECT_EQ(editor.question(0).correct, u"03"_s);

    editor.undoStack()->undo();
    editor.undoStack()->undo();
    EXPECT_EQ(control<PlainField>(u"answer1"_s)->toPlainText(), u"3"_s);
    EXPECT_EQ(previewed(), (QStringList{u"Колко е 2 + 2? 3 + 3?"_s, u"3"_s, u"4*"_s}));
}

// A text the pupil would not see whole is marked as it is typed, from where the box cuts it, and said
// so in words under the form.
TEST_F(QuestionFormTest, ALongTextIsMarkedWhereItIsCut)
{
    auto *text = control<PlainField>(u"questionText"_s);
    EXPECT_TRUE(text->extraSelections().isEmpty());
    text->setPlainText(QStringList(20, u"Ред от дълъг въпрос"_s).join(u'\n'));
    const QList<QTextEdit::ExtraSelection> marks = text->extraSelections();
    ASSERT_EQ(marks.size(), 1);
    EXPECT_EQ(marks[0].cursor.selectionStart(), int(editor.fit(0).textShown));
    EXPECT_EQ(marks[0].cursor.selectionEnd(), int(editor.question(0).text.size()));
    EXPECT_GT(marks[0].cursor.selectionStart(), 0);
    EXPECT_TRUE(control<QLabel>(u"questionFindings"_s)
                    ->text()
                    .contains(u"внимание: текстът на въпроса заема 20 реда"_s))
        << control<QLabel>(u"questionFindings"_s)->text().toStdString();
    editor.undoStack()->undo();
    EXPECT_TRUE(text->extraSelections().isEmpty());
}

// A picture comes from a chosen file, a file dropped on the form, or the clipboard; each becomes the
// question's picture, one too large for the box made to fit. What is no picture is told, not taken.
TEST_F(QuestionFormTest, PicturePathsFileDropAndPaste)
{
    pictureToOpen = png(u"чертеж.png"_s, 800, 600);
    control<QPushButton>(u"choosePicture"_s)->click();
    EXPECT_EQ(editor.question(0).pictureName, u"чертеж.jpg"_s);
    EXPECT_TRUE(editor.fit(0).warnings.isEmpty());
    ASSERT_NE(preview.testWindow(), nullptr);

    form.showQuestion(1);
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(png(u"ъгъл.png"_s, 40, 30))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    EXPECT_EQ(editor.question(1).pictureName, u"ъгъл.jpg"_s);

    form.showQuestion(2);
    QImage copied(30, 20, QImage::Format_RGB32);
    copied.fill(Qt::red);
    QApplication::clipboard()->setImage(copied);
    control<PlainField>(u"questionText"_s)->paste();
    EXPECT_EQ(editor.question(2).pictureName, u"поставено.jpg"_s);
    EXPECT_EQ(editor.question(2).text, u"Столица?"_s);
    control<QPushButton>(u"removePicture"_s)->click();
    EXPECT_TRUE(editor.question(2).picture.isEmpty());
    control<QPushButton>(u"pastePicture"_s)->click();
    EXPECT_FALSE(editor.question(2).picture.isEmpty());

    pictureToOpen = write(u"бележка.txt"_s);
    control<QPushButton>(u"choosePicture"_s)->click();
    EXPECT_EQ(told, QStringList{u"„бележка.txt“ не е изображение, което може да се прочете"_s});
    EXPECT_EQ(editor.question(2).pictureName, u"поставено.jpg"_s);
}

// Rich text from a word processor is pasted as the program's plain text: superscripts as such
// characters, paragraphs as lines.
TEST_F(QuestionFormTest, RichTextIsPastedAsPlainText)
{
    auto *mime = new QMimeData;
    mime->setHtml(
        u"<html><body><p style=\"margin:0\">Лицето е a<sup>2</sup></p><p>H<sub>2</sub>O</p></body></html>"_s);
    mime->setText(u"Лицето е a2\nH2O"_s);
    QApplication::clipboard()->setMimeData(mime);
    auto *explanation = control<PlainField>(u"explanation"_s);
    explanation->setFocus();
    explanation->paste();
    EXPECT_EQ(editor.question(0).explanation, (QStringList{u"Лицето е a²"_s, u"H₂O"_s}));
}

// The selection becomes superscript or subscript characters; one with no such form is refused by name
// and the text stays; a symbol of the palette goes where the teacher types.
TEST_F(QuestionFormTest, ScriptsAndSymbols)
{
    auto *answer = control<PlainField>(u"answer2"_s);
    answer->setFocus();
    answer->setPlainText(u"q2"_s);
    QTextCursor cursor = answer->textCursor();
    cursor.setPosition(1);
    cursor.setPosition(2, QTextCursor::KeepAnchor);
    answer->setTextCursor(cursor);
    control<QPushButton>(u"superscript"_s)->click();
    EXPECT_EQ(editor.question(0).answers[1], u"q²"_s);
    EXPECT_EQ(editor.question(0).correct, u"q²"_s);

    answer->selectAll();
    control<QPushButton>(u"subscript"_s)->click();
    EXPECT_EQ(told,
              QStringList{u"„q“ няма долен индекс в Unicode, затова „q²“ не може да стане долен индекс."_s});
    EXPECT_EQ(editor.question(0).answers[1], u"q²"_s);

    answer->moveCursor(QTextCursor::End);
    control<QToolButton>(u"symbol-2260"_s)->click();
    EXPECT_EQ(editor.question(0).answers[1], u"q²≠"_s);
}

} // namespace
} // namespace morv
