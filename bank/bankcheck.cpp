// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time check of the bank source: prints every problem and fails the build when there is one.
#include "bank/bankreader.h"
#include "bank/picturecheck.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "usage: morv_bankcheck <bank.json>\n";
        return 2;
    }
    const morv::BankLoad load = morv::readBankFile(args[1], morv::jpegDecodeProblem);
    for (const QString &problem : load.problems)
        err << args[1] << ": " << problem << '\n';
    return load.bank ? 0 : 1;
}
