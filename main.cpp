// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// МОРВ: one multiple-choice test in one window.
#include "bank/bankreader.h"
#include "ui/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    auto session = morv::startTest(morv::EmbeddedBankPath.toString(), morv::showRefusalDialog,
                                   [] { QCoreApplication::exit(0); });
    if (!session)
        return 1;
    return app.exec();
}
