// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "packwindow/packerwindow.h"

#include "packwindow/questionpreview.h"
#include "ui/appicon.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

const QString RecentKey = u"recentSources"_s;
constexpr qsizetype RecentCount = 8;
// Long enough for an editor to finish its save, short enough that the teacher sees the fix at once.
constexpr int SaveSettleMs = 150;
constexpr int TypingPauseMs = 400;
constexpr qsizetype SummaryLength = 70;

// What the list says of a question, by word and by colour: a mark is never colour alone.
enum class Mark { Ready, Warning, Problem };

struct MarkLook
{
    QStringView word;
    QColor colour;
};

MarkLook lookOf(Mark mark)
{
    switch (mark) {
    case Mark::Problem:
        return {u"проблем", QColor(0xc6, 0x28, 0x28)};
    case Mark::Warning:
        return {u"внимание", QColor(0xe6, 0x5c, 0x00)};
    case Mark::Ready:
        break;
    }
    return {u"готов", QColor(0x2e, 0x7d, 0x32)};
}

QIcon markIcon(Mark mark)
{
    QPixmap dot(12, 12);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(lookOf(mark).colour.darker(130));
    painter.setBrush(lookOf(mark).colour);
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    return QIcon(dot);
}

bool concerns(const QList<Problem> &problems, int question)
{
    return std::any_of(problems.begin(), problems.end(),
                       [question](const Problem &problem) { return problem.question == question; });
}

// The start of a question's text on one line; a question that could not be read is told by its problem.
QString summaryOf(const QuestionSource &question, int number, const QList<Problem> &problems)
{
    QString text = question.text.simplified();
    if (text.isEmpty()) {
        for (const Problem &problem : problems) {
            if (problem.question == number) {
                text = u"(%1)"_s.arg(problem.text);
                break;
            }
        }
    }
    return text.size() > SummaryLength ? text.left(SummaryLength - 1) + u'…' : text;
}

QStringList localFiles(const QMimeData *mime)
{
    QStringList files;
    if (!mime->hasUrls())
        return files;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    return files;
}

} // namespace

PackerChoices dialogChoices()
{
    PackerChoices choices;
    choices.sourceToOpen = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, u"Отваряне на файл с въпроси"_s, QDir::homePath(),
                                            u"Въпроси (*.xml *.gift *.txt bank.json);;Всички файлове (*)"_s);
    };
    choices.programToWrite = [](QWidget *parent, const QString &suggested) {
        return QFileDialog::getSaveFileName(parent, u"Записване на програмата с теста"_s, suggested);
    };
    choices.tell = [](QWidget *parent, const QString &message) {
        QMessageBox::warning(parent, u"МОРВ — тест от файл"_s, message);
    };
    return choices;
}

PackerWindow::PackerWindow(QSettings &settings, QString program, PackerChoices choices, QWidget *parent)
    : QMainWindow(parent), m_settings(settings), m_program(std::move(program)), m_choices(std::move(choices))
{
    setWindowIcon(programIcon());
    setWindowTitle(u"МОРВ — тест от файл"_s);
    setAcceptDrops(true);
    m_watcher = new QFileSystemWatcher(this);
    m_tried = new TriedPrograms(this);
    m_saved = new QTimer(this);
    m_saved->setSingleShot(true);
    m_saved->setInterval(SaveSettleMs);
    m_typing = new QTimer(this);
    m_typing->setSingleShot(true);
    m_typing->setInterval(TypingPauseMs);
    buildControls();
    setTabOrderOfControls();

    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_saved, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &PackerWindow::directoryChanged);
    connect(m_saved, &QTimer::timeout, this, &PackerWindow::reload);
    connect(m_typing, &QTimer::timeout, this, &PackerWindow::reload);

    fillRecent();
    m_preview->showMessage(u"Отворете файл с въпроси — износ от Moodle (XML), GIFT или Aiken, или папка с "
                           u"bank.json — с бутона „Отвори…“ или като го пуснете в този прозорец."_s);
    statusBar()->showMessage(u"Няма отворен файл."_s);
    // Room for the test's window beside the list, within the screen.
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    resize(std::min(1200, screen.width()), std::min(800, screen.height()));
}

