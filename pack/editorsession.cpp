// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/editorsession.h"

#include "bank/bankreader.h"
#include "bank/payload.h"
#include "pack/moodlewriter.h"
#include "pack/packer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUndoStack>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// Rules that leave a question out of the test, or part of it, or change it on the way in.
bool leavesOut(Rule rule)
{
    return rule == Rule::QuestionKind || rule == Rule::NotCarriedOver || rule == Rule::ChangedOnImport;
}

// Rules after which nothing of the source can be had.
bool unreadable(Rule rule)
{
    return rule == Rule::Unreadable || rule == Rule::TooLarge || rule == Rule::Encoding ||
           rule == Rule::Syntax || rule == Rule::DamagedPayload;
}

// A program morv-pack wrote: its test comes from the bank appended to it. Nothing when the file is no
// program.
std::optional<OpenedTest> openProgram(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || file.size() > MaxProgramBytes ||
        file.size() == 0)
        return std::nullopt;
    const uchar *bytes = file.map(0, file.size());
    const std::optional<ProgramMark> mark =
        bytes ? programMark(QByteArrayView(bytes, file.size())) : std::nullopt;
    file.close();
    if (!mark)
        return std::nullopt;
    OpenedTest opened;
    opened.fromProgram = true;
    const QString name = QFileInfo(path).fileName();
    if (*mark == ProgramMark::AsBuilt) {
        opened.problems.append(name + u": това е самата програма morv, без добавен тест"_s);
        return opened;
    }
    const Found<BankFiles> files = appendedBank(path);
    if (!files) {
        opened.problems.append(
            located(name, files.problem.value_or(damagedPayloadProblem(PayloadOrigin::Appended))));
        return opened;
    }
    const BankLoad load = readBank(files->json, picturesFrom(files->pictures));
    for (const Problem &found : load.problems) {
        if (unreadable(found.rule) || found.rule == Rule::Structure)
            opened.problems.append(located(name, found));
    }
    if (!opened.problems.isEmpty())
        return opened;
    opened.test.document = load.document;
    opened.test.document.file = path;
    return opened;
}

} // namespace

OpenedTest openTest(const QString &path)
{
    if (std::optional<OpenedTest> program = openProgram(path))
        return *program;
    OpenedTest opened;
    const std::optional<SourceFormat> format = detectFormat(path);
    if (!format) {
        opened.problems.append(
            QFileInfo::exists(path)
                ? u"%1: не е ясно в какъв формат е източникът: очаква се износ от Moodle (XML), файл "
                  u"GIFT или Aiken, папка с bank.json или програма, записана от morv-pack"_s.arg(
                      QFileInfo(path).fileName())
                : u"%1: файлът не може да се прочете"_s.arg(path));
        return opened;
    }
    const PackResult result = pack(PackOptions(path, *format));
    const QString name = QFileInfo(result.file).fileName();
    QSet<int> dropped;
    QStringList &leftOut = opened.test.leftOut;
    for (const Problem &problem : result.problems) {
        if (problem.question == 0 && unreadable(problem.rule))
            opened.problems.append(located(name, problem));
        if (problem.question > 0 && leavesOut(problem.rule))
            leftOut.append(shownText(problem));
        if (problem.rule == Rule::QuestionKind)
            dropped.insert(problem.question);
    }
    for (const Problem &warning : result.warnings) {
        if (warning.question > 0 && leavesOut(warning.rule))
            leftOut.append(shownText(warning));
    }
    const std::vector<TestQuestion> &questions = result.questions();
    if (!opened.problems.isEmpty() && questions.empty())
        return opened;
    opened.problems.clear();
    TestDocument &document = opened.test.document;
    document = result.document;
    document.file = result.file;
    document.questions.clear();
    for (std::size_t i = 0; i < questions.size(); ++i) {
        if (!dropped.contains(int(i) + 1))
            document.questions.push_back(questions[i]);
    }
    // Only the teacher's own kind of file, read whole, is written over by „Запази“.
    opened.replaceable = *format == SourceFormat::MoodleXml && leftOut.isEmpty();
    if (opened.replaceable)
        opened.test.savePath = path;
    return opened;
}

QString saveTest(const QString &path, const TestDocument &document)
{
    const QByteArray bytes = moodleXml(document);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return u"„%1“ не може да се запише"_s.arg(QDir::toNativeSeparators(path));
    return {};
}

EditorSession::EditorSession(EditorAsks asks, const QString &recoveryFolder, const QString &recoveryName,
                             QObject *parent)
    : QObject(parent), m_asks(std::move(asks)), m_recovery(recoveryFolder, recoveryName)
{
    m_recoveryTimer.setSingleShot(true);
    m_recoveryTimer.setInterval(RecoveryDelayMs);
    connect(&m_recoveryTimer, &QTimer::timeout, this, &EditorSession::keepRecoveryCopy);
    connect(m_editor.undoStack(), &QUndoStack::indexChanged, &m_recoveryTimer, qOverload<>(&QTimer::start));
    connect(&m_editor, &TestEditor::modifiedChanged, this, &EditorSession::fileChanged);
    m_editor.newTest();
}

