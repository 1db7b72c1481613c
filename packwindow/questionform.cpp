// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "packwindow/questionform.h"

#include "bank/testdocument.h"
#include "pack/htmltext.h"
#include "pack/importer.h"
#include "packwindow/flowlayout.h"
#include "packwindow/questionpreview.h"

#include <QApplication>
#include <QBuffer>
#include <QButtonGroup>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// The part of a text its box does not show, on a colour that is never the only sign: the list and the
// findings say it in words.
const QColor HiddenColour(0xff, 0xe0, 0xb2);
constexpr int ThumbnailSide = 96;

QByteArray pngOf(const QImage &image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

} // namespace

OfferedPicture pictureIn(const QMimeData *source)
{
    if (source->hasUrls()) {
        for (const QUrl &url : source->urls()) {
            if (!url.isLocalFile())
                continue;
            const QString path = url.toLocalFile();
            const QFileInfo info(path);
            if (!QImage(path).isNull() || info.suffix().compare(u"jpg"_s, Qt::CaseInsensitive) == 0) {
                if (info.size() > MaxPictureBytes)
                    return {
                        {},
                        info.fileName(),
                        u"изображението „%1“ е твърде голямо: %2 байта, най-много %3"_s.arg(info.fileName())
                            .arg(info.size())
                            .arg(MaxPictureBytes)};
                QFile file(path);
                if (file.open(QIODevice::ReadOnly))
                    return {file.read(MaxPictureBytes), info.fileName(), {}};
            }
        }
    }
    if (source->hasImage()) {
        const QImage image = qvariant_cast<QImage>(source->imageData());
        if (!image.isNull())
            return {pngOf(image), u"поставено.png"_s, {}};
    }
    return {};
}

PlainField::PlainField(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

bool PlainField::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasImage() || source->hasUrls() || QPlainTextEdit::canInsertFromMimeData(source);
}

void PlainField::insertFromMimeData(const QMimeData *source)
{
    if (const OfferedPicture picture = pictureIn(source);
        !picture.bytes.isEmpty() || !picture.refused.isEmpty()) {
        Q_EMIT pictureOffered(picture.bytes, picture.refused.isEmpty() ? picture.name : picture.refused);
        return;
    }
    // A word processor's text: superscripts, paragraphs and lists as the importers read them.
    if (source->hasHtml()) {
        insertPlainText(htmlToText(source->html()).text);
        return;
    }
    if (source->hasText())
        insertPlainText(source->text());
}

QuestionForm::QuestionForm(TestEditor &editor, FormChoices choices, QWidget *parent)
    : QWidget(parent), m_editor(editor), m_choices(std::move(choices))
{
    setObjectName(u"questionForm"_s);
    setAcceptDrops(true);
    build();
    connect(&m_editor, &TestEditor::questionChanged, this, [this](int index) {
        if (index == m_index)
            refresh();
    });
    connect(&m_editor, &TestEditor::questionsChanged, this,
            [this] { showQuestion(std::min(m_index, m_editor.questionCount() - 1)); });
    connect(&m_editor, &TestEditor::settingsChanged, this, &QuestionForm::refreshPreview);
    showQuestion(-1);
}

QuestionForm::~QuestionForm() = default;

PlainField *QuestionForm::field(const QString &name, const QString &accessible, int lines)
{
    auto *made = new PlainField(this);
    made->setObjectName(name);
    made->setAccessibleName(accessible);
    made->setFixedHeight(made->fontMetrics().lineSpacing() * lines + 2 * made->frameWidth() + 8);
    made->installEventFilter(this);
    connect(made, &PlainField::pictureOffered, this, &QuestionForm::takePicture);
    return made;
}