PackerWindow::~PackerWindow() = default;

void PackerWindow::buildControls()
{
    auto *central = new QWidget(this);
    auto *page = new QVBoxLayout(central);

    auto *top = new QHBoxLayout;
    m_open = new QPushButton(u"&Отвори…"_s, central);
    m_open->setObjectName(u"open"_s);
    m_open->setAccessibleName(u"Отвори файл с въпроси"_s);
    m_open->setToolTip(u"Износ от Moodle (XML), GIFT, Aiken или папка с bank.json (Ctrl+O)"_s);
    connect(m_open, &QPushButton::clicked, this, &PackerWindow::chooseSource);
    m_recent = new QPushButton(u"Последни"_s, central);
    m_recent->setObjectName(u"recent"_s);
    m_recent->setAccessibleName(u"Последно отваряни файлове"_s);
    m_recentMenu = new QMenu(m_recent);
    m_recent->setMenu(m_recentMenu);
    m_sourceLabel = new QLabel(central);
    m_sourceLabel->setObjectName(u"source"_s);
    m_sourceLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(m_open);
    top->addWidget(m_recent);
    top->addWidget(m_sourceLabel, 1);
    page->addLayout(top);

    auto *splitter = new QSplitter(Qt::Horizontal, central);
    page->addWidget(splitter, 1);

    auto *left = new QWidget(splitter);
    auto *leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    m_questions = new QTreeWidget(left);
    m_questions->setObjectName(u"questions"_s);
    m_questions->setAccessibleName(u"Въпросите от файла"_s);
    m_questions->setRootIsDecorated(false);
    m_questions->setUniformRowHeights(true);
    m_questions->setHeaderLabels({u"№"_s, u"Ред"_s, u"Състояние"_s, u"Въпрос"_s});
    m_questions->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_questions->header()->setStretchLastSection(true);
    auto *questionsLabel = new QLabel(u"&Въпроси"_s, left);
    questionsLabel->setBuddy(m_questions);
    connect(m_questions, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (!current)
            return;
        m_engine.chooseQuestion(current->data(0, Qt::UserRole).toInt());
        showChosen();
    });
    m_findings = new QListWidget(left);
    m_findings->setObjectName(u"findings"_s);
    m_findings->setAccessibleName(u"Проблеми и предупреждения"_s);
    m_findings->setWordWrap(true);
    auto *findingsLabel = new QLabel(u"&Проблеми и предупреждения"_s, left);
    findingsLabel->setBuddy(m_findings);
    // Moving through the list with the keys, or clicking a line again after looking elsewhere.
    auto chooseItsQuestion = [this](QListWidgetItem *item) {
        if (item)
            chooseQuestion(item->data(Qt::UserRole).toInt());
    };
    connect(m_findings, &QListWidget::currentItemChanged, this, chooseItsQuestion);
    connect(m_findings, &QListWidget::itemClicked, this, chooseItsQuestion);
    leftColumn->addWidget(questionsLabel);
    leftColumn->addWidget(m_questions, 3);
    leftColumn->addWidget(findingsLabel);
    leftColumn->addWidget(m_findings, 2);

    auto *right = new QWidget(splitter);
    auto *rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    rightColumn->addWidget(new QLabel(u"Както ще го види ученикът"_s, right));
    auto *scroll = new QScrollArea(right);
    scroll->setObjectName(u"previewArea"_s);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus);
    m_preview = new QuestionPreview(scroll);
    scroll->setWidget(m_preview);
    // The test's window is never cut sideways: the list beside it gives way instead.
    scroll->setMinimumWidth(m_preview->minimumSizeHint().width() + 2 * scroll->frameWidth() +
                            scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    rightColumn->addWidget(scroll, 1);

    auto *settingsBox = new QGroupBox(u"Настройки на теста"_s, right);
    auto *grid = new QGridLayout(settingsBox);
    m_title = new QLineEdit(settingsBox);
    m_title->setObjectName(u"title"_s);
    m_title->setAccessibleName(u"Заглавие на теста"_s);
    m_title->setPlaceholderText(u"името на файла"_s);
    auto *titleLabel = new QLabel(u"&Заглавие:"_s, settingsBox);
    titleLabel->setBuddy(m_title);
    connect(m_title, &QLineEdit::textEdited, m_typing, qOverload<>(&QTimer::start));
    connect(m_title, &QLineEdit::editingFinished, this, [this] {
        if (m_typing->isActive())
            reload();
    });
    grid->addWidget(titleLabel, 0, 0);
    grid->addWidget(m_title, 0, 1, 1, 2);
    for (const SwitchInfo &row : switchTable()) {
        const auto index = std::size_t(row.which);
        QCheckBox *box = new QCheckBox(row.label.toString(), settingsBox);
        box->setObjectName(u"switch-"_s + row.option.toString());
        box->setAccessibleName(row.label.toString());
        box->setChecked(row.shipped == 1);
        // A click or the space bar; the window's own setChecked() never reads the source again.
        connect(box, &QCheckBox::clicked, this, &PackerWindow::reload);
        m_switches[index] = box;
        grid->addWidget(box, 1 + int(index) / 2, 1 + int(index) % 2);
    }
    m_ownSettings = new QLabel(settingsBox);
    m_ownSettings->setObjectName(u"ownSettings"_s);
    m_ownSettings->setWordWrap(true);
    m_ownSettings->hide();
    grid->addWidget(m_ownSettings, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    rightColumn->addWidget(settingsBox);

    auto *actions = new QHBoxLayout;
    m_try = new QPushButton(u"Оп&итай"_s, right);
    m_try->setObjectName(u"try"_s);
    m_try->setAccessibleName(u"Опитай теста както ученик"_s);
    m_try->setToolTip(u"Стартира теста така, както ще го получат учениците (F5)"_s);
    m_write = new QPushButton(u"&Запиши програмата…"_s, right);
    m_write->setObjectName(u"write"_s);
    m_write->setAccessibleName(u"Запиши програмата с теста"_s);
    m_write->setToolTip(u"Записва готова програма с теста (Ctrl+S)"_s);
    m_try->setEnabled(false);
    m_write->setEnabled(false);
    connect(m_try, &QPushButton::clicked, this, &PackerWindow::tryTest);
    connect(m_write, &QPushButton::clicked, this, &PackerWindow::writeTest);
    actions->addStretch(1);
    actions->addWidget(m_try);
    actions->addWidget(m_write);
    rightColumn->addLayout(actions);

    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    setCentralWidget(central);

    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this,
            &PackerWindow::chooseSource);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &PackerWindow::writeTest);
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this,
            &PackerWindow::tryTest);
}

