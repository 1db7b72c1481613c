// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's core without widgets: every change undone and redone exactly, typing merged per field,
// the right answer following its text, and each question's problems and fit found again as it changes.
#include "bank/rules.h"
#include "pack/editorsession.h"
#include "pack/packer.h"
#include "pack/testeditor.h"
#include "tests/support/rows.h"
#include "tests/support/testbank.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>

using namespace Qt::Literals::StringLiterals;

namespace morv {
namespace {

// The whole test as text, its pictures by a short hash: two tests render alike only when they are alike.
QString rendered(const TestDocument &document)
{
    QStringList lines = {document.title + u" | "_s + QString::number(document.switches.digits[0]) +
                         QString::number(document.switches.digits[1]) +
                         QString::number(document.switches.digits[2]) +
                         QString::number(document.switches.digits[3])};
    for (const TestQuestion &question : document.questions) {
        const QByteArray picture =
            QCryptographicHash::hash(question.picture, QCryptographicHash::Sha1).toHex().left(8);
        lines.append(u"%1 [%2] =%3 {%4} %5:%6 (%7) @%8"_s
                         .arg(question.text, question.answers.join(u';'), question.correct,
                              question.explanation.join(u'/'), question.pictureName,
                              QString::fromLatin1(picture), question.pictureText)
                         .arg(question.line));
    }
    return lines.join(u'\n');
}

QByteArray png(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

TestDocument fourQuestions()
{
    TestDocument document;
    document.title = u"Геометрия"_s;
    document.questions = {
        test::question(u"Колко е 2 + 2?"_s, {u"3"_s, u"4"_s}, 1, {u"2 + 2 = 4"_s}),
        test::question(u"Кой ъгъл е прав?"_s, {u"90°"_s, u"60°"_s, u"45°"_s}, 0),
        test::question(u"Столица?"_s, {u"Пловдив"_s, u"София"_s, u"Варна"_s}, 1, {}, test::tinyJpeg(1)),
        test::question(u"π е около"_s, {u"3,14"_s, u"2,72"_s}, 0)};
    document.questions[2].pictureName = u"pictures/q03.jpg"_s;
    document.questions[2].pictureText = u"Карта"_s;
    for (std::size_t i = 0; i < document.questions.size(); ++i)
        document.questions[i].line = int(i) * 5 + 1;
    return document;
}

// Undo is exact: after any seeded sequence of edits, undoing all gives the starting test back and
// redoing all gives the edited one, whatever the edits were; each single step lands on the test as it
// stood when that command was done.
class UndoProperty : public testing::TestWithParam<unsigned>
{};

TEST_P(UndoProperty, UndoAllGivesTheStartAndRedoAllTheEditedTest)
{
    std::mt19937 random(GetParam());
    auto pick = [&random](int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); };
    const QStringList words = {u"x²"_s, u"a"_s, u"Ъгъл ∠ABC"_s, u""_s, u"\n"_s, u"5 ≤ 7"_s, u"й"_s};
    const QByteArray pictures[] = {test::tinyJpeg(2), png(40, 30), png(900, 700)};

    TestEditor editor;
    editor.load(fourQuestions());
    const QString start = rendered(editor.document());
    QUndoStack *undo = editor.undoStack();
    std::map<int, QString> states = {{0, start}};
    for (int step = 0; step < 150; ++step) {
        const int count = editor.questionCount();
        const int q = count > 0 ? pick(count) : 0;
        const int answers = count > 0 ? int(editor.question(q).answers.size()) : 0;
        const QString word = words[pick(int(words.size()))];
        switch (count == 0 ? 0 : pick(17)) {
        case 0:
            editor.addQuestion(pick(count + 1));
            break;
        case 1:
            editor.duplicateQuestion(q);
            break;
        case 2:
            editor.removeQuestion(q);
            break;
        case 3:
            editor.moveQuestion(q, pick(count));
            break;
        case 4: // typed a character at a time, as keystrokes arrive
            for (const QChar c : word)
                editor.setQuestionText(q, editor.question(q).text + c);
            break;
        case 5: {
            const int a = pick(answers);
            for (const QChar c : word + word)
                editor.setAnswer(q, a, editor.question(q).answers[a] + c);
            break;
        }
        case 6:
            editor.addAnswer(q);
            break;
        case 7:
            editor.removeAnswer(q, pick(answers));
            break;
        case 8:
            editor.moveAnswer(q, pick(answers), pick(answers));
            break;
        case 9:
            editor.setRightAnswer(q, pick(answers + 1) - 1);
            break;
        case 10:
            editor.setExplanation(q, word + u"\nред"_s);
            break;
        case 11:
            editor.setPicture(q, pictures[pick(3)], u"фигура.png"_s);
            break;
        case 12:
            editor.removePicture(q);
            break;
        case 13:
            editor.setPictureText(q, editor.question(q).pictureText + word);
            break;
        case 14:
            for (const QChar c : word)
                editor.setTitle(editor.document().title + c);
            break;
        case 15:
            editor.setSwitch(Switch(pick(4)), pick(3));
            break;
        default:
            editor.setQuestionText(
                q, editor.question(q).text.chopped(std::min<qsizetype>(1, editor.question(q).text.size())));
            break;
        }
        states[undo->index()] = rendered(editor.document());
    }
    const QString edited = rendered(editor.document());
    ASSERT_NE(edited, start);
    while (undo->canUndo()) {
        undo->undo();
        ASSERT_EQ(rendered(editor.document()), states[undo->index()]) << "undone to " << undo->index();
    }
    EXPECT_EQ(rendered(editor.document()), start);
    EXPECT_FALSE(editor.isModified());
    while (undo->canRedo())
        undo->redo();
    EXPECT_EQ(rendered(editor.document()), edited);
}

INSTANTIATE_TEST_SUITE_P(Seeds, UndoProperty, testing::Values(1u, 2u, 3u, 7u, 29u, 2026u),
                         [](const testing::TestParamInfo<unsigned> &row) {
                             return "seed_" + std::to_string(row.param);
                         });

// Keystrokes in one field are one change to undo; another field, or another answer, starts another.
TEST(TestEditor, TypingInOneFieldIsOneCommand)
{
    TestEditor editor;
    editor.load(fourQuestions());
    for (const QString &typed : {u"К"_s, u"Ко"_s, u"Кол"_s})
        editor.setQuestionText(0, typed);
    EXPECT_EQ(editor.undoStack()->count(), 1);
    editor.setAnswer(0, 0, u"5"_s);
    editor.setAnswer(0, 0, u"55"_s);
    editor.setAnswer(0, 1, u"6"_s);
    editor.setTitle(u"Г"_s);
    editor.setTitle(u"Ге"_s);
    EXPECT_EQ(editor.undoStack()->count(), 4);
    editor.undoStack()->undo();
    EXPECT_EQ(editor.document().title, u"Геометрия"_s);
    editor.undoStack()->undo();
    editor.undoStack()->undo();
    EXPECT_EQ(editor.question(0).answers, QStringList({u"3"_s, u"4"_s}));
    EXPECT_EQ(editor.question(0).text, u"Кол"_s);
}

// A field typed and typed back to what it was leaves nothing to undo and the test unchanged.
TEST(TestEditor, TypingBackToTheStartIsNoChange)
{
    TestEditor editor;
    editor.load(fourQuestions());
    editor.setQuestionText(1, u"Кой ъгъл е прав?!"_s);
    EXPECT_TRUE(editor.isModified());
    editor.setQuestionText(1, u"Кой ъгъл е прав?"_s);
    EXPECT_FALSE(editor.isModified());
    EXPECT_FALSE(editor.undoStack()->canUndo());
}

// The right answer is a choice of one answer: its text follows that answer as it is typed, removed or
// moved, and a question whose choice was removed has no right answer rather than another one.
TEST(TestEditor, TheRightAnswerFollowsTheChosenAnswer)
{
    TestEditor editor;
    editor.load(fourQuestions());
    editor.setAnswer(1, 0, u"90 градуса"_s);
    EXPECT_EQ(editor.question(1).correct, u"90 градуса"_s);
    editor.setAnswer(1, 1, u"90 градуса"_s); // the same text on another answer is not chosen
    EXPECT_EQ(editor.rightAnswer(1), 0);
    editor.moveAnswer(1, 0, 2);
    EXPECT_EQ(editor.rightAnswer(1), 2);
    EXPECT_EQ(editor.question(1).answers, QStringList({u"90 градуса"_s, u"45°"_s, u"90 градуса"_s}));
    editor.setAnswer(1, 2, u"прав"_s);
    EXPECT_EQ(editor.question(1).correct, u"прав"_s);
    ASSERT_TRUE(editor.removeAnswer(1, 2));
    EXPECT_EQ(editor.rightAnswer(1), -1);
    EXPECT_EQ(editor.question(1).correct, QString());
    EXPECT_EQ(texts(editor.problems(1)), QStringList{u"въпрос 2: не е избран верният отговор"_s});
}

// Two to five answers: the editor neither adds a sixth nor removes the second-last.
TEST(TestEditor, AnswersStayBetweenTwoAndFive)
{
    TestEditor editor;
    editor.load(fourQuestions());
    EXPECT_FALSE(editor.removeAnswer(0, 0));
    for (int added = 0; added < 3; ++added)
        EXPECT_TRUE(editor.addAnswer(0));
    EXPECT_FALSE(editor.addAnswer(0));
    EXPECT_EQ(editor.question(0).answers.size(), 5);
}

// A new question is told what it lacks at once; the test counts its questions against the limit the
// Toto switch allows.
TEST(TestEditor, NewQuestionsAndTheLimitAreCheckedAsTheyChange)
{
    TestEditor editor;
    editor.newTest(u"Нов"_s);
    EXPECT_EQ(editor.document().switches, TestSwitches());
    EXPECT_EQ(texts(editor.testProblems()), QStringList{u"тестът има 0 въпроса, а трябва да са поне 3"_s});
    const int added = editor.addQuestion();
    EXPECT_EQ(texts(editor.problems(added)),
              QStringList({u"въпрос 1: текстът на въпроса е празен или няма видим знак"_s,
                           u"въпрос 1: отговор 1 е празен или няма видим знак"_s,
                           u"въпрос 1: отговор 2 е празен или няма видим знак"_s,
                           u"въпрос 1: не е избран верният отговор"_s}));
    EXPECT_EQ(editor.questionLimit(), 28);
    editor.setSwitch(Switch::Toto, 0);
    EXPECT_EQ(editor.questionLimit(), 29);
    for (int q = 1; q < 30; ++q)
        editor.duplicateQuestion(0);
    EXPECT_EQ(texts(editor.testProblems()), QStringList{u"тестът има 30 въпроса, а побира най-много 29"_s});
    editor.undoStack()->undo();
    EXPECT_TRUE(editor.testProblems().isEmpty());
}

// A text the question box does not show whole is marked as it is typed, with where the box cuts it;
// only the edited question is measured again.
TEST(TestEditor, ALongTextIsMarkedWhereItIsCut)
{
    TestEditor editor;
    editor.load(fourQuestions());
    QList<int> changed;
    QObject::connect(&editor, &TestEditor::questionChanged, [&changed](int index) { changed.append(index); });
    const QString longText = QStringList(40, u"Дълъг ред от думи"_s).join(u'\n');
    editor.setQuestionText(3, longText);
    EXPECT_EQ(changed, QList<int>{3});
    ASSERT_EQ(editor.fit(3).warnings.size(), 1);
    EXPECT_TRUE(
        texts(editor.fit(3).warnings).first().startsWith(u"въпрос 4: текстът на въпроса заема 40 реда"_s));
    const qsizetype cut = editor.fit(3).textShown;
    EXPECT_GT(cut, 0);
    EXPECT_LT(cut, longText.size());
    // The cut falls at the start of a line.
    EXPECT_EQ(longText[cut - 1], u'\n');
    EXPECT_EQ(editor.fit(0).textShown, editor.question(0).text.size());
    editor.undoStack()->undo();
    EXPECT_TRUE(editor.fit(3).warnings.isEmpty());
}

// A picture is made a JPEG that fits the box and named so; one that fits is kept byte for byte under its
// name; what is no picture is refused by name and changes nothing.
TEST(TestEditor, PicturesAreConvertedKeptOrRefused)
{
    TestEditor editor;
    editor.load(fourQuestions());
    EXPECT_EQ(editor.setPicture(0, png(900, 700), u"/дом/чертеж.png"_s), QString());
    EXPECT_EQ(editor.question(0).pictureName, u"чертеж.jpg"_s);
    EXPECT_EQ(QImage::fromData(editor.question(0).picture, "JPG").isNull(), false);
    EXPECT_FALSE(editor.fit(0).warnings.size() > 0);
    const QByteArray jpeg = test::tinyJpeg(3);
    EXPECT_EQ(editor.setPicture(1, jpeg, u"малка.jpg"_s), QString());
    EXPECT_EQ(editor.question(1).picture, jpeg);
    EXPECT_EQ(editor.question(1).pictureName, u"малка.jpg"_s);
    const QString before = rendered(editor.document());
    EXPECT_TRUE(editor.setPicture(2, "не е картина", u"бележка.txt"_s)
                    .startsWith(u"изображението „бележка.txt“: "_s));
    EXPECT_EQ(rendered(editor.document()), before);
    editor.removePicture(2);
    EXPECT_TRUE(editor.question(2).picture.isEmpty());
    EXPECT_TRUE(editor.question(2).pictureText.isEmpty());
    editor.undoStack()->undo();
    EXPECT_EQ(editor.question(2).pictureText, u"Карта"_s);
}

// Modified is "not as last saved": undoing back to the save is unmodified again, and each change says so.
TEST(TestEditor, ModifiedFollowsTheSavedState)
{
    TestEditor editor;
    editor.load(fourQuestions());
    QList<bool> modified;
    QObject::connect(&editor, &TestEditor::modifiedChanged, [&modified](bool now) { modified.append(now); });
    editor.setExplanation(0, u"ред 1\nред 2"_s);
    EXPECT_EQ(editor.question(0).explanation, QStringList({u"ред 1"_s, u"ред 2"_s}));
    EXPECT_TRUE(editor.isModified());
    editor.markSaved();
    EXPECT_FALSE(editor.isModified());
    editor.setExplanation(0, {});
    EXPECT_TRUE(editor.question(0).explanation.isEmpty());
    editor.undoStack()->undo();
    EXPECT_FALSE(editor.isModified());
    editor.undoStack()->undo();
    EXPECT_TRUE(editor.isModified());
    EXPECT_EQ(modified, QList<bool>({true, false, true, false, true}));
}

// A Moodle export with an essay among three multiple-choice questions: the essay is left out.
const QByteArray WithEssay = R"(<?xml version="1.0" encoding="UTF-8"?>
<quiz>
  <question type="multichoice"><questiontext><text>Колко е 2 + 2?</text></questiontext>
    <answer fraction="100"><text>4</text></answer><answer fraction="0"><text>5</text></answer></question>
  <question type="essay"><name><text>Есе</text></name><questiontext><text>Опишете триъгълника.</text></questiontext></question>
  <question type="multichoice"><questiontext><text>Колко е 3 + 3?</text></questiontext>
    <answer fraction="100"><text>6</text></answer><answer fraction="0"><text>7</text></answer></question>
  <question type="multichoice"><questiontext><text>Колко е 4 + 4?</text></questiontext>
    <answer fraction="100"><text>8</text></answer><answer fraction="0"><text>9</text></answer></question>
</quiz>
)";

// A teacher at the window: answers given in advance, every question asked written down.
struct Teacher
{
    UnsavedAnswer unsaved = UnsavedAnswer::Cancel;
    QString saveAs; // empty: cancels
    bool recover = true;
    QStringList asked;
    QString hidden; // the temporary folder, told as DIR

