// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A row of buttons that goes on in a new row where its column ends, so a narrow column shows every
// button instead of cutting the last ones.
#pragma once

#include <QLayout>
#include <QList>

namespace morv {

class FlowLayout : public QLayout
{
public:
    explicit FlowLayout(QWidget *parent = nullptr);
    ~FlowLayout() override;

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    // One row of every button; at least the widest button.
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    // Lays the items out in `rect` row by row, placing them when asked; the height they take.
    int arrange(const QRect &rect, bool place) const;
    int gap() const;

    QList<QLayoutItem *> m_items;
};

} // namespace morv