void PackerWindow::setTabOrderOfControls()
{
    QList<QWidget *> order = {m_open, m_recent, m_questions, m_findings, m_title};
    for (QCheckBox *box : m_switches)
        order.append(box);
    order += {m_try, m_write};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void PackerWindow::open(const QString &path)
{
    if (const std::optional<QString> refusal = m_engine.open(path)) {
        forgetRecent(PackerEngine::sourcePath(path));
        m_choices.tell(this, *refusal);
        return;
    }
    const QString &source = m_engine.source();
    m_title->setText(m_engine.title());
    for (const SwitchInfo &row : switchTable()) {
        m_switches[std::size_t(row.which)]->setTristate(false);
        m_switches[std::size_t(row.which)]->setChecked(m_engine.switches().on(row.which));
    }
    m_sourceLabel->setText(QDir::toNativeSeparators(source));
    setWindowTitle(QFileInfo(source).fileName() + u" — МОРВ — тест от файл"_s);
    rememberRecent(source);
    showRead();
}

void PackerWindow::reload()
{
    m_saved->stop();
    m_typing->stop();
    if (m_engine.source().isEmpty())
        return;
    if (!m_engine.ownSettings()) {
        m_engine.setTitle(m_title->text());
        for (const SwitchInfo &row : switchTable())
            m_engine.setSwitch(row.which, m_switches[std::size_t(row.which)]->isChecked());
    }
    m_engine.reload();
    showRead();
}

void PackerWindow::showRead()
{
    watch();
    showResult();
    Q_EMIT sourceRead();
}

void PackerWindow::showResult()
{
    const bool own = m_engine.ownSettings();
    if (own)
        showOwnSettings();
    m_title->setReadOnly(own);
    for (QCheckBox *box : m_switches)
        box->setEnabled(!own);
    m_ownSettings->setVisible(own);
    fillQuestions();
    fillFindings();
    m_try->setEnabled(m_engine.canWrite());
    m_write->setEnabled(m_engine.canWrite());
    statusBar()->showMessage(m_engine.status());
}

// A bank.json folder brings its own title and switches: shown as the program will have them. A digit a
// check box cannot show is shown as neither ticked nor not, and said in words; it is written as it is.
void PackerWindow::showOwnSettings()
{
    m_title->setText(m_engine.title());
    const TestSwitches &switches = m_engine.switches();
    for (const SwitchInfo &row : switchTable()) {
        QCheckBox *box = m_switches[std::size_t(row.which)];
        const bool fits = switches.fitsCheckBox(row.which);
        box->setTristate(!fits);
        box->setCheckState(!fits                    ? Qt::PartiallyChecked
                           : switches.on(row.which) ? Qt::Checked
                                                    : Qt::Unchecked);
    }
    m_ownSettings->setText(m_engine.ownSettingsNote());
}

void PackerWindow::fillQuestions()
{
    const QSignalBlocker blocker(m_questions);
    m_questions->clear();
    const auto count = int(m_engine.result().questions().size());
    for (int number = 1; number <= count; ++number) {
        const QuestionSource &question = m_engine.result().questions()[std::size_t(number - 1)];
        const Mark mark = concerns(m_engine.result().problems, number)   ? Mark::Problem
                          : concerns(m_engine.result().warnings, number) ? Mark::Warning
                                                                         : Mark::Ready;
        auto *item = new QTreeWidgetItem(m_questions);
        item->setData(0, Qt::UserRole, number);
        item->setText(0, QString::number(number));
        item->setText(1, question.line > 0 ? QString::number(question.line) : u"—"_s);
        item->setText(2, lookOf(mark).word.toString());
        item->setIcon(2, markIcon(mark));
        item->setText(3, summaryOf(question, number, m_engine.result().problems));
        item->setToolTip(3, question.text);
    }
    // The question chosen before stays chosen; a source that lost it shows its last one.
    if (count == 0) {
        m_preview->showMessage(m_engine.result().problems.isEmpty()
                                   ? u"Във файла няма въпроси."_s
                                   : u"Въпросите не могат да се прочетат: вижте "
                                     u"проблемите вляво."_s);
        return;
    }
    m_questions->setCurrentItem(m_questions->topLevelItem(m_engine.chosenQuestion() - 1));
    showChosen();
}

void PackerWindow::fillFindings()
{
    const QSignalBlocker blocker(m_findings);
    m_findings->clear();
    const QStringList lines = m_engine.result().messages(QFileInfo(m_engine.result().file).fileName());
    const auto problems = m_engine.result().problems.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Problem &problem =
            i < problems ? m_engine.result().problems[i] : m_engine.result().warnings[i - problems];
        auto *item =
            new QListWidgetItem(markIcon(i < problems ? Mark::Problem : Mark::Warning), lines[i], m_findings);
        item->setData(Qt::UserRole, problem.question);
    }
    if (lines.isEmpty() && !m_engine.source().isEmpty()) {
        auto *item =
            new QListWidgetItem(markIcon(Mark::Ready), u"Няма проблеми и предупреждения."_s, m_findings);
        item->setFlags(Qt::ItemIsEnabled);
    }
}

