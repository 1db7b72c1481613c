// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/spokenwidget.h"

#include <QAccessibleWidget>

namespace morv {

namespace {

class SpokenAccessible : public QAccessibleWidget
{
public:
    explicit SpokenAccessible(SpokenWidget *widget) : QAccessibleWidget(widget, widget->spokenRole()) {}

    QString text(QAccessible::Text t) const override
    {
        const auto *spoken = static_cast<const SpokenWidget *>(widget());
        // A reader that shows only names and descriptions still gets the value.
        if (t == QAccessible::Value || t == QAccessible::Description)
            return spoken->spokenValue();
        return QAccessibleWidget::text(t);
    }
};

} // namespace

SpokenWidget::SpokenWidget(QWidget *parent) : QWidget(parent) {}

void SpokenWidget::setSpokenValue(const QString &value)
{
    if (value == m_value)
        return;
    m_value = value;
    QAccessibleValueChangeEvent event(this, value);
    QAccessible::updateAccessibility(&event);
}

QAccessibleInterface *spokenWidgetAccessible(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<SpokenWidget *>(object);
    if (className == u"morv::SpokenWidget" && widget)
        return new SpokenAccessible(widget);
    return nullptr;
}

} // namespace morv

// The meta-object code is compiled here, not in a file of its own that would read the Qt headers again.
#include "moc_spokenwidget.cpp"
