// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/appicon.h"

using namespace Qt::Literals::StringLiterals;

namespace morv {

QIcon programIcon()
{
    QIcon icon;
    icon.addFile(u":/icons/32x32/morv.png"_s, QSize(32, 32));
    icon.addFile(u":/icons/16x16/morv.png"_s, QSize(16, 16));
    return icon;
}

} // namespace morv
