// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A plain coloured widget that also tells assistive technology what its colour or length means: the
// answered indicator and the rows of the progress strip.
#pragma once

#include <QAccessible>
#include <QString>
#include <QWidget>

namespace morv {

class SpokenWidget : public QWidget
{
    Q_OBJECT

public:
    explicit SpokenWidget(QWidget *parent = nullptr);

    QAccessible::Role spokenRole() const { return m_role; }
    // An indicator or a progress bar; a widget with no role is only a shape.
    void setSpokenRole(QAccessible::Role role) { m_role = role; }
    const QString &spokenValue() const { return m_value; }
    // Tells assistive technology of the change, so a screen reader can announce it.
    void setSpokenValue(const QString &value);

private:
    QAccessible::Role m_role = QAccessible::Graphic;
    QString m_value;
};

// Makes the accessible interfaces of spoken widgets; installed once by the window.
QAccessibleInterface *spokenWidgetAccessible(const QString &className, QObject *object);

} // namespace morv
