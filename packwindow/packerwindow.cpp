// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "packwindow/packerwindow.h"

#include "bank/bankreader.h"
#include "bank/picturecheck.h"
#include "packwindow/flowlayout.h"
#include "packwindow/questionform.h"
#include "packwindow/questionlist.h"
#include "packwindow/questionpreview.h"
#include "ui/appicon.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
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
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
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
#include <QUndoStack>
#include <QVBoxLayout>

#include <numeric>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

const QString RecentKey = u"recentSources"_s;
const QString OwnSettingsNote = u"Папката носи свои настройки в bank.json: тук те само се показват."_s;
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

// What the program makes of a switch's digit other than 0 and 1.
QString unusualDigit(Switch which, const TestSwitches &switches)
{
    if (which == Switch::Toto)
        return u"оценка без повторение на първия въпрос"_s;
    return switches.on(which) ? u"програмата го чете като включено"_s
                              : u"програмата го чете като изключено"_s;
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
    choices.unsavedChanges = [](QWidget *parent, const QString &title) {
        const auto answer = QMessageBox::question(
            parent, u"МОРВ — тест от файл"_s,
            u"Тестът „%1“ има незаписани промени. Да се запишат ли?"_s.arg(title),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        return answer == QMessageBox::Save      ? UnsavedAnswer::Save
               : answer == QMessageBox::Discard ? UnsavedAnswer::Discard
                                                : UnsavedAnswer::Cancel;
    };
    choices.testToSave = [](QWidget *parent, const QString &suggested, const QStringList &leftOut) {
        if (!leftOut.isEmpty())
            QMessageBox::information(
                parent, u"МОРВ — тест от файл"_s,
                u"Тестът се записва в нов файл: отвореният не се заменя, защото новият няма "
                u"да съдържа:\n\n%1"_s.arg(leftOut.join(u'\n')));
        return QFileDialog::getSaveFileName(parent, u"Записване на теста"_s, suggested,
                                            u"Moodle XML (*.xml)"_s);
    };
    choices.recover = [](QWidget *parent, const QString &title, const QDateTime &written) {
        return QMessageBox::question(
                   parent, u"МОРВ — тест от файл"_s,
                   u"Тестът „%1“ не беше записан, когато прозорецът се затвори неочаквано (%2). "
                   u"Да се възстанови ли?"_s.arg(title, QLocale().toString(written, QLocale::ShortFormat)),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
    };
    choices.pictureToOpen = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, u"Избор на изображение"_s, QDir::homePath(),
                                            u"Изображения (*.jpg *.jpeg *.png *.gif);;Всички файлове (*)"_s);
    };
    return choices;
}