    EditorAsks asks()
    {
        EditorAsks asks;
        asks.unsavedChanges = [this](const QString &title) {
            asked.append(u"unsaved? "_s + title);
            return unsaved;
        };
        asks.saveAs = [this](const QString &suggested, const QStringList &leftOut) {
            asked.append(u"save as? "_s + QFileInfo(suggested).fileName() +
                         (leftOut.isEmpty() ? QString() : u" without "_s + leftOut.join(u"; "_s)));
            return saveAs;
        };
        asks.recover = [this](const QString &title, const QDateTime &) {
            asked.append(u"recover? "_s + title);
            return recover;
        };
        asks.tell = [this](const QString &message) {
            asked.append(u"told: "_s + QString(message).replace(hidden, u"DIR"_s));
        };
        return asks;
    }
};

struct Desk
{
    Desk() { teacher.hidden = QDir::toNativeSeparators(dir.path()); }

    QTemporaryDir dir;
    Teacher teacher;
    QString data = dir.filePath(u"data"_s);

    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QByteArray read(const QString &name) const
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }
    // The recovery copies left in the data folder.
    qsizetype copies() const { return QDir(data).entryList({u"recovery-*.morv"_s}, QDir::Files).size(); }
};

// One rule of never losing a teacher's work: a story at the window, and what was asked on the way with
// what came of it.
struct NeverLoseRow
{
    const char *name;
    std::function<QStringList(Desk &)> story;
    QStringList expected;
};

