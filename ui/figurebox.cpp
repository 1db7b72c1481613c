// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/figurebox.h"

#include <QBuffer>
#include <QImageReader>
#include <QPixmap>

namespace morv {

FigureBox::FigureBox(QWidget *parent) : QLabel(parent)
{
    // No border: a figure is drawn exactly as big as the box, and a border would cut it.
    setFrameStyle(QFrame::NoFrame);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // No stored colour: the system colour of a picture box, not the window's.
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
}

void FigureBox::setJpeg(const QByteArray &jpeg)
{
    if (jpeg == m_jpeg)
        return;
    m_jpeg = jpeg;
    m_waiting = true;
    if (m_drawn || jpeg.isEmpty())
        decode();
}

void FigureBox::paintEvent(QPaintEvent *event)
{
    m_drawn = true;
    if (m_waiting)
        decode();
    QLabel::paintEvent(event);
}

void FigureBox::decode()
{
    m_waiting = false;
    QBuffer buffer;
    buffer.setData(m_jpeg);
    QImageReader reader(&buffer, "jpeg");
    // Only the part the box shows is decoded and kept: a large figure is cut at the box's edges anyway.
    reader.setClipRect(QRect(QPoint(0, 0), size()).intersected(QRect(QPoint(0, 0), reader.size())));
    QImage image = m_jpeg.isEmpty() ? QImage() : reader.read();
    if (image.isNull())
        clear();
    else
        setPixmap(QPixmap::fromImage(std::move(image)));
}

} // namespace morv
