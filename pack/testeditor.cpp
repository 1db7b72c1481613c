// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/testeditor.h"

#include "bank/picturecheck.h"
#include "bank/rules.h"
#include "pack/pictures.h"

#include <QFileInfo>
#include <QUndoStack>

#include <algorithm>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// Command ids for merging: one per kind of typing.
constexpr int QuestionTypingId = 1;
constexpr int TitleTypingId = 2;

bool sameQuestion(const TestQuestion &a, const TestQuestion &b)
{
    return a.text == b.text && a.answers == b.answers && a.correct == b.correct &&
           a.pictureName == b.pictureName && a.picture == b.picture && a.pictureText == b.pictureText &&
           a.explanation == b.explanation && a.line == b.line;
}

} // namespace

// One question before and after a change. Keystrokes in the same field of the same question merge.
class QuestionCommand : public QUndoCommand
{
public:
    QuestionCommand(TestEditor &editor, int index, TestEditor::Entry before, TestEditor::Entry after,
                    std::optional<Field> typing, int answer, const QString &what)
        : QUndoCommand(what), m_editor(editor), m_index(index), m_before(std::move(before)),
          m_after(std::move(after)), m_typing(typing), m_answer(answer)
    {}

    void undo() override { m_editor.putQuestion(m_index, m_before); }
    void redo() override { m_editor.putQuestion(m_index, m_after); }
    int id() const override { return m_typing ? QuestionTypingId : -1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const QuestionCommand *>(other);
        if (next->m_index != m_index || next->m_typing != m_typing || next->m_answer != m_answer)
            return false;
        m_after = next->m_after;
        // Typed and typed away again: nothing left to undo.
        setObsolete(sameQuestion(m_before.question, m_after.question) && m_before.right == m_after.right);
        return true;
    }

private:
    TestEditor &m_editor;
    int m_index;
    TestEditor::Entry m_before;
    TestEditor::Entry m_after;
    std::optional<Field> m_typing;
    int m_answer;
};

// The list of questions before and after a question was added, removed or moved. The questions' texts
// and pictures are shared, not copied, so keeping the whole list costs little.
class ListCommand : public QUndoCommand
{
public:
    ListCommand(TestEditor &editor, std::vector<TestEditor::Entry> before,
                std::vector<TestEditor::Entry> after, const QString &what)
        : QUndoCommand(what), m_editor(editor), m_before(std::move(before)), m_after(std::move(after))
    {}

    void undo() override { m_editor.putList(m_before); }
    void redo() override { m_editor.putList(m_after); }

private:
    TestEditor &m_editor;
    std::vector<TestEditor::Entry> m_before;
    std::vector<TestEditor::Entry> m_after;
};

class SettingsCommand : public QUndoCommand
{
public:
    SettingsCommand(TestEditor &editor, const TestDocument &before, QString title, TestSwitches switches,
                    bool typing, const QString &what)
        : QUndoCommand(what), m_editor(editor), m_titleBefore(before.title),
          m_switchesBefore(before.switches), m_title(std::move(title)), m_switches(switches), m_typing(typing)
    {}

    void undo() override { m_editor.putSettings(m_titleBefore, m_switchesBefore); }
    void redo() override { m_editor.putSettings(m_title, m_switches); }
    int id() const override { return m_typing ? TitleTypingId : -1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        m_title = static_cast<const SettingsCommand *>(other)->m_title;
        setObsolete(m_title == m_titleBefore && m_switches == m_switchesBefore);
        return true;
    }

private:
    TestEditor &m_editor;
    QString m_titleBefore;
    TestSwitches m_switchesBefore;
    QString m_title;
    TestSwitches m_switches;
    bool m_typing;
};

TestEditor::TestEditor(QObject *parent) : QObject(parent), m_undo(std::make_unique<QUndoStack>())
{
    connect(m_undo.get(), &QUndoStack::cleanChanged, this,
            [this](bool clean) { Q_EMIT modifiedChanged(!clean); });
    findTestProblems();
}

TestEditor::~TestEditor()
{
    // The commands refer to the editor: they go first, and the stack's last word is not passed on.
    m_undo->disconnect(this);
    m_undo.reset();
}

void TestEditor::newTest(const QString &title)
{
    TestDocument document;
    document.title = title;
    load(std::move(document));
}

void TestEditor::load(TestDocument document, std::vector<int> right, bool modified)
{
    m_undo->clear();
    m_document = std::move(document);
    m_right = std::move(right);
    m_right.resize(m_document.questions.size(), -1);
    for (std::size_t i = 0; i < m_document.questions.size(); ++i) {
        const TestQuestion &question = m_document.questions[i];
        // Only a choice that agrees with the right answer's text is kept.
        if (m_right[i] < 0 || m_right[i] >= question.answers.size() ||
            question.answers[m_right[i]] != question.correct)
            m_right[i] = int(question.answers.indexOf(question.correct));
    }
    findAllAgain();
    if (modified)
        m_undo->resetClean();
    else
        m_undo->setClean();
    Q_EMIT questionsChanged();
    Q_EMIT settingsChanged();
}

