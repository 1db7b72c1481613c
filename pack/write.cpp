// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/write.h"

#include "bank/programfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// What the file at path is as a program, looked at in place, without reading it into memory.
ProgramFile programFileAt(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxProgramBytes || file.size() == 0)
        return ProgramFile::Other;
    const uchar *bytes = file.map(0, file.size());
    return bytes ? programFile(QByteArrayView(bytes, file.size())) : ProgramFile::Other;
}

} // namespace

// morv beside morv-pack (morv.exe on Windows), else the one on the PATH.
QString defaultProgram(const QString &besideFolder)
{
    const QString beside = QStandardPaths::findExecutable(u"morv"_s, {besideFolder});
    return beside.isEmpty() ? QStandardPaths::findExecutable(u"morv"_s) : beside;
}

// Only the program itself, recognised by its structure: a FIFO or a device would never end, and a copy
// of anything else would not run the test.
BaseProgram readBaseProgram(const QString &path)
{
    auto refuse = [](Rule rule, const QString &text) {
        return BaseProgram{{}, {{.rule = rule, .text = text}}};
    };
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return refuse(Rule::Unreadable,
                      u"програмата morv „%1“ не е намерена; посочете я с --program"_s.arg(path));
    if (!info.isFile())
        return refuse(Rule::Unreadable,
                      u"„%1“ не е обикновен файл, а трябва да е програмата morv"_s.arg(path));
    if (info.size() > MaxProgramBytes)
        return refuse(Rule::TooLarge,
                      u"„%1“ е твърде голям за програмата morv: %2 байта, най-много %3"_s.arg(path)
                          .arg(info.size())
                          .arg(MaxProgramBytes));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(Rule::Unreadable, u"програмата morv „%1“ не може да се прочете"_s.arg(path));
    const QByteArray bytes = file.read(MaxProgramBytes + 1);
    const ProgramFile kind = bytes.size() > MaxProgramBytes ? ProgramFile::Other : programFile(bytes);
    if (kind == ProgramFile::Other)
        return refuse(Rule::Unreadable, u"„%1“ не е програмата morv"_s.arg(path));
    if (kind == ProgramFile::PackedDamaged)
        return refuse(Rule::DamagedPayload,
                      u"„%1“ е програма с повреден добавен тест; посочете самата morv"_s.arg(path));
    return {withoutAppendedBank(bytes), {}};
}

// Under a temporary name created anew in the same folder and renamed when complete.
QList<Problem> writeProgramFile(const QByteArray &code, const QString &output, const QByteArray &payload)
{
    const QByteArray program = withAppendedBank(code, payload);
    QSaveFile out(output);
    if (!out.open(QIODevice::WriteOnly) || out.write(program) != program.size() || !out.commit())
        return {notWritten(u"„%1“ не може да се запише"_s.arg(output))};
    QFile::setPermissions(output, QFile::permissions(output) | QFile::ExeOwner | QFile::ExeGroup |
                                      QFile::ExeOther | QFile::ReadGroup | QFile::ReadOther);
    return {};
}

QList<Problem> outputProblems(const QString &output, const QString &sourceFile, const QString &program,
                              const QString &packer)
{
    if (output.isEmpty())
        return {
            notWritten(u"името на файла за програмата е празно: напишете го след -o, например -o тест"_s)};
    if (const FileTarget checked = fileTarget(output); !checked.problems.isEmpty() || !checked.exists)
        return checked.problems;
    const QFileInfo target(output);
    if (target == QFileInfo(program) || (!packer.isEmpty() && target == QFileInfo(packer)))
        return {notWritten(u"„%1“ е самата програма; изберете друго име за теста"_s.arg(output))};
    if (!sourceFile.isEmpty() && target == QFileInfo(sourceFile))
        return {notWritten(u"„%1“ е самият източник; изберете друго име за програмата"_s.arg(output))};
    // Only a program morv-pack wrote, whole: what its trailer does not describe may be anything.
    switch (programFileAt(output)) {
    case ProgramFile::Packed:
        return {};
    case ProgramFile::PackedDamaged:
        return {notWritten(
            u"„%1“ е програма от morv-pack, чийто добавен тест е повреден или променен; "
            u"morv-pack заменя само свои цели програми: изтрийте я или изберете друго име"_s.arg(output))};
    default:
        return {notWritten(
            u"„%1“ вече съществува и не е програма, записана от morv-pack; изберете друго име"_s.arg(
                output))};
    }
}

QList<Problem> jsonFolderProblems(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.isSymLink())
        return {notWritten(
            u"„%1“ е символна връзка; morv-pack не пише през връзки: изберете друга папка"_s.arg(folder))};
    if (!info.exists())
        return {};
    if (!info.isDir())
        return {notWritten(u"„%1“ не е папка"_s.arg(folder))};
    if (!QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return {notWritten(
            u"папката „%1“ не е празна; morv-pack пише само в нова или празна папка"_s.arg(folder))};
    return {};
}

QList<Problem> writeProgram(const QString &program, const QString &output, const QByteArray &payload,
                            const QString &sourceFile, const QString &packer)
{
    const BaseProgram base = readBaseProgram(program);
    if (!base.problems.isEmpty())
        return base.problems;
    if (QList<Problem> why = outputProblems(output, sourceFile, program, packer); !why.isEmpty())
        return why;
    return writeProgramFile(base.code, output, payload);
}

QList<Problem> writeJson(const QString &folder, const BankFiles &files)
{
    if (QList<Problem> why = jsonFolderProblems(folder); !why.isEmpty())
        return why;
    if (!QDir().mkpath(folder))
        return {notWritten(u"папката „%1“ не може да се създаде"_s.arg(folder))};
    auto write = [](const QString &path, const QByteArray &bytes) {
        QSaveFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    };
    bool written = write(QDir(folder).filePath(u"bank.json"_s), files.json);
    for (auto picture = files.pictures.cbegin(); picture != files.pictures.cend(); ++picture) {
        const QString path = QDir(folder).filePath(picture.key());
        written = written && QDir().mkpath(QFileInfo(path).path()) && write(path, picture.value());
    }
    if (!written)
        return {notWritten(u"тестът не може да се запише в „%1“"_s.arg(folder))};
    return {};
}

} // namespace morv
