// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The list of a test's questions: a question dragged to another place is a move for the editor to make,
// never a row the list moves on its own.
#pragma once

#include <QTreeWidget>

namespace morv {

class QuestionList : public QTreeWidget
{
    Q_OBJECT

public:
    explicit QuestionList(QWidget *parent = nullptr);

Q_SIGNALS:
    // The row `from` dropped so that it stands at `to`, both from 0.
    void moveAsked(int from, int to);

protected:
    void dropEvent(QDropEvent *event) override;
};

} // namespace morv