PackerWindow::PackerWindow(QSettings &settings, QString program, PackerChoices choices, QWidget *parent)
    : QMainWindow(parent), m_settings(settings), m_program(std::move(program)), m_choices(std::move(choices))
{
    setWindowIcon(programIcon());
    setWindowTitle(u"МОРВ — тест от файл"_s);
    setAcceptDrops(true);
    m_tried = new TriedPrograms(this);
    m_watcher = new QFileSystemWatcher(this);
    m_saved = new QTimer(this);
    m_saved->setSingleShot(true);
    m_saved->setInterval(SaveSettleMs);
    m_typing = new QTimer(this);
    m_typing->setSingleShot(true);
    m_typing->setInterval(TypingPauseMs);
    EditorAsks asks;
    asks.unsavedChanges = [this](const QString &title) { return m_choices.unsavedChanges(this, title); };
    asks.saveAs = [this](const QString &suggested, const QStringList &leftOut) {
        return m_choices.testToSave(this, suggested, leftOut);
    };
    asks.recover = [this](const QString &title, const QDateTime &written) {
        return m_choices.recover(this, title, written);
    };
    asks.tell = [this](const QString &message) { m_choices.tell(this, message); };
    m_session = std::make_unique<EditorSession>(std::move(asks), m_choices.recoveryFolder.isEmpty()
                                                                     ? Recovery::defaultFolder()
                                                                     : m_choices.recoveryFolder);
    buildControls();
    buildMenus();
    setTabOrderOfControls();
    startEditing();

    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_saved, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &PackerWindow::directoryChanged);
    connect(m_saved, &QTimer::timeout, this, &PackerWindow::reload);

    fillRecent();
    m_preview->showMessage(
        u"Започнете нов тест с „Нов въпрос“ или отворете файл с въпроси — износ от Moodle "
        u"(XML), GIFT или Aiken, папка с bank.json или записана програма — с бутона „Отвори…“ "
        u"или като го пуснете в този прозорец."_s);
    statusBar()->showMessage(u"Нов тест."_s);
    // Every column as wide as it would be and tall enough for the preview with the settings under it,
    // within the screen; a screen too small for that gets the window maximised, so that the system counts
    // its frame and the desktop's panels.
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    const std::array<int, ColumnCount> wanted = columnWidths(false);
    const QMargins margins = centralWidget()->layout()->contentsMargins();
    const QSize natural(std::accumulate(wanted.begin(), wanted.end(), 0) +
                            (ColumnCount - 1) * m_columns->handleWidth() + margins.left() + margins.right(),
                        900);
    resize(natural.boundedTo(screen.size()));
    if (natural.width() > screen.width() || natural.height() > screen.height())
        setWindowState(windowState() | Qt::WindowMaximized);
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
    m_open->setToolTip(
        u"Износ от Moodle (XML), GIFT, Aiken, папка с bank.json или записана програма (Ctrl+O)"_s);
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
    splitter->addWidget(buildListColumn(splitter));

    FormChoices formChoices;
    formChoices.pictureToOpen = [this](QWidget *parent) { return m_choices.pictureToOpen(parent); };
    formChoices.tell = [this](QWidget *parent, const QString &message) { m_choices.tell(parent, message); };
    auto *formArea = new QScrollArea(splitter);
    formArea->setObjectName(u"formArea"_s);
    formArea->setWidgetResizable(true);
    formArea->setFocusPolicy(Qt::NoFocus);
    m_form = new QuestionForm(m_session->editor(), std::move(formChoices), formArea);
    formArea->setWidget(m_form);

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
    rightColumn->addWidget(scroll, 1);
    m_form->setPreview(m_preview);

    auto *settingsBox = new QGroupBox(u"Настройки на теста"_s, right);
    auto *grid = new QGridLayout(settingsBox);
    m_title = new QLineEdit(settingsBox);
    m_title->setObjectName(u"title"_s);
    m_title->setAccessibleName(u"Заглавие на теста"_s);
    m_title->setPlaceholderText(u"заглавието, което виждат учениците"_s);
    auto *titleLabel = new QLabel(u"&Заглавие:"_s, settingsBox);
    titleLabel->setBuddy(m_title);
    connect(m_title, &QLineEdit::textEdited, this,
            [this](const QString &title) { m_session->editor().setTitle(title); });
    grid->addWidget(titleLabel, 0, 0);
    grid->addWidget(m_title, 0, 1);
    for (const SwitchInfo &row : switchTable()) {
        const auto index = std::size_t(row.which);
        QCheckBox *box = new QCheckBox(row.label.toString(), settingsBox);
        box->setObjectName(u"switch-"_s + row.option.toString());
        box->setAccessibleName(row.label.toString());
        box->setChecked(row.shipped == 1);
        // A click or the space bar; the window's own setChecked() changes nothing.
        connect(box, &QCheckBox::clicked, this, [this, box, which = row.which](bool checked) {
            box->setTristate(false);
            m_session->editor().setSwitch(which, checked ? 1 : 0);
        });
        m_switches[index] = box;
        // One under another: side by side, the longer labels would be cut at the preview's width.
        grid->addWidget(box, 1 + int(index), 1);
    }
    m_ownSettings = new QLabel(settingsBox);
    m_ownSettings->setObjectName(u"ownSettings"_s);
    m_ownSettings->setWordWrap(true);
    m_ownSettings->hide();
    grid->addWidget(m_ownSettings, 1 + SwitchCount, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    rightColumn->addWidget(settingsBox);

    auto *actions = new QHBoxLayout;
    m_try = new QPushButton(u"Оп&итай"_s, right);
    m_try->setObjectName(u"try"_s);
    m_try->setAccessibleName(u"Опитай теста както ученик"_s);
    m_try->setToolTip(u"Стартира теста така, както ще го получат учениците (F5)"_s);
    m_write = new QPushButton(u"Запиши &програмата…"_s, right);
    m_write->setObjectName(u"write"_s);
    m_write->setAccessibleName(u"Запиши програмата с теста"_s);
    m_write->setToolTip(u"Записва готова програма с теста (Ctrl+E)"_s);
    m_try->setEnabled(false);
    m_write->setEnabled(false);
    connect(m_try, &QPushButton::clicked, this, &PackerWindow::tryTest);
    connect(m_write, &QPushButton::clicked, this, &PackerWindow::writeTest);
    actions->addStretch(1);
    actions->addWidget(m_try);
    actions->addWidget(m_write);
    rightColumn->addLayout(actions);
    // The preview column is never wider than the test's window at its real size; narrower, the window
    // scrolls in its area.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    right->setMaximumWidth(m_preview->minimumSizeHint().width() + 2 * scroll->frameWidth() + scrollBar);
    // The form is never cut sideways, even with its own scroll bar shown.
    formArea->setMinimumWidth(m_form->minimumSizeHint().width() + 2 * formArea->frameWidth() + scrollBar);

    m_columns = splitter;
    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(ListColumn, 1);
    splitter->setStretchFactor(FormColumn, 1);
    splitter->setStretchFactor(PreviewColumn, 0);
    connect(splitter, &QSplitter::splitterMoved, this, [this] { m_columnsMoved = true; });
    splitter->installEventFilter(this);
    setCentralWidget(central);
}

