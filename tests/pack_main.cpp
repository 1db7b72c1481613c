// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One application object for the packer's tests: its fit warnings measure texts with the window's font,
// which needs the fonts of a GUI application, offscreen unless a display is given.
#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    // Test discovery runs this binary at build time without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