void QuestionForm::build()
{
    auto *page = new QVBoxLayout(this);

    // The aids wrap onto more rows in a narrow column rather than widen the form past it.
    auto *aids = new FlowLayout;
    auto *superscript = new QPushButton(u"x²"_s, this);
    superscript->setObjectName(u"superscript"_s);
    superscript->setAccessibleName(u"Горен индекс на избрания текст"_s);
    superscript->setToolTip(u"Горен индекс на избрания текст (Ctrl+Shift++)"_s);
    superscript->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus));
    connect(superscript, &QPushButton::clicked, this, [this] { toScript(true); });
    auto *subscript = new QPushButton(u"x₂"_s, this);
    subscript->setObjectName(u"subscript"_s);
    subscript->setAccessibleName(u"Долен индекс на избрания текст"_s);
    subscript->setToolTip(u"Долен индекс на избрания текст (Ctrl+=)"_s);
    subscript->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal));
    connect(subscript, &QPushButton::clicked, this, [this] { toScript(false); });
    aids->addWidget(superscript);
    aids->addWidget(subscript);
    for (const QChar symbol : PaletteSymbols) {
        auto *button = new QToolButton(this);
        button->setText(QString(symbol));
        button->setObjectName(u"symbol-%1"_s.arg(symbol.unicode(), 4, 16, QChar(u'0')));
        button->setAccessibleName(u"Знак %1"_s.arg(symbol));
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QToolButton::clicked, this, [this, symbol] { insertSymbol(QString(symbol)); });
        aids->addWidget(button);
    }
    page->addLayout(aids);

    auto *textLabel = new QLabel(u"&Текст на въпроса:"_s, this);
    m_text = field(u"questionText"_s, u"Текст на въпроса"_s, 4);
    textLabel->setBuddy(m_text);
    connect(m_text, &PlainField::textChanged, this, [this] {
        if (m_index >= 0 && m_text->toPlainText() != m_editor.question(m_index).text)
            m_editor.setQuestionText(m_index, m_text->toPlainText());
    });
    page->addWidget(textLabel);
    page->addWidget(m_text);

    auto *answersBox = new QGroupBox(u"Отговори (верният е отбелязан)"_s, this);
    auto *grid = new QGridLayout(answersBox);
    m_rightGroup = new QButtonGroup(this);
    for (int a = 0; a < int(m_answers.size()); ++a) {
        AnswerRow &row = m_answers[std::size_t(a)];
        row.right = new QRadioButton(QString(QChar(u'А' + a)), answersBox);
        row.right->setObjectName(u"right%1"_s.arg(a + 1));
        row.right->setAccessibleName(u"Отговор %1 е верният"_s.arg(a + 1));
        m_rightGroup->addButton(row.right, a);
        row.text = field(u"answer%1"_s.arg(a + 1), u"Отговор %1"_s.arg(a + 1), 2);
        connect(row.text, &PlainField::textChanged, this, [this, a] {
            const QString typed = m_answers[std::size_t(a)].text->toPlainText();
            if (m_index >= 0 && a < m_editor.question(m_index).answers.size() &&
                typed != m_editor.question(m_index).answers[a])
                m_editor.setAnswer(m_index, a, typed);
        });
        auto tool = [&](const QString &text, const QString &name, const QString &accessible) {
            auto *button = new QToolButton(answersBox);
            button->setText(text);
            button->setObjectName(name + QString::number(a + 1));
            button->setAccessibleName(accessible.arg(a + 1));
            button->setFocusPolicy(Qt::TabFocus);
            return button;
        };
        row.up = tool(u"↑"_s, u"answerUp"_s, u"Премести отговор %1 нагоре"_s);
        row.down = tool(u"↓"_s, u"answerDown"_s, u"Премести отговор %1 надолу"_s);
        row.remove = tool(u"✕"_s, u"answerRemove"_s, u"Изтрий отговор %1"_s);
        connect(row.up, &QToolButton::clicked, this, [this, a] { m_editor.moveAnswer(m_index, a, a - 1); });
        connect(row.down, &QToolButton::clicked, this, [this, a] { m_editor.moveAnswer(m_index, a, a + 1); });
        connect(row.remove, &QToolButton::clicked, this, [this, a] { m_editor.removeAnswer(m_index, a); });
        grid->addWidget(row.right, a, 0);
        grid->addWidget(row.text, a, 1);
        grid->addWidget(row.up, a, 2);
        grid->addWidget(row.down, a, 3);
        grid->addWidget(row.remove, a, 4);
    }
    connect(m_rightGroup, &QButtonGroup::idClicked, this,
            [this](int a) { m_editor.setRightAnswer(m_index, a); });
    m_addAnswer = new QPushButton(u"Добави &отговор"_s, answersBox);
    m_addAnswer->setObjectName(u"addAnswer"_s);
    m_addAnswer->setAccessibleName(u"Добави отговор"_s);
    connect(m_addAnswer, &QPushButton::clicked, this, [this] {
        if (m_editor.addAnswer(m_index))
            m_answers[std::size_t(m_editor.question(m_index).answers.size() - 1)].text->setFocus();
    });
    grid->addWidget(m_addAnswer, int(m_answers.size()), 1, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    page->addWidget(answersBox);

    auto *explanationLabel = new QLabel(u"О&бяснение след оценяването:"_s, this);
    m_explanation = field(u"explanation"_s, u"Обяснение след оценяването"_s, 3);
    explanationLabel->setBuddy(m_explanation);
    connect(m_explanation, &PlainField::textChanged, this, [this] {
        if (m_index >= 0 &&
            m_explanation->toPlainText() != m_editor.question(m_index).explanation.join(u'\n'))
            m_editor.setExplanation(m_index, m_explanation->toPlainText());
    });
    page->addWidget(explanationLabel);
    page->addWidget(m_explanation);

    auto *pictureBox = new QGroupBox(u"Изображение"_s, this);
    auto *pictureRow = new QGridLayout(pictureBox);
    m_picture = new QLabel(pictureBox);
    m_picture->setObjectName(u"picture"_s);
    m_picture->setFixedSize(ThumbnailSide, ThumbnailSide);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setFrameShape(QFrame::StyledPanel);
    m_choosePicture = new QPushButton(u"&Избери…"_s, pictureBox);
    m_choosePicture->setObjectName(u"choosePicture"_s);
    m_choosePicture->setAccessibleName(u"Избери файл с изображение"_s);
    connect(m_choosePicture, &QPushButton::clicked, this, &QuestionForm::choosePicture);
    m_pastePicture = new QPushButton(u"Постави"_s, pictureBox);
    m_pastePicture->setObjectName(u"pastePicture"_s);
    m_pastePicture->setAccessibleName(u"Постави изображение от буфера"_s);
    connect(m_pastePicture, &QPushButton::clicked, this, [this] {
        const OfferedPicture picture = pictureIn(QApplication::clipboard()->mimeData());
        if (picture.bytes.isEmpty() && picture.refused.isEmpty())
            m_choices.tell(this, u"В буфера няма изображение."_s);
        else
            takePicture(picture.bytes, picture.refused.isEmpty() ? picture.name : picture.refused);
    });
    m_removePicture = new QPushButton(u"&Махни"_s, pictureBox);
    m_removePicture->setObjectName(u"removePicture"_s);
    m_removePicture->setAccessibleName(u"Махни изображението"_s);
    connect(m_removePicture, &QPushButton::clicked, this, [this] { m_editor.removePicture(m_index); });
    auto *pictureTextLabel = new QLabel(u"Оп&исание за екранен четец:"_s, pictureBox);
    m_pictureText = field(u"pictureText"_s, u"Описание на изображението за екранен четец"_s, 1);
    pictureTextLabel->setBuddy(m_pictureText);
    connect(m_pictureText, &PlainField::textChanged, this, [this] {
        if (m_index >= 0 && m_pictureText->toPlainText() != m_editor.question(m_index).pictureText)
            m_editor.setPictureText(m_index, m_pictureText->toPlainText());
    });
    auto *pictureButtons = new FlowLayout;
    pictureButtons->addWidget(m_choosePicture);
    pictureButtons->addWidget(m_pastePicture);
    pictureButtons->addWidget(m_removePicture);
    pictureRow->addWidget(m_picture, 0, 0, 3, 1);
    pictureRow->addLayout(pictureButtons, 0, 1);
    pictureRow->addWidget(pictureTextLabel, 1, 1);
    pictureRow->addWidget(m_pictureText, 2, 1);
    pictureRow->setColumnStretch(1, 1);
    page->addWidget(pictureBox);

    m_findings = new QLabel(this);
    m_findings->setObjectName(u"questionFindings"_s);
    m_findings->setWordWrap(true);
    m_findings->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_findings->setFocusPolicy(Qt::TabFocus);
    m_findings->setAccessibleName(u"Проблеми и предупреждения на въпроса"_s);
    page->addWidget(m_findings);
    page->addStretch(1);
    m_lastField = m_text;
}

