// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// МОРВ: one multiple-choice test in one window.
#include "bank/bankreader.h"
#include "bank/payload.h"
#include "bank/picturecheck.h"
#include "ui/startup.h"

#include <QApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

// The program's mark, as the build makes it; morv-pack sets its last byte in the copies it appends a
// test to. Only this program carries it.
const char OwnMark[] = MORV_PROGRAM_MARK "0";

// Read through volatile: the byte is what the file holds, which the compiler cannot know.
morv::ProgramMark ownMark()
{
    const char state = static_cast<const volatile char *>(OwnMark)[sizeof(OwnMark) - 2];
    return state == '1' ? morv::ProgramMark::Packed : morv::ProgramMark::AsBuilt;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The window's class (WM_CLASS "morv", "morv") and the Wayland app id tie the running window to its
    // menu entry, org.example.morv.desktop, whose StartupWMClass says the same.
    QCoreApplication::setApplicationName(u"morv"_s);
    QGuiApplication::setDesktopFileName(u"org.example.morv"_s);
    // Only the figures' headers are read at start: each figure is decoded when it is first shown.
    auto session = morv::startTest(
        morv::readProgramBank(QCoreApplication::applicationFilePath(), ownMark(), morv::jpegHeaderProblem),
        morv::showRefusalDialog, [] { QCoreApplication::exit(0); });
    if (!session)
        return 1;
    return app.exec();
}
