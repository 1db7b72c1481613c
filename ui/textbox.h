// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A read-only multi-line text box that gives back exactly the text it was given, CR LF included.
#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace morv {

class TextBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TextBox(QWidget *parent = nullptr);

    // Shows the text with CR LF as line breaks; the same text again leaves the box and its scroll
    // position as they are.
    void setRawText(const QString &text);
    const QString &rawText() const { return m_raw; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void layOut();

    QString m_raw;
    bool m_laidOut = true;
};

} // namespace morv
