// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: builds every control from the table of controls, forwards each user event to the
// engine's handler and then brings all widgets in line with the engine's state.
#pragma once

#include "engine/controls.h"
#include "engine/morvprazno.h"

#include <QMainWindow>

#include <optional>
#include <vector>

class QButtonGroup;

namespace morv {
class FigureBox;
class SpokenWidget;
} // namespace morv

namespace morv {

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The engine outlives the window; its load handler may have run already or not.
    explicit MainWindow(MORV_Prazno &engine, QWidget *parent = nullptr);

    // Shows the engine's state: texts only where they changed, visibility, enabled state,
    // selection, colours, geometry and the question's picture.
    void sync();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct Bound
    {
        const ControlEntry *entry = nullptr;
        QWidget *widget = nullptr;
        const Control *control = nullptr; // its state in the engine, found once
        std::optional<Rgb> shownBackground;
    };

    QWidget *createControl(const ControlEntry &entry, QWidget *parent);
    QWidget *widgetOf(const Control &control) const;
    void buildMenu();
    void setTabOrderFromTable();
    void syncOptions();
    // Tells assistive technology what the colours and lengths of the window say.
    void speak();

    MORV_Prazno &m_engine;
    QWidget *m_client = nullptr;
    QButtonGroup *m_options = nullptr;
    FigureBox *m_picture = nullptr;
    SpokenWidget *m_indicator = nullptr;
    SpokenWidget *m_positionRow = nullptr;
    SpokenWidget *m_answeredRow = nullptr;
    std::vector<Bound> m_controls;
};

} // namespace morv
