// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time check of the bank source: prints every problem and fails the build when there is one;
// with --payload it writes the checked bank, the one the program embeds, when it has changed.
#include "bank/bankreader.h"
#include "bank/payload.h"
#include "bank/picturecheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

// Written only when different, so an unchanged bank leaves the program as it is.
bool writeIfChanged(const QString &path, const QByteArray &bytes)
{
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.size() == bytes.size() && current.readAll() == bytes)
        return true;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2 && !(args.size() == 4 && args[2] == u"--payload")) {
        err << "usage: morv_bankcheck <bank.json> [--payload <file>]\n";
        return 2;
    }
    const QString source = args[1];
    const morv::BankLoad load = morv::readBankFile(source, morv::jpegDecodeProblem);
    for (const morv::Problem &problem : load.problems)
        err << morv::located(source, problem) << '\n';
    if (!load.bank)
        return 1;
    if (args.size() == 4) {
        // The payload holds the very bytes that were checked, not the files as they may be by now.
        if (!writeIfChanged(args[3], morv::packPayload(load.files))) {
            err << source << ": " << u"проверената банка не може да се запише в %1"_s.arg(args[3]) << '\n';
            return 1;
        }
    }
    return 0;
}
