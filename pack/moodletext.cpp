// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/moodletext.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace morv::moodle {

namespace {

// The first line of the category's description: what marks a file as МОРВ's. Never reworded, or the
// files written before would no longer be recognised.
constexpr QStringView Mark =
    u"Тест, записан от МОРВ: програмата чете оттук превключвателите и заглавието му.";
constexpr QStringView TitleLabel = u"Заглавие: ";
constexpr QStringView LineBreak = u"<br>";

// The blanks HTML merges and drops at the ends of a line; other spaces (no-break, thin) it shows as
// they are.
bool isHtmlBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

void appendReference(QString &out, char32_t c)
{
    out += u"&#"_s + QString::number(uint(c)) + u';';
}

// A character XML cannot carry as it is, or one HTML would take for something else.
bool needsReference(char32_t c)
{
    return c < 0x20 || c == 0xA0 || c == 0xFFFE || c == 0xFFFF || (c >= 0xD800 && c <= 0xDFFF);
}

void appendLine(QString &out, QStringView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u' ') {
            const bool between =
                i > 0 && i + 1 < line.size() && !isHtmlBlank(line[i - 1]) && !isHtmlBlank(line[i + 1]);
            out += between ? u" "_s : u"&nbsp;"_s;
        } else if (c == u'&') {
            out += u"&amp;"_s;
        } else if (c == u'<') {
            out += u"&lt;"_s;
        } else if (c == u'>') {
            out += u"&gt;"_s;
        } else if (c.isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate()) {
            out += c;
            out += line[++i];
        } else if (needsReference(c.unicode())) {
            appendReference(out, c.unicode());
        } else {
            out += c;
        }
    }
}

QString attribute(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        if (c == u'&')
            out += u"&amp;"_s;
        else if (c == u'<')
            out += u"&lt;"_s;
        else if (c == u'>')
            out += u"&gt;"_s;
        else if (c == u'"')
            out += u"&quot;"_s;
        else if (needsReference(c.unicode()) && !c.isSurrogate())
            appendReference(out, c.unicode());
        else
            out += c;
    }
    return out;
}

// The character an entity at text[at] == '&' stands for, and where it ends; the few exactHtml writes.
std::optional<std::pair<QString, qsizetype>> entity(QStringView text, qsizetype at)
{
    const qsizetype semicolon = text.indexOf(u';', at);
    if (semicolon < 0 || semicolon - at > 10)
        return std::nullopt;
    const QStringView name = text.sliced(at + 1, semicolon - at - 1);
    static constexpr std::pair<QStringView, QStringView> named[] = {
        {u"amp", u"&"}, {u"lt", u"<"}, {u"gt", u">"}, {u"quot", u"\""}, {u"nbsp", u" "}};
    for (const auto &[key, value] : named) {
        if (name == key)
            return std::pair{value.toString(), semicolon + 1};
    }
    if (!name.startsWith(u'#'))
        return std::nullopt;
    bool ok = false;
    const uint code = name.sliced(1).toUInt(&ok);
    if (!ok || code > 0x10FFFF)
        return std::nullopt;
    const char32_t c = code;
    return std::pair{QString::fromUcs4(&c, 1), semicolon + 1};
}

// The value of `name="…"` in a tag's text, its entities read.
std::optional<QString> attributeValue(QStringView tag, QStringView name)
{
    const QString key = u' ' + name.toString() + u"=\""_s;
    const qsizetype start = tag.indexOf(key);
    if (start < 0)
        return std::nullopt;
    const qsizetype from = start + key.size();
    const qsizetype close = tag.indexOf(u'"', from);
    if (close < 0)
        return std::nullopt;
    QString value;
    for (qsizetype i = from; i < close;) {
        if (tag[i] == u'&') {
            const auto decoded = entity(tag, i);
            if (!decoded)
                return std::nullopt;
            value += decoded->first;
            i = decoded->second;
        } else {
            value += tag[i++];
        }
    }
    return value;
}

} // namespace