bool TestEditor::hasProblems() const
{
    return !m_testProblems.isEmpty() || std::any_of(m_problems.begin(), m_problems.end(),
                                                    [](const QList<Problem> &p) { return !p.isEmpty(); });
}

int TestEditor::questionLimit() const
{
    return maxQuestions(m_document.switches.repeatQuestion());
}

bool TestEditor::isModified() const
{
    return !m_undo->isClean();
}

void TestEditor::markSaved()
{
    m_undo->setClean();
}

int TestEditor::addQuestion(int at)
{
    std::vector<Entry> after = entries();
    if (at < 0 || at > int(after.size()))
        at = int(after.size());
    Entry added;
    added.question.answers = {QString(), QString()};
    after.insert(after.begin() + at, added);
    changeList(std::move(after), u"нов въпрос"_s);
    return at;
}

void TestEditor::duplicateQuestion(int index)
{
    std::vector<Entry> after = entries();
    Entry copy = after[std::size_t(index)];
    // The copy was never in the source: it has no line there.
    copy.question.line = 0;
    after.insert(after.begin() + index + 1, copy);
    changeList(std::move(after), u"копие на въпрос %1"_s.arg(index + 1));
}

void TestEditor::removeQuestion(int index)
{
    std::vector<Entry> after = entries();
    after.erase(after.begin() + index);
    changeList(std::move(after), u"изтриване на въпрос %1"_s.arg(index + 1));
}

void TestEditor::moveQuestion(int from, int to)
{
    if (from == to || to < 0 || to >= questionCount())
        return;
    std::vector<Entry> after = entries();
    Entry moved = after[std::size_t(from)];
    after.erase(after.begin() + from);
    after.insert(after.begin() + to, moved);
    changeList(std::move(after), u"преместване на въпрос %1"_s.arg(from + 1));
}

void TestEditor::setQuestionText(int index, const QString &text)
{
    Entry after = entry(index);
    after.question.text = text;
    changeQuestion(index, after, u"текст на въпрос %1"_s.arg(index + 1), Field::QuestionText);
}

void TestEditor::setAnswer(int index, int answer, const QString &text)
{
    Entry after = entry(index);
    after.question.answers[answer] = text;
    if (after.right == answer)
        after.question.correct = text;
    changeQuestion(index, after, u"отговор %1 на въпрос %2"_s.arg(answer + 1).arg(index + 1), Field::Answer,
                   answer);
}

bool TestEditor::addAnswer(int index)
{
    Entry after = entry(index);
    if (after.question.answers.size() >= 5)
        return false;
    after.question.answers.append(QString());
    changeQuestion(index, after, u"нов отговор на въпрос %1"_s.arg(index + 1));
    return true;
}

bool TestEditor::removeAnswer(int index, int answer)
{
    Entry after = entry(index);
    if (after.question.answers.size() <= 2)
        return false;
    after.question.answers.removeAt(answer);
    if (after.right == answer) {
        after.right = -1;
        after.question.correct.clear();
    } else if (after.right > answer) {
        --after.right;
    }
    changeQuestion(index, after, u"изтриване на отговор %1 на въпрос %2"_s.arg(answer + 1).arg(index + 1));
    return true;
}

void TestEditor::moveAnswer(int index, int from, int to)
{
    Entry after = entry(index);
    if (from == to || to < 0 || to >= after.question.answers.size())
        return;
    after.question.answers.move(from, to);
    if (after.right == from)
        after.right = to;
    else if (after.right >= std::min(from, to) && after.right <= std::max(from, to))
        after.right += from < to ? -1 : 1;
    changeQuestion(index, after, u"преместване на отговор %1 на въпрос %2"_s.arg(from + 1).arg(index + 1));
}

void TestEditor::setRightAnswer(int index, int answer)
{
    Entry after = entry(index);
    after.right = answer;
    after.question.correct = answer >= 0 ? after.question.answers[answer] : QString();
    changeQuestion(index, after, u"верен отговор на въпрос %1"_s.arg(index + 1));
}

void TestEditor::setExplanation(int index, const QString &text)
{
    Entry after = entry(index);
    after.question.explanation = text.isEmpty() ? QStringList() : text.split(u'\n');
    changeQuestion(index, after, u"обяснение на въпрос %1"_s.arg(index + 1), Field::Explanation);
}

