// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/textbox.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

namespace morv {

TextBox::TextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    // The examinee may scroll and select with the keyboard as well as the mouse, but not type.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setUndoRedoEnabled(false);
}

void TextBox::setRawText(const QString &text)
{
    if (text == m_raw)
        return;
    m_raw = text;
    // A box not on screen lays its text out when it is shown, at its own width: laid out now, before
    // its first resize, the text would be laid out again at the width of the shown box.
    m_laidOut = false;
    if (isVisible())
        layOut();
}

void TextBox::showEvent(QShowEvent *event)
{
    if (!m_laidOut)
        layOut();
    QPlainTextEdit::showEvent(event);
}

void TextBox::layOut()
{
    m_laidOut = true;
    QString shown = m_raw;
    // A lone CR or LF breaks the line as well, so nothing of the text is drawn as a stray glyph.
    shown.replace(u"\r\n"_s, u"\n"_s);
    shown.replace(u'\r', u'\n');
    // Straight into the document: the widget's own setter also moves, selects and scrolls to the
    // cursor, laying the new text out more than once.
    document()->setPlainText(shown);
    // After a long text, one line as wide as its widest line changes nothing the document reports
    // as its size, and the box would keep the long text's scroll range: report the size once more.
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    Q_EMIT layout->documentSizeChanged(layout->documentSize());
    verticalScrollBar()->setValue(0);
}

} // namespace morv

// The meta-object code is compiled here, not in a file of its own that would read the Qt headers again.
#include "moc_textbox.cpp"
