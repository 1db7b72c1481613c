// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/recovery.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

constexpr quint32 Magic = 0x4d4f5256; // "MORV"
constexpr quint32 Version = 1;
const QString CopyPattern = u"recovery-*.morv"_s;
// A copy larger than the largest test could hold is no copy of ours.
constexpr qint64 MaxCopyBytes = 64 * 1024 * 1024;

QString lockOf(const QString &copy)
{
    return copy.chopped(int(QStringView(u".morv").size())) + u".lock"_s;
}

} // namespace

QByteArray recoveryBytes(const EditedTest &test)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    const TestDocument &document = test.document;
    out << Magic << Version << document.title;
    for (const int digit : document.switches.digits)
        out << qint32(digit);
    out << document.file << document.sourceRows << test.savePath << test.leftOut
        << quint32(document.questions.size());
    for (std::size_t i = 0; i < document.questions.size(); ++i) {
        const TestQuestion &question = document.questions[i];
        out << question.text << question.answers << question.correct << question.pictureName
            << question.picture << question.pictureText << question.explanation << qint32(question.line)
            << qint32(i < test.right.size() ? test.right[i] : -1);
    }
    return bytes;
}

std::optional<EditedTest> fromRecoveryBytes(const QByteArray &bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    quint32 version = 0;
    in >> magic >> version;
    if (magic != Magic || version != Version)
        return std::nullopt;
    EditedTest test;
    TestDocument &document = test.document;
    in >> document.title;
    for (int &digit : document.switches.digits) {
        qint32 read = 0;
        in >> read;
        digit = read;
    }
    quint32 count = 0;
    in >> document.file >> document.sourceRows >> test.savePath >> test.leftOut >> count;
    // No test holds more questions than fit in a copy's bytes: a damaged count reads nothing.
    if (in.status() != QDataStream::Ok || count > quint32(bytes.size()))
        return std::nullopt;
    for (quint32 i = 0; i < count; ++i) {
        TestQuestion question;
        qint32 line = 0;
        qint32 right = -1;
        in >> question.text >> question.answers >> question.correct >> question.pictureName >>
            question.picture >> question.pictureText >> question.explanation >> line >> right;
        question.line = line;
        document.questions.push_back(std::move(question));
        test.right.push_back(right);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return test;
}

Recovery::Recovery(QString folder, const QString &name) : m_folder(std::move(folder))
{
    QDir().mkpath(m_folder);
    const QString own = name.isEmpty() ? QString::number(QCoreApplication::applicationPid()) : name;
    m_file = QDir(m_folder).filePath(u"recovery-%1.morv"_s.arg(own));
    m_lock = std::make_unique<QLockFile>(lockOf(m_file));
    m_lock->tryLock(0);
}

Recovery::~Recovery() = default;

QString Recovery::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool Recovery::write(const EditedTest &test)
{
    const QByteArray bytes = recoveryBytes(test);
    QSaveFile file(m_file);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

void Recovery::remove()
{
    QFile::remove(m_file);
}

std::optional<RecoveredTest> Recovery::left() const
{
    std::optional<RecoveredTest> newest;
    const QFileInfoList copies = QDir(m_folder).entryInfoList({CopyPattern}, QDir::Files, QDir::Time);
    for (const QFileInfo &copy : copies) {
        const QString path = copy.absoluteFilePath();
        if (path == QFileInfo(m_file).absoluteFilePath())
            continue;
        // A window that still runs holds its lock: its copy is not left behind.
        QLockFile owner(lockOf(path));
        if (!owner.tryLock(0))
            continue;
        owner.unlock();
        QFile file(path);
        std::optional<EditedTest> read;
        if (copy.size() <= MaxCopyBytes && file.open(QIODevice::ReadOnly))
            read = fromRecoveryBytes(file.readAll());
        if (!read) {
            discard(path);
            continue;
        }
        if (!newest)
            newest = RecoveredTest{std::move(*read), path, copy.lastModified()};
    }
    return newest;
}

void Recovery::discard(const QString &file)
{
    QFile::remove(file);
    QFile::remove(lockOf(file));
}

} // namespace morv
