// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The figure box: a question's JPEG, decoded only as far as the box shows it.
#pragma once

#include <QByteArray>
#include <QLabel>

namespace morv {

// Until the box is first drawn a figure waits undecoded: the window is mapped without that work, and its
// first frame shows the figure all the same. From then on a figure is decoded as soon as it is set.
class FigureBox : public QLabel
{
public:
    explicit FigureBox(QWidget *parent = nullptr);

    // The figure to show; an empty one leaves the box empty.
    void setJpeg(const QByteArray &jpeg);
    // Whether the figure set last still waits for the box to be drawn.
    bool waiting() const { return m_waiting; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void decode();

    QByteArray m_jpeg;
    bool m_waiting = false;
    bool m_drawn = false;
};

} // namespace morv