// What each column needs to show its controls whole (`least`), or what it takes at most of its own: the
// list its rows, the form its palette on one row, the preview the test's window at its real size.
std::array<int, PackerWindow::ColumnCount> PackerWindow::columnWidths(bool least) const
{
    const QWidget *list = m_columns->widget(ListColumn);
    const QWidget *form = m_columns->widget(FormColumn);
    const QWidget *preview = m_columns->widget(PreviewColumn);
    if (least)
        return {list->minimumSizeHint().width(), form->minimumWidth(), preview->minimumSizeHint().width()};
    return {list->sizeHint().width(),
            form->minimumWidth() + m_form->sizeHint().width() - m_form->minimumSizeHint().width(),
            preview->maximumWidth()};
}

// Each column at least what it needs; then the preview up to its real size; then the list and the form,
// each by its share of what it would take more; what is left, to both. Narrower, the preview scrolls in
// its area rather than the form.
void PackerWindow::fitColumns()
{
    std::array<int, ColumnCount> widths = columnWidths(true);
    const std::array<int, ColumnCount> wanted = columnWidths(false);
    int left = m_columns->width() - (ColumnCount - 1) * m_columns->handleWidth() -
               std::accumulate(widths.begin(), widths.end(), 0);
    auto grow = [&widths, &left](Column column, int more) {
        more = std::clamp(more, 0, std::max(left, 0));
        widths[column] += more;
        left -= more;
    };
    grow(PreviewColumn, wanted[PreviewColumn] - widths[PreviewColumn]);
    const int formWants = std::max(wanted[FormColumn] - widths[FormColumn], 0);
    const int listWants = std::max(wanted[ListColumn] - widths[ListColumn], 0);
    if (formWants + listWants > 0) {
        const int share = std::clamp(left, 0, formWants + listWants);
        const int toForm = share * formWants / (formWants + listWants);
        grow(FormColumn, toForm);
        grow(ListColumn, share - toForm);
    }
    const int rest = std::max(left, 0);
    widths[ListColumn] += rest / 2;
    widths[FormColumn] += rest - rest / 2;
    m_columns->setSizes({widths.begin(), widths.end()});
}