using test::PrintTo;
using test::RowName;

class NeverLose : public testing::TestWithParam<NeverLoseRow>
{};

TEST_P(NeverLose, AsTheTeacherExpects)
{
    Desk desk;
    QStringList happened = GetParam().story(desk);
    EXPECT_EQ(desk.teacher.asked + happened, GetParam().expected);
}

QString yes(bool done)
{
    return done ? u"done"_s : u"not done"_s;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NeverLose,
    testing::Values(
        NeverLoseRow{"an unsaved change is asked about before a new test and going back keeps it",
                     [](Desk &desk) {
                         EditorSession session(desk.teacher.asks(), desk.data, u"a"_s);
                         session.editor().setTitle(u"Алгебра"_s);
                         const bool done = session.newTest();
                         return QStringList{yes(done), session.editor().document().title};
                     },
                     {u"unsaved? Алгебра"_s, u"not done"_s, u"Алгебра"_s}},
        NeverLoseRow{"an unsaved change is asked about before opening another file",
                     [](Desk &desk) {
                         EditorSession session(desk.teacher.asks(), desk.data, u"a"_s);
                         session.editor().addQuestion();
                         const bool done = session.open(desk.write(u"тест.txt"_s, test::ThreeAikenQuestions));
                         return QStringList{yes(done), QString::number(session.editor().questionCount())};
                     },
                     {u"unsaved? Нов тест"_s, u"not done"_s, u"1"_s}},
        NeverLoseRow{"an unsaved change is asked about on closing, and lost only when the teacher says so",
                     [](Desk &desk) {
                         EditorSession session(desk.teacher.asks(), desk.data, u"a"_s);
                         session.editor().addQuestion();
                         session.keepRecoveryCopy();
                         const bool kept = session.close();
                         desk.teacher.unsaved = UnsavedAnswer::Discard;
                         const bool closed = session.close();
                         return QStringList{yes(kept), yes(closed), QString::number(desk.copies())};
                     },
                     {u"unsaved? Нов тест"_s, u"unsaved? Нов тест"_s, u"not done"_s, u"done"_s, u"0"_s}},
        NeverLoseRow{"an opened file without changes is closed without a question",
                     [](Desk &desk) {
                         EditorSession session(desk.teacher.asks(), desk.data, u"a"_s);
                         const bool opened =
                             session.open(desk.write(u"тест.txt"_s, test::ThreeAikenQuestions));
                         return QStringList{yes(opened), yes(session.close())};
                     },
                     {u"done"_s, u"done"_s}},
        NeverLoseRow{"recovery is offered after a simulated crash and the test comes back unsaved",
                     [](Desk &desk) {
                         {
                             EditorSession crashed(desk.teacher.asks(), desk.data, u"a"_s);
                             crashed.open(desk.write(u"тест.txt"_s, test::ThreeAikenQuestions));
                             crashed.editor().setQuestionText(0, u"Колко е 2 + 3?"_s);
                             crashed.editor().setRightAnswer(2, 2);
                             crashed.keepRecoveryCopy();
                         } // no close(): the window is gone as in a crash
                         EditorSession next(desk.teacher.asks(), desk.data, u"b"_s);
                         const bool offered = next.offerRecovery();
                         const TestEditor &editor = next.editor();
                         return QStringList{yes(offered),
                                            editor.question(0).text,
                                            editor.question(2).correct,
                                            editor.isModified() ? u"modified"_s : u"saved"_s,
                                            next.shownName(),
                                            QString::number(desk.copies())};
                     },
                     {u"recover? тест"_s, u"done"_s, u"Колко е 2 + 3?"_s, u"Варна"_s, u"modified"_s,
                      u"тест.txt"_s, u"1"_s}},
        NeverLoseRow{"a declined recovery copy is removed and not offered again",
                     [](Desk &desk) {
                         {
                             EditorSession crashed(desk.teacher.asks(), desk.data, u"a"_s);
                             crashed.editor().setTitle(u"Химия"_s);
                             crashed.keepRecoveryCopy();
                         }
                         desk.teacher.recover = false;
                         EditorSession next(desk.teacher.asks(), desk.data, u"b"_s);
                         const bool first = next.offerRecovery();
                         const bool second = next.offerRecovery();
                         return QStringList{yes(first), yes(second), QString::number(desk.copies())};
                     },
                     {u"recover? Химия"_s, u"not done"_s, u"not done"_s, u"0"_s}},
        NeverLoseRow{"the copy of a window that still runs is not offered to another",
                     [](Desk &desk) {
                         EditorSession running(desk.teacher.asks(), desk.data, u"a"_s);
                         running.editor().setTitle(u"Химия"_s);
                         running.keepRecoveryCopy();
                         EditorSession next(desk.teacher.asks(), desk.data, u"b"_s);
                         return QStringList{yes(next.offerRecovery()), QString::number(desk.copies())};
                     },
                     {u"not done"_s, u"1"_s}},
        NeverLoseRow{
            "a change saved when the teacher says so before a new test",
            [](Desk &desk) {
                EditorSession session(desk.teacher.asks(), desk.data, u"a"_s);
                session.editor().setTitle(u"Алгебра"_s);
                session.editor().addQuestion();
                desk.teacher.unsaved = UnsavedAnswer::Save;
                desk.teacher.saveAs = desk.dir.filePath(u"алгебра.xml"_s);
                const bool done = session.newTest();
                const OpenedTest saved = openTest(desk.teacher.saveAs);
                return QStringList{yes(done), QString::number(session.editor().questionCount()),
                                   saved.test.document.title,
                                   QString::number(saved.test.document.questions.size())};
            },
            {u"unsaved? Алгебра"_s, u"save as? Алгебра.xml"_s, u"done"_s, u"0"_s, u"Алгебра"_s, u"1"_s}},
        NeverLoseRow{
            "a draft with problems can be saved and is opened again as it was",
            [](Desk &desk) {
                EditorSession session(desk.teacher.asks(), desk.data, u"a"_s);
                session.editor().addQuestion();
                session.editor().setQuestionText(0, u"Без верен отговор"_s);
                desk.teacher.saveAs = desk.dir.filePath(u"чернова.xml"_s);
                const bool saved = session.save();
                EditorSession again(desk.teacher.asks(), desk.data, u"b"_s);
                const bool opened = again.open(desk.teacher.saveAs);
                return QStringList{yes(saved), yes(opened), again.editor().question(0).text,
                                   QString::number(again.editor().problems(0).size()),
                                   again.savePath() == desk.teacher.saveAs ? u"replaceable"_s : u"kept"_s};
            },
            {u"save as? тест.xml"_s, u"done"_s, u"done"_s, u"Без верен отговор"_s, u"3"_s, u"replaceable"_s}},
        NeverLoseRow{"a file carried over whole is saved over without a question and keeps no copy",
                     [](Desk &desk) {
                         {
                             EditorSession first(desk.teacher.asks(), desk.data, u"a"_s);
                             first.open(desk.write(u"тест.txt"_s, test::ThreeAikenQuestions));
                             desk.teacher.saveAs = desk.dir.filePath(u"тест.xml"_s);
                             first.saveAs();
                             first.close();
                         }
                         EditorSession session(desk.teacher.asks(), desk.data, u"b"_s);
                         session.open(desk.dir.filePath(u"тест.xml"_s));
                         session.editor().setAnswer(0, 1, u"четири"_s);
                         session.keepRecoveryCopy();
                         const qsizetype copies = desk.copies();
                         const bool saved = session.save();
                         const OpenedTest reopened = openTest(desk.dir.filePath(u"тест.xml"_s));
                         return QStringList{yes(saved), QString::number(copies),
                                            QString::number(desk.copies()),
                                            reopened.test.document.questions[0].correct};
                     },
                     {u"save as? тест.xml"_s, u"done"_s, u"1"_s, u"0"_s, u"четири"_s}},
        NeverLoseRow{
            "a source with questions not carried over is never replaced",
            [](Desk &desk) {
                const QString source = desk.write(u"износ.xml"_s, WithEssay);
                EditorSession session(desk.teacher.asks(), desk.data, u"a"_s);
                session.open(source);
                session.editor().setQuestionText(0, u"Колко е 2 + 2 + 0?"_s);
                desk.teacher.saveAs = source;
                const bool saved = session.save();
                return QStringList{yes(saved), QString::number(session.editor().questionCount()),
                                   desk.read(u"износ.xml"_s) == WithEssay ? u"source kept"_s
                                                                          : u"source replaced"_s};
            },
            {u"save as? износ (МОРВ).xml without въпрос 2: въпрос от вида „есе“ (essay) не се поддържа: "
             u"програмата задава само въпроси с избор на един верен отговор"_s,
             u"told: „DIR/износ.xml“ е файлът, от който е отворен тестът, и не се заменя: тестът не носи "
             u"всичко от него. Изберете друго име."_s,
             u"not done"_s, u"3"_s, u"source kept"_s}}),
    RowName());

