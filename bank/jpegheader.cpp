// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/jpegheader.h"

#include <QList>

namespace morv {

namespace {

// What the JPEG library allows in a header it reads without an error.
constexpr int Tables = 4;         // quantisation and Huffman tables of each kind
constexpr int MaxComponents = 10; // in a frame
constexpr int MaxInScan = 4;      // in a scan
constexpr int MaxSampling = 4;    // each way
constexpr int MaxDimension = 65500;
constexpr int Precision = 8; // bits per sample

int byteAt(QByteArrayView data, qsizetype at)
{
    return static_cast<unsigned char>(data[at]);
}

int wordAt(QByteArrayView data, qsizetype at)
{
    return byteAt(data, at) << 8 | byteAt(data, at + 1);
}

// A table segment of quantisation tables: each whole, numbered 0..3, of 8 or 16 bits, filling it exactly.
bool plainQuantisation(QByteArrayView segment)
{
    for (qsizetype at = 0; at < segment.size();) {
        const int precision = byteAt(segment, at) >> 4;
        const int table = byteAt(segment, at) & 0x0F;
        const qsizetype length = 1 + 64 * (precision + 1);
        if (precision > 1 || table >= Tables || segment.size() - at < length)
            return false;
        at += length;
    }
    return true;
}

// A table segment of Huffman tables: each whole, DC or AC 0..3, with at most 256 codes, filling it exactly.
bool plainHuffman(QByteArrayView segment)
{
    for (qsizetype at = 0; at < segment.size();) {
        const int kind = byteAt(segment, at);
        if ((kind & ~0x10) >= Tables || segment.size() - at < 17)
            return false;
        int codes = 0;
        for (int i = 1; i <= 16; ++i)
            codes += byteAt(segment, at + i);
        if (codes > 256 || segment.size() - at - 17 < codes)
            return false;
        at += 17 + codes;
    }
    return true;
}

} // namespace

std::optional<QSize> plainJpegSize(QByteArrayView jpeg)
{
    if (jpeg.size() < 2 || byteAt(jpeg, 0) != 0xFF || byteAt(jpeg, 1) != 0xD8)
        return std::nullopt;
    std::optional<QSize> size;
    QList<int> components;
    for (qsizetype at = 2;;) {
        // Every marker right after the last segment, with its whole segment inside the data.
        if (jpeg.size() - at < 4 || byteAt(jpeg, at) != 0xFF)
            return std::nullopt;
        const int marker = byteAt(jpeg, at + 1);
        const int length = wordAt(jpeg, at + 2);
        if (length < 2 || jpeg.size() - at - 2 < length)
            return std::nullopt;
        const QByteArrayView segment = jpeg.sliced(at + 4, length - 2);
        at += 2 + length;
        if ((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE) // application data and comments
            continue;
        if (marker == 0xDB) {
            if (!plainQuantisation(segment))
                return std::nullopt;
        } else if (marker == 0xC4) {
            if (!plainHuffman(segment))
                return std::nullopt;
        } else if (marker == 0xDD) { // restart interval
            if (segment.size() != 2)
                return std::nullopt;
        } else if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) { // baseline, extended, progressive
            if (size || segment.size() < 6)
                return std::nullopt;
            const int height = wordAt(segment, 1);
            const int width = wordAt(segment, 3);
            const int count = byteAt(segment, 5);
            if (byteAt(segment, 0) != Precision || height == 0 || width == 0 || height > MaxDimension ||
                width > MaxDimension || count == 0 || count > MaxComponents ||
                segment.size() != 6 + 3 * count)
                return std::nullopt;
            for (int c = 0; c < count; ++c) {
                const int id = byteAt(segment, 6 + 3 * c);
                const int horizontal = byteAt(segment, 7 + 3 * c) >> 4;
                const int vertical = byteAt(segment, 7 + 3 * c) & 0x0F;
                if (components.contains(id) || horizontal < 1 || horizontal > MaxSampling || vertical < 1 ||
                    vertical > MaxSampling)
                    return std::nullopt;
                components.append(id);
            }
            size = QSize(width, height);
        } else if (marker == 0xDA) { // the start of the scan ends the header
            if (!size || segment.isEmpty())
                return std::nullopt;
            const int count = byteAt(segment, 0);
            if (count < 1 || count > MaxInScan || segment.size() != 4 + 2 * count)
                return std::nullopt;
            // Each of the frame's components at most once and in the frame's order, as the JPEG library
            // requires; it refuses a scan that names them in another order.
            qsizetype previous = -1;
            for (int c = 0; c < count; ++c) {
                const qsizetype inFrame = components.indexOf(byteAt(segment, 1 + 2 * c));
                if (inFrame <= previous)
                    return std::nullopt;
                previous = inFrame;
            }
            return size;
        } else {
            return std::nullopt;
        }
    }
}

} // namespace morv