// A session that ends without close() is a crash as far as its copy goes: the copy stays to be offered.
EditorSession::~EditorSession() = default;

QString EditorSession::shownName() const
{
    if (!m_test.savePath.isEmpty())
        return QFileInfo(m_test.savePath).fileName();
    if (!m_openedSource.isEmpty())
        return QFileInfo(m_openedSource).fileName();
    const QString title = m_editor.document().title;
    return title.isEmpty() ? u"Нов тест"_s : title;
}

bool EditorSession::offerRecovery()
{
    const std::optional<RecoveredTest> left = m_recovery.left();
    if (!left)
        return false;
    const QString title = left->test.document.title.isEmpty() ? u"без заглавие"_s : left->test.document.title;
    const bool taken = m_asks.recover(title, left->written);
    Recovery::discard(left->file);
    if (!taken)
        return false;
    m_openedSource = left->test.document.file;
    start(left->test, true);
    keepRecoveryCopy();
    return true;
}

bool EditorSession::newTest()
{
    if (!settleUnsaved())
        return false;
    m_openedSource.clear();
    start({}, false);
    return true;
}

bool EditorSession::open(const QString &path)
{
    if (!settleUnsaved())
        return false;
    OpenedTest opened = openTest(path);
    if (!opened.problems.isEmpty()) {
        m_asks.tell(u"Файлът не може да се отвори:\n"_s + opened.problems.join(u'\n'));
        return false;
    }
    take(path, std::move(opened));
    return true;
}

void EditorSession::take(const QString &path, OpenedTest opened)
{
    m_openedSource = path;
    start(std::move(opened.test), false);
}

bool EditorSession::close()
{
    if (!settleUnsaved())
        return false;
    m_recoveryTimer.stop();
    m_recovery.remove();
    return true;
}

bool EditorSession::save()
{
    if (m_test.savePath.isEmpty())
        return saveAs();
    return writeTo(m_test.savePath);
}

bool EditorSession::saveAs()
{
    // Beside the source, after it; a new test after its title.
    const QFileInfo source(m_openedSource);
    QString suggested;
    if (!m_test.savePath.isEmpty())
        suggested = m_test.savePath;
    else if (!m_openedSource.isEmpty())
        suggested =
            (source.isDir() ? source.absoluteFilePath() : source.dir().filePath(source.completeBaseName())) +
            u".xml"_s;
    else
        suggested = (m_editor.document().title.isEmpty() ? u"тест"_s : m_editor.document().title) + u".xml"_s;
    if (!m_openedSource.isEmpty() && QFileInfo(suggested) == source)
        suggested = source.dir().filePath(source.completeBaseName() + u" (МОРВ).xml"_s);
    const QString path = m_asks.saveAs(suggested, m_test.leftOut);
    if (path.isEmpty())
        return false;
    // The source keeps what the test does not: it is never written over unless it was carried over whole.
    if (!m_openedSource.isEmpty() && QFileInfo(path) == source && !m_sourceWhole) {
        m_asks.tell(
            u"„%1“ е файлът, от който е отворен тестът, и не се заменя: тестът не носи всичко от него. "
            u"Изберете друго име."_s.arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return writeTo(path);
}

void EditorSession::keepRecoveryCopy()
{
    m_recoveryTimer.stop();
    if (!m_editor.isModified()) {
        m_recovery.remove();
        return;
    }
    EditedTest copy = m_test;
    copy.document = m_editor.document();
    copy.right = m_editor.rightAnswers();
    m_recovery.write(copy);
}

bool EditorSession::settleUnsaved()
{
    if (!m_editor.isModified())
        return true;
    switch (m_asks.unsavedChanges(shownName())) {
    case UnsavedAnswer::Save:
        return save();
    case UnsavedAnswer::Discard:
        return true;
    case UnsavedAnswer::Cancel:
        break;
    }
    return false;
}

bool EditorSession::writeTo(const QString &path)
{
    if (const QString failure = saveTest(path, m_editor.document()); !failure.isEmpty()) {
        m_asks.tell(failure);
        return false;
    }
    // The new file holds all the test holds: it may be saved over from now on.
    m_test.savePath = path;
    m_test.leftOut.clear();
    m_editor.markSaved();
    m_recoveryTimer.stop();
    m_recovery.remove();
    Q_EMIT fileChanged();
    return true;
}

void EditorSession::start(EditedTest test, bool modified)
{
    m_recoveryTimer.stop();
    m_recovery.remove();
    m_test = std::move(test);
    m_sourceWhole = !m_openedSource.isEmpty() && m_test.savePath == m_openedSource;
    m_editor.load(m_test.document, m_test.right, modified);
    // The editor holds the document from now on.
    m_test.document = {};
    m_test.right.clear();
    Q_EMIT fileChanged();
}

} // namespace morv
