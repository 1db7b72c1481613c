// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The form of one question: its text, 2 to 5 answers with the right one, the explanation and the
// picture, with superscript, subscript and a palette of symbols. Every keystroke goes to the editor's
// core as it is typed, and the pupil's preview and the marks of what will not show whole follow it.
#pragma once

#include "pack/testeditor.h"

#include <QPlainTextEdit>
#include <QWidget>

#include <array>
#include <functional>

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace morv {

class QuestionPreview;

// What the form asks of the teacher. The window answers with a file dialog and a message box.
struct FormChoices
{
    std::function<QString(QWidget *parent)> pictureToOpen; // empty: cancelled
    std::function<void(QWidget *parent, const QString &message)> tell;
};

// A text field of the form: plain text only. Rich text pasted or dropped becomes plain text by the
// importers' rules; a picture pasted or dropped is offered to the question instead.
class PlainField : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit PlainField(QWidget *parent = nullptr);

Q_SIGNALS:
    // A picture's bytes pasted or dropped here, with a name for it.
    void pictureOffered(const QByteArray &bytes, const QString &name);

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
};

// A picture's bytes offered by a clipboard or a drop, or nothing when it offers none. A file too large
// to be a picture the test could take is named in `refused`.
struct OfferedPicture
{
    QByteArray bytes;
    QString name;
    QString refused;
};
OfferedPicture pictureIn(const QMimeData *source);

// The symbols a maths or language teacher types most, one button each.
inline constexpr QStringView PaletteSymbols = u"°∠△π√≤≥≠∥⊥·×÷";

class QuestionForm : public QWidget
{
    Q_OBJECT

public:
    QuestionForm(TestEditor &editor, FormChoices choices, QWidget *parent = nullptr);
    ~QuestionForm() override;

    // The question edited, from 0; -1 for none.
    void showQuestion(int index);
    int question() const { return m_index; }
    // The preview that follows every change of the question.
    void setPreview(QuestionPreview *preview);

    // The selection of the field last typed in, as superscript (or subscript) characters; refused with a
    // message naming the character that has no such form.
    void toScript(bool super);
    // Types a symbol where the cursor of the field last typed in stands.
    void insertSymbol(const QString &symbol);
    // Takes a picture's bytes as the question's, or tells why not.
    void takePicture(const QByteArray &bytes, const QString &name);
    void choosePicture();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct AnswerRow
    {
        QRadioButton *right = nullptr;
        PlainField *text = nullptr;
        QToolButton *up = nullptr;
        QToolButton *down = nullptr;
        QToolButton *remove = nullptr;
    };

    void build();
    void refresh();
    void refreshMarks();
    void refreshPreview();
    PlainField *field(const QString &name, const QString &accessible, int lines);
    static void setText(PlainField *field, const QString &text);

    TestEditor &m_editor;
    FormChoices m_choices;
    int m_index = -1;
    QuestionPreview *m_preview = nullptr;
    PlainField *m_lastField = nullptr; // where the palette and the scripts act

    PlainField *m_text = nullptr;
    std::array<AnswerRow, 5> m_answers;
    QButtonGroup *m_rightGroup = nullptr;
    QPushButton *m_addAnswer = nullptr;
    PlainField *m_explanation = nullptr;
    QLabel *m_picture = nullptr;
    QPushButton *m_choosePicture = nullptr;
    QPushButton *m_pastePicture = nullptr;
    QPushButton *m_removePicture = nullptr;
    PlainField *m_pictureText = nullptr;
    QLabel *m_findings = nullptr;
};

} // namespace morv