QWidget *PackerWindow::buildListColumn(QWidget *parent)
{
    auto *left = new QWidget(parent);
    auto *leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    m_questions = new QuestionList(left);
    m_questions->setObjectName(u"questions"_s);
    m_questions->setAccessibleName(u"Въпросите на теста"_s);
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
        m_chosen = current->data(0, Qt::UserRole).toInt();
        showChosen();
    });
    connect(m_questions, &QuestionList::moveAsked, this, [this](int from, int to) {
        if (m_rowQuestion.empty() || from >= int(m_rowQuestion.size()) ||
            m_rowQuestion[std::size_t(from)] < 0)
            return;
        m_chosen = to + 1;
        m_session->editor().moveQuestion(m_rowQuestion[std::size_t(from)], to);
    });
    m_count = new QLabel(left);
    m_count->setObjectName(u"questionCount"_s);
    m_count->setAccessibleName(u"Брой въпроси"_s);

    // On more rows when the column is narrow, so no button is cut.
    auto *listButtons = new FlowLayout;
    auto button = [&](const QString &text, const QString &name, const QString &accessible, auto slot) {
        auto *made = new QPushButton(text, left);
        made->setObjectName(name);
        made->setAccessibleName(accessible);
        connect(made, &QPushButton::clicked, this, slot);
        listButtons->addWidget(made);
        return made;
    };
    TestEditor &editor = m_session->editor();
    button(u"+ Нов"_s, u"addQuestion"_s, u"Нов въпрос след избрания"_s, [this, &editor] {
        m_chosen = editor.addQuestion(editedQuestion() + 1) + 1;
        fillQuestions();
    });
    button(u"Копие"_s, u"duplicateQuestion"_s, u"Копие на избрания въпрос"_s, [this, &editor] {
        if (const int index = editedQuestion(); index >= 0) {
            m_chosen = index + 2;
            editor.duplicateQuestion(index);
        }
    });
    button(u"Изтрий"_s, u"removeQuestion"_s, u"Изтрий избрания въпрос"_s, [this, &editor] {
        if (editedQuestion() >= 0)
            editor.removeQuestion(editedQuestion());
    });
    button(u"↑"_s, u"moveUp"_s, u"Премести въпроса нагоре"_s, [this, &editor] {
        if (const int index = editedQuestion(); index > 0) {
            m_chosen = index;
            editor.moveQuestion(index, index - 1);
        }
    });
    button(u"↓"_s, u"moveDown"_s, u"Премести въпроса надолу"_s, [this, &editor] {
        if (const int index = editedQuestion(); index >= 0 && index + 1 < editor.questionCount()) {
            m_chosen = index + 2;
            editor.moveQuestion(index, index + 1);
        }
    });

    m_findings = new QListWidget(left);
    m_findings->setObjectName(u"findings"_s);
    m_findings->setAccessibleName(u"Проблеми и предупреждения"_s);
    m_findings->setWordWrap(true);
    auto *findingsLabel = new QLabel(u"Про&блеми и предупреждения"_s, left);
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
    leftColumn->addWidget(m_count);
    leftColumn->addLayout(listButtons);
    leftColumn->addWidget(findingsLabel);
    leftColumn->addWidget(m_findings, 2);
    return left;
}