void PackerWindow::chooseQuestion(int number)
{
    if (number < 1 || number > m_questions->topLevelItemCount())
        return;
    QTreeWidgetItem *item = m_questions->topLevelItem(number - 1);
    m_questions->setCurrentItem(item);
    m_questions->scrollToItem(item);
}

void PackerWindow::showChosen()
{
    if (const TestQuestion *question = m_engine.chosen())
        m_preview->showQuestion(*question, m_engine.result().document.title,
                                m_engine.result().document.switches);
}

// Editors save by writing a new file and renaming it over the old one: the watch on the old file ends
// with it, and the folder's change tells when the new one is there to be watched again.
void PackerWindow::watch()
{
    const QFileInfo info(m_engine.source());
    const QString file = info.isDir() ? QDir(m_engine.source()).filePath(u"bank.json"_s) : m_engine.source();
    QStringList files = {file};
    QStringList folders = {info.isDir() ? m_engine.source() : info.path()};
    if (info.isDir())
        folders.append(QDir(m_engine.source()).filePath(u"pictures"_s));
    for (const QString &path : m_watcher->files() + m_watcher->directories()) {
        if (!files.contains(path) && !folders.contains(path))
            m_watcher->removePath(path);
    }
    for (const QString &path : files + folders) {
        if (QFileInfo::exists(path) && !m_watcher->files().contains(path) &&
            !m_watcher->directories().contains(path))
            m_watcher->addPath(path);
    }
}