void QuestionForm::showQuestion(int index)
{
    m_index = index;
    setEnabled(index >= 0);
    refresh();
}

void QuestionForm::setPreview(QuestionPreview *preview)
{
    m_preview = preview;
    refreshPreview();
}

// A field is set only when its text differs, so the cursor of the one being typed in stays where it is.
void QuestionForm::setText(PlainField *field, const QString &text)
{
    if (field->toPlainText() != text) {
        const QSignalBlocker blocker(field);
        field->setPlainText(text);
    }
}

void QuestionForm::refresh()
{
    const bool shown = m_index >= 0 && m_index < m_editor.questionCount();
    const TestQuestion none;
    const TestQuestion &question = shown ? m_editor.question(m_index) : none;
    setText(m_text, question.text);
    const auto count = int(question.answers.size());
    {
        const QSignalBlocker blocker(m_rightGroup);
        m_rightGroup->setExclusive(false);
        for (int a = 0; a < int(m_answers.size()); ++a) {
            AnswerRow &row = m_answers[std::size_t(a)];
            const bool used = a < count;
            for (QWidget *widget : {static_cast<QWidget *>(row.right), static_cast<QWidget *>(row.text),
                                    static_cast<QWidget *>(row.up), static_cast<QWidget *>(row.down),
                                    static_cast<QWidget *>(row.remove)})
                widget->setVisible(used);
            setText(row.text, used ? question.answers[a] : QString());
            row.right->setChecked(shown && m_editor.rightAnswer(m_index) == a);
            row.up->setEnabled(a > 0);
            row.down->setEnabled(a + 1 < count);
            row.remove->setEnabled(count > 2);
        }
        m_rightGroup->setExclusive(true);
    }
    m_addAnswer->setEnabled(shown && count < 5);
    setText(m_explanation, question.explanation.join(u'\n'));
    setText(m_pictureText, question.pictureText);
    const QImage image = QImage::fromData(question.picture);
    if (image.isNull()) {
        m_picture->setPixmap({});
        m_picture->setText(question.picture.isEmpty() ? u"няма"_s : u"?"_s);
    } else {
        m_picture->setPixmap(QPixmap::fromImage(
            image.scaled(ThumbnailSide, ThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    m_picture->setAccessibleName(question.picture.isEmpty() ? u"Няма изображение"_s
                                                            : u"Изображение %1"_s.arg(question.pictureName));
    m_removePicture->setEnabled(!question.picture.isEmpty());
    m_pictureText->setEnabled(!question.picture.isEmpty());
    refreshMarks();
    refreshPreview();
}

// The hidden part of each text on its colour, and the question's findings in words.
void QuestionForm::refreshMarks()
{
    auto mark = [](PlainField *field, qsizetype shown) {
        QList<QTextEdit::ExtraSelection> marks;
        const int length = field->document()->characterCount() - 1;
        if (shown >= 0 && shown < length) {
            QTextEdit::ExtraSelection hidden;
            hidden.cursor = QTextCursor(field->document());
            hidden.cursor.setPosition(int(shown));
            hidden.cursor.setPosition(length, QTextCursor::KeepAnchor);
            hidden.format.setBackground(HiddenColour);
            hidden.format.setToolTip(u"Оттук нататък ученикът не вижда текста, без да превърта."_s);
            marks.append(hidden);
        }
        field->setExtraSelections(marks);
    };
    if (m_index < 0 || m_index >= m_editor.questionCount()) {
        mark(m_text, -1);
        for (AnswerRow &row : m_answers)
            mark(row.text, -1);
        m_findings->clear();
        return;
    }
    const QuestionFit &fit = m_editor.fit(m_index);
    mark(m_text, fit.textShown);
    for (int a = 0; a < int(m_answers.size()); ++a)
        mark(m_answers[std::size_t(a)].text, fit.answersShown.value(a, -1));
    QStringList lines;
    for (const Problem &problem : m_editor.problems(m_index))
        lines.append(u"● "_s + problem.text);
    for (const Problem &warning : fit.warnings)
        lines.append(u"▲ внимание: "_s + warning.text);
    m_findings->setText(lines.isEmpty() ? u"✓ Въпросът е готов."_s : lines.join(u'\n'));
}

void QuestionForm::refreshPreview()
{
    if (!m_preview)
        return;
    if (m_index < 0 || m_index >= m_editor.questionCount()) {
        m_preview->showMessage(u"Изберете въпрос или добавете нов."_s);
        return;
    }
    m_preview->showQuestion(m_editor.question(m_index), m_editor.document().title,
                            m_editor.document().switches);
}

void QuestionForm::toScript(bool super)
{
    PlainField *field = m_lastField;
    QTextCursor cursor = field->textCursor();
    const QString selected = cursor.selectedText();
    if (selected.isEmpty()) {
        m_choices.tell(this,
                       u"Изберете текста, който да стане %1 индекс."_s.arg(super ? u"горен" : u"долен"));
        return;
    }
    if (const std::optional<QString> written = morv::toScript(selected, super)) {
        cursor.insertText(*written);
        return;
    }
    // Named one by one, so the teacher sees which character stops it.
    for (const char32_t c : selected.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (!morv::toScript(one, super)) {
            m_choices.tell(this,
                           u"„%1“ няма %2 индекс в Unicode, затова „%3“ не може да стане %2 индекс."_s.arg(
                               one, super ? u"горен" : u"долен", selected));
            return;
        }
    }
}

void QuestionForm::insertSymbol(const QString &symbol)
{
    m_lastField->insertPlainText(symbol);
    m_lastField->setFocus(Qt::OtherFocusReason);
}

void QuestionForm::takePicture(const QByteArray &bytes, const QString &name)
{
    if (m_index < 0)
        return;
    if (bytes.isEmpty()) {
        m_choices.tell(this, name);
        return;
    }
    if (const QString why = m_editor.setPicture(m_index, bytes, name); !why.isEmpty())
        m_choices.tell(this, why);
}

void QuestionForm::choosePicture()
{
    const QString path = m_choices.pictureToOpen(this);
    if (path.isEmpty())
        return;
    auto mime = std::make_unique<QMimeData>();
    mime->setUrls({QUrl::fromLocalFile(path)});
    const OfferedPicture picture = pictureIn(mime.get());
    if (picture.bytes.isEmpty())
        m_choices.tell(
            this, picture.refused.isEmpty()
                      ? u"„%1“ не е изображение, което може да се прочете"_s.arg(QFileInfo(path).fileName())
                      : picture.refused);
    else
        takePicture(picture.bytes, picture.name);
}

void QuestionForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_index >= 0 && (event->mimeData()->hasImage() || event->mimeData()->hasUrls()))
        event->acceptProposedAction();
}

void QuestionForm::dropEvent(QDropEvent *event)
{
    const OfferedPicture picture = pictureIn(event->mimeData());
    if (picture.bytes.isEmpty() && picture.refused.isEmpty())
        return;
    event->acceptProposedAction();
    takePicture(picture.bytes, picture.refused.isEmpty() ? picture.name : picture.refused);
}

// The field last focused is where the palette and the scripts act, also once a button has the focus.
bool QuestionForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto *field = qobject_cast<PlainField *>(watched))
            m_lastField = field;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace morv
