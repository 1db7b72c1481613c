// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/target.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace morv {

Problem notWritten(const QString &text)
{
    return {.rule = Rule::NotWritten, .text = text};
}

FileTarget fileTarget(const QString &path)
{
    const QFileInfo target(path);
    if (target.isSymLink())
        return {{notWritten(
            u"„%1“ е символна връзка; morv-pack не пише през връзки: изберете друго име"_s.arg(path))}};
    if (!target.exists()) {
        if (!QFileInfo(target.absolutePath()).isDir())
            return {{notWritten(u"папката на „%1“ не съществува"_s.arg(path))}};
        return {};
    }
    if (!target.isFile())
        return {{notWritten(
            u"„%1“ не е обикновен файл (а папка, устройство или канал); изберете друго име"_s.arg(path))}};
    return {.problems = {}, .exists = true};
}

} // namespace morv