QString TestEditor::setPicture(int index, const QByteArray &bytes, const QString &name)
{
    const ConvertedPicture converted = toFittingJpeg(bytes);
    if (!converted.problem.isEmpty())
        return u"изображението %1: %2"_s.arg(inQuotes(name), converted.problem);
    Entry after = entry(index);
    after.question.picture = converted.jpeg;
    // Kept byte for byte, it keeps its name; converted, it is a JPEG now.
    after.question.pictureName =
        converted.jpeg == bytes ? name : QFileInfo(name).completeBaseName() + u".jpg"_s;
    changeQuestion(index, after, u"изображение на въпрос %1"_s.arg(index + 1));
    return {};
}

void TestEditor::removePicture(int index)
{
    Entry after = entry(index);
    after.question.picture.clear();
    after.question.pictureName.clear();
    after.question.pictureText.clear();
    changeQuestion(index, after, u"премахване на изображението на въпрос %1"_s.arg(index + 1));
}

void TestEditor::setPictureText(int index, const QString &text)
{
    Entry after = entry(index);
    after.question.pictureText = text;
    changeQuestion(index, after, u"описание на изображението на въпрос %1"_s.arg(index + 1),
                   Field::PictureText);
}

void TestEditor::setTitle(const QString &title)
{
    if (title != m_document.title)
        changeSettings(title, m_document.switches, true, u"заглавие"_s);
}

void TestEditor::setSwitch(Switch which, int digit)
{
    TestSwitches switches = m_document.switches;
    switches.setDigit(which, digit);
    if (switches != m_document.switches)
        changeSettings(m_document.title, switches, false, switchInfo(which).label.toString());
}

TestEditor::Entry TestEditor::entry(int index) const
{
    return {m_document.questions[std::size_t(index)], m_right[std::size_t(index)]};
}

std::vector<TestEditor::Entry> TestEditor::entries() const
{
    std::vector<Entry> all;
    all.reserve(m_document.questions.size());
    for (int i = 0; i < questionCount(); ++i)
        all.push_back(entry(i));
    return all;
}

// `typing` is the field this change types in, merged with the keystrokes before it; a change of another
// kind (a picture, an answer added) is a command of its own.
void TestEditor::changeQuestion(int index, const Entry &after, const QString &what,
                                std::optional<Field> typing, int answer)
{
    const Entry before = entry(index);
    if (sameQuestion(before.question, after.question) && before.right == after.right)
        return;
    m_undo->push(new QuestionCommand(*this, index, before, after, typing, answer, what));
}

void TestEditor::changeList(std::vector<Entry> after, const QString &what)
{
    m_undo->push(new ListCommand(*this, entries(), std::move(after), what));
}

void TestEditor::changeSettings(const QString &title, const TestSwitches &switches, bool typing,
                                const QString &what)
{
    m_undo->push(new SettingsCommand(*this, m_document, title, switches, typing, what));
}

void TestEditor::putQuestion(int index, const Entry &entry)
{
    m_document.questions[std::size_t(index)] = entry.question;
    m_right[std::size_t(index)] = entry.right;
    findAgain(index);
    Q_EMIT questionChanged(index);
}

void TestEditor::putList(const std::vector<Entry> &entries)
{
    m_document.questions.clear();
    m_right.clear();
    for (const Entry &entry : entries) {
        m_document.questions.push_back(entry.question);
        m_right.push_back(entry.right);
    }
    findAllAgain();
    Q_EMIT questionsChanged();
}

void TestEditor::putSettings(const QString &title, const TestSwitches &switches)
{
    m_document.title = title;
    m_document.switches = switches;
    findTestProblems();
    Q_EMIT settingsChanged();
}

void TestEditor::findAgain(int index)
{
    const auto at = std::size_t(index);
    const TestQuestion &question = m_document.questions[at];
    QList<Problem> problems = checkQuestion(question, at, jpegHeaderProblem);
    // A question whose right answer is not chosen yet is told so, not that "" is none of its answers.
    if (m_right[at] < 0 && question.correct.isEmpty()) {
        problems.removeIf([](const Problem &problem) { return problem.rule == Rule::RightAnswer; });
        problems.append({.rule = Rule::RightAnswer,
                         .line = question.line,
                         .question = index + 1,
                         .text = u"не е избран верният отговор"_s});
    }
    m_problems[at] = std::move(problems);
    m_fits[at] = measureQuestion(question, at);
}

void TestEditor::findAllAgain()
{
    m_problems.assign(m_document.questions.size(), {});
    m_fits.assign(m_document.questions.size(), {});
    for (int i = 0; i < questionCount(); ++i)
        findAgain(i);
    findTestProblems();
}

// The test's own rules only: its questions are checked one by one above.
void TestEditor::findTestProblems()
{
    TestDocument counted = m_document;
    counted.questions.assign(m_document.questions.size(), {});
    m_testProblems = checkBank(counted);
    m_testProblems.removeIf([](const Problem &problem) { return problem.question != 0; });
}

} // namespace morv