void PackerWindow::buildMenus()
{
    TestEditor &editor = m_session->editor();
    auto add = [this](QMenu *menu, const QString &text, const QKeySequence &keys, auto slot) {
        QAction *action = menu->addAction(text);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    QMenu *file = menuBar()->addMenu(u"&Файл"_s);
    add(file, u"&Нов тест"_s, QKeySequence::New, [this] { newTest(); });
    add(file, u"&Отвори…"_s, QKeySequence::Open, [this] { chooseSource(); });
    add(file, u"&Запази"_s, QKeySequence::Save, [this] { save(); });
    add(file, u"Запази &като…"_s, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] {
        if (m_session->saveAs())
            showFileName();
    });
    file->addSeparator();
    add(file, u"Оп&итай"_s, QKeySequence(Qt::Key_F5), [this] { tryTest(); });
    add(file, u"Запиши &програмата…"_s, QKeySequence(Qt::CTRL | Qt::Key_E), [this] { writeTest(); });
    file->addSeparator();
    add(file, u"&Затвори"_s, QKeySequence::Close, [this] { close(); });

    QMenu *edit = menuBar()->addMenu(u"&Редактиране"_s);
    QAction *undo = editor.undoStack()->createUndoAction(edit, u"Отмени"_s);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction *redo = editor.undoStack()->createRedoAction(edit, u"Повтори"_s);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    add(edit, u"&Нов въпрос"_s, QKeySequence(Qt::CTRL | Qt::Key_Return),
        [this] { findChild<QPushButton *>(u"addQuestion"_s)->click(); });
    add(edit, u"&Копие на въпроса"_s, QKeySequence(Qt::CTRL | Qt::Key_D),
        [this] { findChild<QPushButton *>(u"duplicateQuestion"_s)->click(); });
    add(edit, u"&Изтрий въпроса"_s, QKeySequence(Qt::CTRL | Qt::Key_Delete),
        [this] { findChild<QPushButton *>(u"removeQuestion"_s)->click(); });
    add(edit, u"Премести &нагоре"_s, QKeySequence(Qt::ALT | Qt::Key_Up),
        [this] { findChild<QPushButton *>(u"moveUp"_s)->click(); });
    add(edit, u"Премести н&адолу"_s, QKeySequence(Qt::ALT | Qt::Key_Down),
        [this] { findChild<QPushButton *>(u"moveDown"_s)->click(); });
    edit->addSeparator();
    add(edit, u"&Следващ въпрос"_s, QKeySequence(Qt::CTRL | Qt::Key_PageDown),
        [this] { chooseQuestion(m_chosen + 1); });
    add(edit, u"&Предишен въпрос"_s, QKeySequence(Qt::CTRL | Qt::Key_PageUp),
        [this] { chooseQuestion(m_chosen - 1); });
}