QString exactHtml(const QString &text, const std::optional<TextImage> &picture)
{
    QString out;
    bool first = true;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        if (!first)
            out += LineBreak;
        first = false;
        appendLine(out, line);
    }
    if (picture) {
        if (!text.isEmpty())
            out += LineBreak;
        out += u"<img src=\"%1\" alt=\"%2\">"_s.arg(attribute(picture->src), attribute(picture->alt));
    }
    return out;
}

std::optional<ExactText> fromExactHtml(QStringView html)
{
    ExactText read;
    for (qsizetype i = 0; i < html.size();) {
        const QChar c = html[i];
        if (c == u'&') {
            const auto decoded = entity(html, i);
            if (!decoded)
                return std::nullopt;
            read.text += decoded->first;
            i = decoded->second;
        } else if (c == u'<') {
            const qsizetype close = html.indexOf(u'>', i);
            if (close < 0)
                return std::nullopt;
            const QStringView tag = html.sliced(i, close + 1 - i);
            if (tag == LineBreak) {
                read.text += u'\n';
            } else if (tag.startsWith(u"<img ") && !read.picture) {
                const std::optional<QString> src = attributeValue(tag, u"src");
                const std::optional<QString> alt = attributeValue(tag, u"alt");
                if (!src || !alt)
                    return std::nullopt;
                read.picture = TextImage{*src, *alt};
            } else {
                return std::nullopt;
            }
            i = close + 1;
        } else {
            read.text += c;
            ++i;
        }
    }
    // The picture stands on a line of its own after the text.
    if (read.picture && read.text.endsWith(u'\n'))
        read.text.chop(1);
    // Only what exactHtml itself writes is read so: anything else is HTML of another hand.
    if (exactHtml(read.text, read.picture) != html)
        return std::nullopt;
    return read;
}

QString settingsInfo(const TestDocument &document)
{
    QStringList lines = {Mark.toString()};
    for (const SwitchInfo &info : switchTable())
        lines.append(info.rowLabel.toString() + u" - "_s +
                     QString::number(document.switches.digit(info.which)));
    lines.append(TitleLabel.toString() + document.title);
    return lines.join(u'\n');
}

CategorySettings readSettingsInfo(const QString &info)
{
    CategorySettings settings;
    const QStringList lines = info.split(u'\n');
    if (lines.first() != Mark)
        return settings;
    settings.marked = true;
    const auto table = switchTable();
    for (std::size_t k = 0; k < table.size(); ++k) {
        const SwitchInfo &row = table[k];
        const QString expected = row.rowLabel.toString() + u" - "_s;
        const QString line = lines.value(qsizetype(k) + 1);
        if (line.size() != expected.size() + 1 || !line.startsWith(expected) || !line.back().isDigit() ||
            line.back().unicode() > u'9') {
            settings.problem =
                u"ред %1 от описанието на категорията трябва да е „%2“ и цифра от 0 до 9, а е %3"_s.arg(
                    QString::number(k + 2), expected, inQuotes(line));
            return settings;
        }
        settings.switches.setDigit(row.which, line.back().unicode() - u'0');
    }
    const qsizetype titleAt = qsizetype(table.size()) + 1;
    const QString rest = lines.sliced(std::min(titleAt, lines.size())).join(u'\n');
    // The blank after the colon goes when the description was written again by other hands with an
    // empty title.
    const QStringView label = TitleLabel.chopped(1);
    if (!rest.startsWith(label)) {
        settings.problem = u"ред %1 от описанието на категорията трябва да започва с „%2“"_s.arg(
            QString::number(titleAt + 1), TitleLabel.toString());
        return settings;
    }
    settings.title = rest.sliced(rest.startsWith(TitleLabel) ? TitleLabel.size() : label.size());
    return settings;
}

} // namespace morv::moodle
