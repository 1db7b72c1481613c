// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon: the same 32 x 32 and 16 x 16 images the desktop menu shows.
#pragma once

#include <QIcon>

namespace morv {

QIcon programIcon();

} // namespace morv
