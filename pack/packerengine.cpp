// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/packerengine.h"

#include "pack/moodletext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

const QString OwnSettingsNote = u"Папката носи свои настройки в bank.json: тук те само се показват."_s;

// What the program makes of a switch's digit other than 0 and 1.
QString unusualDigit(Switch which, const TestSwitches &switches)
{
    if (which == Switch::Toto)
        return u"оценка без повторение на първия въпрос"_s;
    return switches.on(which) ? u"програмата го чете като включено"_s
                              : u"програмата го чете като изключено"_s;
}

} // namespace

QString PackerEngine::sourcePath(const QString &path)
{
    QFileInfo info(path);
    if (info.isFile() && info.fileName() == u"bank.json")
        info = QFileInfo(info.path());
    return info.absoluteFilePath();
}

std::optional<QString> PackerEngine::open(const QString &path)
{
    const QFileInfo info(sourcePath(path));
    if (!info.exists())
        return u"„%1“ не съществува."_s.arg(QDir::toNativeSeparators(info.absoluteFilePath()));
    m_source = info.absoluteFilePath();
    m_chosen = 0;
    // The command line's defaults: the file's name for the title, the switches of the shipped test; or
    // those a Moodle XML file МОРВ wrote carries.
    m_title = info.completeBaseName();
    for (const SwitchInfo &row : switchTable())
        m_switches.setDigit(row.which, row.shipped);
    if (QFile file(m_source); info.isFile() && file.open(QIODevice::ReadOnly)) {
        if (const std::optional<moodle::CategorySettings> carried =
                moodle::carriedSettings(file.read(moodle::CategoryBytes))) {
            m_title = carried->title;
            m_switches = carried->switches;
        }
    }
    reload();
    return std::nullopt;
}

PackOptions PackerEngine::options(SourceFormat format) const
{
    PackOptions options(m_source, format);
    if (!m_title.isEmpty())
        options.title = m_title;
    // A digit a check box cannot show comes from a file МОРВ wrote, which the reading keeps as it is.
    for (const SwitchInfo &row : switchTable()) {
        if (m_switches.fitsCheckBox(row.which))
            options[row.which] = m_switches.on(row.which);
    }
    return options;
}

void PackerEngine::reload()
{
    if (m_source.isEmpty())
        return;
    const std::optional<SourceFormat> format = detectFormat(m_source);
    m_formatKnown = format.has_value();
    if (format) {
        m_result = pack(options(*format));
    } else {
        // Also the moment between an editor's removing the old file and writing the new one.
        m_result = PackResult();
        m_result.file = m_source;
        const bool exists = QFileInfo::exists(m_source);
        m_result.problems.append(
            {.rule = exists ? Rule::Syntax : Rule::Unreadable,
             .text = exists ? u"не е ясно в какъв формат е източникът: очаква се износ от Moodle (XML), файл "
                              u"GIFT или Aiken, или папка с bank.json"_s
                            : u"файлът не може да се прочете"_s});
    }
    if (ownSettings())
        m_title = m_result.document.title;
    // The question chosen before stays chosen; a source that lost it shows its last one.
    const int count = int(m_result.questions().size());
    if (count > 0)
        m_chosen = std::clamp(m_chosen, 1, count);
}

void PackerEngine::chooseQuestion(int number)
{
    if (number >= 1 && number <= int(m_result.questions().size()))
        m_chosen = number;
}

const TestQuestion *PackerEngine::chosen() const
{
    if (m_chosen < 1 || m_chosen > int(m_result.questions().size()))
        return nullptr;
    return &m_result.questions()[std::size_t(m_chosen - 1)];
}

QString PackerEngine::ownSettingsNote() const
{
    QStringList kept;
    for (const SwitchInfo &row : switchTable()) {
        if (!switches().fitsCheckBox(row.which))
            kept.append(u"„%1“ е %2 (%3)"_s.arg(row.label)
                            .arg(switches().digit(row.which))
                            .arg(unusualDigit(row.which, switches())));
    }
    if (kept.isEmpty())
        return OwnSettingsNote;
    return OwnSettingsNote +
           u" Отметка не може да покаже: %1. Записва се непроменено."_s.arg(kept.join(u"; "_s));
}

QString PackerEngine::status() const
{
    return u"Въпроси: %1 · проблеми: %2 · предупреждения: %3. "_s.arg(m_result.questions().size())
               .arg(m_result.problems.size())
               .arg(m_result.warnings.size()) +
           (canWrite() ? u"Тестът може да се запише."_s
                       : u"Поправете файла в своя редактор и го запишете: тук той се прочита отново сам."_s);
}

QString PackerEngine::suggestedProgram() const
{
    const QFileInfo info(m_source);
    return info.isDir() ? m_source + u"-тест"_s : info.dir().filePath(info.completeBaseName());
}

} // namespace morv