// A program morv-pack wrote opens by the bank appended to it, with its title and switches; the program
// as built carries no test of the teacher's and is refused by name.
TEST(OpenTest, AWrittenProgramOpensByItsAppendedBank)
{
    Desk desk;
    const QString source = desk.write(u"тест.txt"_s, test::ThreeAikenQuestions);
    PackOptions options(source, SourceFormat::Aiken);
    options.title = u"Тест 7а"_s;
    options[Switch::Review] = true;
    const PackResult packed = pack(options);
    ASSERT_TRUE(packed.packable());
    const QString program = desk.dir.filePath(u"Тест 7а"_s);
    ASSERT_TRUE(writeProgram(QStringLiteral(MORV_PROGRAM), program, packed.payload).isEmpty());

    const OpenedTest opened = openTest(program);
    EXPECT_EQ(opened.problems, QStringList());
    EXPECT_FALSE(opened.replaceable);
    EXPECT_EQ(opened.test.document.title, u"Тест 7а"_s);
    EXPECT_EQ(opened.test.document.switches.digits, (std::array<int, 4>{0, 1, 1, 1}));
    ASSERT_EQ(opened.test.document.questions.size(), 3u);
    EXPECT_EQ(opened.test.document.questions[1].correct, u"90°"_s);

    EXPECT_EQ(openTest(QStringLiteral(MORV_PROGRAM)).problems,
              QStringList{u"morv: това е самата програма morv, без добавен тест"_s});
}

} // namespace
} // namespace morv