void PackerWindow::directoryChanged()
{
    // In a folder of its own every change may be the test's; beside a file, only the file's return.
    const QFileInfo info(m_engine.source());
    if (info.isDir() || (info.exists() && !m_watcher->files().contains(m_engine.source())))
        m_saved->start();
}

void PackerWindow::readPending()
{
    if (m_saved->isActive() || m_typing->isActive())
        reload();
}

void PackerWindow::rememberRecent(const QString &path)
{
    QStringList recent = m_settings.value(RecentKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    m_settings.setValue(RecentKey, recent.mid(0, RecentCount));
    fillRecent();
}

void PackerWindow::forgetRecent(const QString &path)
{
    QStringList recent = m_settings.value(RecentKey).toStringList();
    if (recent.removeAll(path) > 0)
        m_settings.setValue(RecentKey, recent);
    fillRecent();
}

void PackerWindow::fillRecent()
{
    // One of these actions may be the one being triggered now: each goes when it has done.
    for (QAction *action : m_recentMenu->actions()) {
        m_recentMenu->removeAction(action);
        action->deleteLater();
    }
    const QStringList recent = m_settings.value(RecentKey).toStringList();
    for (qsizetype i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        auto *action = new QAction(u"&%1 %2"_s.arg(i + 1).arg(QDir::toNativeSeparators(path)), m_recentMenu);
        m_recentMenu->addAction(action);
        connect(action, &QAction::triggered, this, [this, path] { open(path); });
    }
    m_recent->setEnabled(!recent.isEmpty());
}

void PackerWindow::chooseSource()
{
    if (const QString path = m_choices.sourceToOpen(this); !path.isEmpty())
        open(path);
}

bool PackerWindow::programFound()
{
    if (!m_program.isEmpty())
        return true;
    m_choices.tell(this, u"Програмата morv не е намерена до morv-pack: инсталирайте пакета morv."_s);
    return false;
}

void PackerWindow::tryTest()
{
    readPending();
    if (!m_engine.canWrite() || !programFound())
        return;
    const PreviewProgram tried = m_choices.tryOut ? m_choices.tryOut(m_program, m_engine.result().files)
                                                  : m_tried->start(m_program, m_engine.result().payload);
    if (!tried.problems.isEmpty())
        m_choices.tell(this, texts(tried.problems).join(u'\n'));
    else
        statusBar()->showMessage(u"Тестът е стартиран така, както ще го получат учениците."_s);
}

void PackerWindow::writeTest()
{
    readPending();
    if (!m_engine.canWrite() || !programFound())
        return;
    const QString output = m_choices.programToWrite(this, m_engine.suggestedProgram());
    if (output.isEmpty())
        return;
    if (const QList<Problem> failure =
            writeProgram(m_program, output, m_engine.result().payload, m_engine.result().file,
                         QCoreApplication::applicationFilePath());
        !failure.isEmpty()) {
        m_choices.tell(this, texts(failure).join(u'\n'));
        return;
    }
    statusBar()->showMessage(u"Програмата е записана: %1"_s.arg(QDir::toNativeSeparators(output)));
}

void PackerWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void PackerWindow::dropEvent(QDropEvent *event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    open(files.first());
}

} // namespace morv
