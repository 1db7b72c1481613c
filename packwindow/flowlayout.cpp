// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "packwindow/flowlayout.h"

#include <QWidget>

#include <algorithm>

namespace morv {

FlowLayout::FlowLayout(QWidget *parent) : QLayout(parent) {}

FlowLayout::~FlowLayout()
{
    qDeleteAll(m_items);
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

int FlowLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem *FlowLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return {};
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

int FlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::sizeHint() const
{
    QSize size(0, 0);
    bool first = true;
    for (const QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize hint = item->sizeHint();
        size.setWidth(size.width() + (first ? 0 : gap()) + hint.width());
        size.setHeight(std::max(size.height(), hint.height()));
        first = false;
    }
    return size.grownBy(contentsMargins());
}

QSize FlowLayout::minimumSize() const
{
    QSize size(0, 0);
    for (const QLayoutItem *item : m_items) {
        if (!item->isEmpty())
            size = size.expandedTo(item->sizeHint());
    }
    return size.grownBy(contentsMargins());
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::gap() const
{
    return std::max(0, spacing());
}

int FlowLayout::arrange(const QRect &rect, bool place) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    int top = area.top();
    // A row at a time: its buttons centred on the row's height, as a box layout of one row would.
    QList<QLayoutItem *> row;
    int rowWidth = 0;
    int rowHeight = 0;
    auto endRow = [&] {
        int x = area.left();
        for (QLayoutItem *item : row) {
            const QSize size = item->sizeHint();
            if (place)
                item->setGeometry(QRect(QPoint(x, top + (rowHeight - size.height()) / 2), size));
            x += size.width() + gap();
        }
        if (!row.isEmpty())
            top += rowHeight + gap();
        row.clear();
        rowWidth = 0;
        rowHeight = 0;
    };
    for (QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        if (!row.isEmpty() && rowWidth + gap() + size.width() > area.width())
            endRow();
        rowWidth += (row.isEmpty() ? 0 : gap()) + size.width();
        rowHeight = std::max(rowHeight, size.height());
        row.append(item);
    }
    endRow();
    const int used = top > area.top() ? top - gap() - area.top() : 0;
    return used + contentsMargins().top() + contentsMargins().bottom();
}

} // namespace morv
