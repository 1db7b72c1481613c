// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The size of a JPEG read from its header by the program itself, for the check at every start.
#pragma once

#include <QByteArrayView>
#include <QSize>

#include <optional>

namespace morv {

// The size a plainly well-formed JPEG declares: its markers, up to the start of the scan, are the common
// ones, each whole and as the JPEG library accepts them. Nothing for anything else, which Qt's reader
// then judges: this is only a quicker way to the answer that reader gives.
std::optional<QSize> plainJpegSize(QByteArrayView jpeg);

} // namespace morv