void PackerWindow::setTabOrderOfControls()
{
    QList<QWidget *> order = {m_open, m_recent, m_questions};
    for (const QString &name :
         {u"addQuestion"_s, u"duplicateQuestion"_s, u"removeQuestion"_s, u"moveUp"_s, u"moveDown"_s})
        order.append(findChild<QWidget *>(name));
    order.append(m_findings);
    // The form in its own order, from the question's text: the typing aids come after the fields.
    QList<QWidget *> aids;
    for (QWidget *widget : m_form->findChildren<QWidget *>()) {
        if (!(widget->focusPolicy() & Qt::TabFocus))
            continue;
        const bool aid = widget->objectName().startsWith(u"symbol-"_s) ||
                         widget->objectName() == u"superscript" || widget->objectName() == u"subscript";
        (aid ? aids : order).append(widget);
    }
    order += aids;
    order.append(m_title);
    for (QCheckBox *box : m_switches)
        order.append(box);
    order += {m_try, m_write};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

// The editor's changes reach the list, the findings and the settings as they happen.
void PackerWindow::startEditing()
{
    TestEditor &editor = m_session->editor();
    connect(&editor, &TestEditor::questionChanged, this, &PackerWindow::questionEdited);
    connect(&editor, &TestEditor::questionsChanged, this, &PackerWindow::fillFromEditor);
    connect(&editor, &TestEditor::settingsChanged, this, [this] {
        showSettings();
        fillFromEditor();
    });
    // The first change of a source read: from now on the findings are the editor's.
    connect(editor.undoStack(), &QUndoStack::indexChanged, this, [this](int index) {
        if (index > 0 && m_showSource) {
            m_showSource = false;
            fillFromEditor();
        }
    });
    connect(m_session.get(), &EditorSession::fileChanged, this, &PackerWindow::showFileName);
    fillFromEditor();
    showSettings();
    showFileName();
}

// A keystroke: only the question typed in is marked again, and the findings said again.
void PackerWindow::questionEdited(int index)
{
    if (m_showSource) {
        m_showSource = false;
        fillFromEditor();
        return;
    }
    Q_UNUSED(index);
    fillFromEditor();
}

// The result shown once the test has changed: the editor's own findings, question by question.
void PackerWindow::fillFromEditor()
{
    if (m_showSource) {
        showResult();
        return;
    }
    const TestEditor &editor = m_session->editor();
    const QString file = m_result.file;
    m_result = PackResult();
    m_result.file = file;
    m_result.document = editor.document();
    m_result.problems = editor.testProblems();
    for (int i = 0; i < editor.questionCount(); ++i) {
        for (Problem problem : editor.problems(i)) {
            problem.question = i + 1;
            m_result.problems.append(problem);
        }
        m_result.warnings += editor.fit(i).warnings;
    }
    m_rowQuestion.resize(std::size_t(editor.questionCount()));
    for (int i = 0; i < editor.questionCount(); ++i)
        m_rowQuestion[std::size_t(i)] = i;
    showResult();
}

int PackerWindow::editedQuestion() const
{
    const int row = m_chosen - 1;
    return row >= 0 && row < int(m_rowQuestion.size()) ? m_rowQuestion[std::size_t(row)] : -1;
}

void PackerWindow::open(const QString &path)
{
    const QString source = PackerEngine::sourcePath(path);
    if (!QFileInfo::exists(source)) {
        forgetRecent(source);
        m_choices.tell(this, u"„%1“ не съществува."_s.arg(QDir::toNativeSeparators(source)));
        return;
    }
    if (!m_session->settleUnsaved())
        return;
    if (const std::optional<QString> refusal = m_engine.open(path)) {
        m_choices.tell(this, *refusal);
        return;
    }
    m_source = m_engine.source();
    m_chosen = 0;
    m_sourceLabel->setText(QDir::toNativeSeparators(m_source));
    rememberRecent(m_source);
    reload();
}

PackOptions PackerWindow::options(SourceFormat format) const
{
    return PackOptions(m_source, format);
}

void PackerWindow::reload()
{
    m_saved->stop();
    m_typing->stop();
    if (m_source.isEmpty())
        return;
    watch();
    // Changes of the teacher's own are never lost to a file saved elsewhere.
    if (m_session->editor().isModified()) {
        statusBar()->showMessage(
            u"Файлът е променен извън прозореца; тук тестът има незаписани промени и не се "
            u"прочита отново."_s);
        return;
    }
    m_engine.reload();
    OpenedTest opened = openTest(m_source);
    m_result = m_engine.result();
    if (opened.fromProgram && opened.problems.isEmpty()) {
        // A program morv-pack wrote: its test as the program has it, checked as the editor checks it.
        m_result = PackResult();
        m_result.file = m_source;
        m_result.document = opened.test.document;
    }
    // The rows of the source as read, each the editor's question it became; one left out is none.
    m_rowQuestion.clear();
    QSet<int> leftOut;
    for (const Problem &problem : m_result.problems) {
        if (problem.rule == Rule::QuestionKind)
            leftOut.insert(problem.question);
    }
    int next = 0;
    for (std::size_t row = 0; row < m_result.questions().size(); ++row)
        m_rowQuestion.push_back(leftOut.contains(int(row) + 1) ? -1 : next++);
    m_showSource = !opened.fromProgram;
    {
        const QSignalBlocker blocker(m_session.get());
        m_session->take(m_source, std::move(opened));
    }
    if (!m_showSource)
        fillFromEditor();
    showSettings();
    showFileName();
    showResult();
    Q_EMIT sourceRead();
}

void PackerWindow::showResult()
{
    fillQuestions();
    fillFindings();
    const bool writable = m_result.problems.isEmpty() && !m_result.questions().empty();
    m_try->setEnabled(writable);
    m_write->setEnabled(writable);
    showCount();
    QString status = u"Въпроси: %1 · проблеми: %2 · предупреждения: %3. "_s.arg(m_result.questions().size())
                         .arg(m_result.problems.size())
                         .arg(m_result.warnings.size());
    status +=
        writable
            ? u"Тестът може да се запише като програма."_s
            : u"Поправете проблемите тук или в своя редактор: записан там, файлът се прочита отново сам."_s;
    statusBar()->showMessage(status);
}

// The count against the limit the switches allow, at all times.
void PackerWindow::showCount()
{
    const TestEditor &editor = m_session->editor();
    const int count = editor.questionCount();
    const int most = editor.questionLimit();
    m_count->setText(
        u"Въпроси: %1 от най-много %2%3"_s.arg(count).arg(most).arg(count > most ? u" — твърде много"_s
                                                                    : count < 3 ? u" — нужни са поне 3"_s
                                                                                : QString()));
}

void PackerWindow::showFileName()
{
    setWindowTitle(m_session->shownName() + u"[*] — МОРВ — тест от файл"_s);
    setWindowModified(m_session->editor().isModified());
}

// The title and switches as the test has them. A digit a check box cannot show is shown as neither
// ticked nor not, and said in words; it is written as it is until the teacher ticks the box.
void PackerWindow::showSettings()
{
    const TestDocument &document = m_session->editor().document();
    if (m_title->text() != document.title)
        m_title->setText(document.title);
    QStringList kept;
    for (const SwitchInfo &row : switchTable()) {
        QCheckBox *box = m_switches[std::size_t(row.which)];
        const bool fits = document.switches.fitsCheckBox(row.which);
        box->setTristate(!fits);
        box->setCheckState(!fits                             ? Qt::PartiallyChecked
                           : document.switches.on(row.which) ? Qt::Checked
                                                             : Qt::Unchecked);
        if (!fits)
            kept.append(u"„%1“ е %2 (%3)"_s.arg(row.label)
                            .arg(document.switches.digit(row.which))
                            .arg(unusualDigit(row.which, document.switches)));
    }
    m_ownSettings->setVisible(!kept.isEmpty());
    if (!kept.isEmpty())
        m_ownSettings->setText(
            u"Отметка не може да покаже: %1. Записва се непроменено."_s.arg(kept.join(u"; "_s)));
    showCount();
}

void PackerWindow::fillQuestions()
{
    const QSignalBlocker blocker(m_questions);
    m_questions->clear();
    const auto count = int(m_result.questions().size());
    for (int number = 1; number <= count; ++number) {
        const QuestionSource &question = m_result.questions()[std::size_t(number - 1)];
        const Mark mark = concerns(m_result.problems, number)   ? Mark::Problem
                          : concerns(m_result.warnings, number) ? Mark::Warning
                                                                : Mark::Ready;
        auto *item = new QTreeWidgetItem(m_questions);
        item->setData(0, Qt::UserRole, number);
        item->setText(0, QString::number(number));
        item->setText(1, question.line > 0 ? QString::number(question.line) : u"—"_s);
        item->setText(2, lookOf(mark).word.toString());
        item->setIcon(2, markIcon(mark));
        item->setText(3, summaryOf(question, number, m_result.problems));
        item->setToolTip(3, question.text);
    }
    // The question chosen before stays chosen; a source that lost it shows its last one.
    if (count == 0) {
        m_form->showQuestion(-1);
        m_preview->showMessage(m_showSource && !m_result.problems.isEmpty()
                                   ? u"Въпросите не могат да се прочетат: вижте проблемите вляво."_s
                                   : u"Няма въпроси: добавете първия с „+ Нов“ (Ctrl+Enter)."_s);
        return;
    }
    m_chosen = std::clamp(m_chosen, 1, count);
    m_questions->setCurrentItem(m_questions->topLevelItem(m_chosen - 1));
    showChosen();
}

void PackerWindow::fillFindings()
{
    const QSignalBlocker blocker(m_findings);
    m_findings->clear();
    QStringList lines = m_result.messages(QFileInfo(m_result.file).fileName());
    // A test made in the window has no file yet: its findings are told without one.
    if (m_result.file.isEmpty()) {
        lines = texts(m_result.problems);
        for (const Problem &warning : m_result.warnings)
            lines.append(u"внимание: "_s + shownText(warning));
    }
    const auto problems = m_result.problems.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Problem &problem = i < problems ? m_result.problems[i] : m_result.warnings[i - problems];
        auto *item =
            new QListWidgetItem(markIcon(i < problems ? Mark::Problem : Mark::Warning), lines[i], m_findings);
        item->setData(Qt::UserRole, problem.question);
    }
    if (lines.isEmpty() && !m_source.isEmpty()) {
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
    if (m_chosen < 1 || m_chosen > int(m_result.questions().size()))
        return;
    const int edited = editedQuestion();
    if (edited >= 0) {
        if (m_form->question() != edited)
            m_form->showQuestion(edited);
        return;
    }
    // A question the test could not take: shown as the source has it, not edited.
    m_form->showQuestion(-1);
    m_preview->showQuestion(m_result.questions()[std::size_t(m_chosen - 1)], m_result.document.title,
                            m_result.document.switches);
}

// Editors save by writing a new file and renaming it over the old one: the watch on the old file ends
// with it, and the folder's change tells when the new one is there to be watched again.
void PackerWindow::watch()
{
    const QFileInfo info(m_source);
    const QString file = info.isDir() ? QDir(m_source).filePath(u"bank.json"_s) : m_source;
    QStringList files = {file};
    QStringList folders = {info.isDir() ? m_source : info.path()};
    if (info.isDir())
        folders.append(QDir(m_source).filePath(u"pictures"_s));
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
    const QFileInfo info(m_source);
    if (info.isDir() || (info.exists() && !m_watcher->files().contains(m_source)))
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

// The program's files from the test as it stands, checked as the program will read them.
bool PackerWindow::prepareProgram()
{
    if (m_showSource)
        return m_result.packable();
    if (!m_result.problems.isEmpty())
        return false;
    TestDocument document = m_session->editor().document();
    // Each picture under its question's name, as the packer names an imported one.
    for (std::size_t i = 0; i < document.questions.size(); ++i) {
        TestQuestion &question = document.questions[i];
        question.pictureName = question.picture.isEmpty()
                                   ? QString()
                                   : u"pictures/q%1.jpg"_s.arg(int(i + 1), 2, 10, QChar(u'0'));
    }
    m_result.files = bankFiles(document);
    m_result.payload = packPayload(m_result.files);
    BankLoad load = readPayload(m_result.payload, PayloadOrigin::Appended, jpegDecodeProblem);
    m_result.bank = std::move(load.bank);
    if (!load.problems.isEmpty()) {
        m_choices.tell(this, texts(load.problems).join(u'\n'));
        return false;
    }
    return m_result.packable();
}

void PackerWindow::tryTest()
{
    readPending();
    if (!prepareProgram() || !programFound())
        return;
    const PreviewProgram tried = m_choices.tryOut ? m_choices.tryOut(m_program, m_result.files)
                                                  : m_tried->start(m_program, m_result.payload);
    if (!tried.problems.isEmpty())
        m_choices.tell(this, texts(tried.problems).join(u'\n'));
    else
        statusBar()->showMessage(u"Тестът е стартиран така, както ще го получат учениците."_s);
}

void PackerWindow::writeTest()
{
    readPending();
    if (!prepareProgram() || !programFound())
        return;
    // Beside the source, named after it; a folder's program goes beside the folder; a new test's after
    // its title.
    const QFileInfo info(m_source);
    const QString suggested = m_source.isEmpty() ? QDir::home().filePath(m_session->editor().document().title)
                              : info.isDir()     ? m_source + u"-тест"_s
                                                 : info.dir().filePath(info.completeBaseName());
    const QString output = m_choices.programToWrite(this, suggested);
    if (output.isEmpty())
        return;
    if (const QList<Problem> failure = writeProgram(m_program, output, m_result.payload, m_result.file,
                                                    QCoreApplication::applicationFilePath());
        !failure.isEmpty()) {
        m_choices.tell(this, texts(failure).join(u'\n'));
        return;
    }
    statusBar()->showMessage(u"Програмата е записана: %1"_s.arg(QDir::toNativeSeparators(output)));
}

void PackerWindow::newTest()
{
    if (!m_session->newTest())
        return;
    m_source.clear();
    m_sourceLabel->clear();
    m_result = PackResult();
    m_showSource = false;
    m_chosen = 0;
    watch();
    fillFromEditor();
}

bool PackerWindow::save()
{
    const bool saved = m_session->save();
    if (saved)
        statusBar()->showMessage(
            u"Тестът е записан: %1"_s.arg(QDir::toNativeSeparators(m_session->savePath())));
    return saved;
}

void PackerWindow::offerRecovery()
{
    if (!m_session->offerRecovery())
        return;
    m_source.clear();
    m_showSource = false;
    fillFromEditor();
    showSettings();
}

void PackerWindow::closeEvent(QCloseEvent *event)
{
    if (m_session->close())
        event->accept();
    else
        event->ignore();
}

// The columns follow the window's width until the teacher moves them.
bool PackerWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_columns && event->type() == QEvent::Resize && !m_columnsMoved)
        fitColumns();
    return QMainWindow::eventFilter(watched, event);
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
