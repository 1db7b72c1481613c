// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "packwindow/questionlist.h"

#include <QDropEvent>

namespace morv {

QuestionList::QuestionList(QWidget *parent) : QTreeWidget(parent)
{
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void QuestionList::dropEvent(QDropEvent *event)
{
    const int from = currentIndex().row();
    const QModelIndex over = indexAt(event->position().toPoint());
    int to = over.isValid() ? over.row() : topLevelItemCount() - 1;
    if (over.isValid() && dropIndicatorPosition() == QAbstractItemView::BelowItem)
        ++to;
    // Dropped below itself, a row takes the place of the one it passed.
    if (to > from)
        --to;
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (from >= 0 && to != from)
        Q_EMIT moveAsked(from, std::clamp(to, 0, topLevelItemCount() - 1));
}

} // namespace morv
