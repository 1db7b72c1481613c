// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/htmltext.h"

#include <QHash>
#include <QStringList>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// Every line trimmed, and no empty lines at either end.
QString trimmedLines(const QString &text)
{
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        line = line.trimmed();
    while (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(u'\n');
}

// Builds the plain text: one space for a run of blanks, line breaks where the markup puts them.
class TextOut
{
public:
    void append(QStringView text)
    {
        for (const QChar c : text) {
            if (c.isSpace())
                space();
            else
                m_text.append(c);
        }
    }
    void space()
    {
        if (!m_text.isEmpty() && !m_text.endsWith(u' ') && !m_text.endsWith(u'\n'))
            m_text.append(u' ');
    }
    void lineBreak() { m_text.append(u'\n'); }
    // Paragraphs start on a line of their own, but empty ones add no blank lines.
    void paragraph()
    {
        if (!m_text.isEmpty() && !m_text.endsWith(u'\n'))
            m_text.append(u'\n');
    }
    QString text() const { return trimmedLines(m_text); }

private:
    QString m_text;
};

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiAlnum(QChar c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9');
}

const QHash<QString, char16_t> &namedEntities()
{
    static const QHash<QString, char16_t> entities = {
        {u"amp"_s, u'&'},    {u"lt"_s, u'<'},     {u"gt"_s, u'>'},     {u"quot"_s, u'"'},
        {u"apos"_s, u'\''},  {u"nbsp"_s, u' '},   {u"deg"_s, u'°'},    {u"ndash"_s, u'–'},
        {u"mdash"_s, u'—'},  {u"hellip"_s, u'…'}, {u"laquo"_s, u'«'},  {u"raquo"_s, u'»'},
        {u"bdquo"_s, u'„'},  {u"ldquo"_s, u'“'},  {u"rdquo"_s, u'”'},  {u"lsquo"_s, u'‘'},
        {u"rsquo"_s, u'’'},  {u"times"_s, u'×'},  {u"divide"_s, u'÷'}, {u"minus"_s, u'−'},
        {u"plusmn"_s, u'±'}, {u"middot"_s, u'·'}, {u"le"_s, u'≤'},     {u"ge"_s, u'≥'},
        {u"ne"_s, u'≠'},     {u"asymp"_s, u'≈'},  {u"sup2"_s, u'²'},   {u"sup3"_s, u'³'},
        {u"frac12"_s, u'½'}, {u"pi"_s, u'π'},     {u"alpha"_s, u'α'},  {u"beta"_s, u'β'},
        {u"gamma"_s, u'γ'},  {u"copy"_s, u'©'},   {u"euro"_s, u'€'},
    };
    return entities;
}

struct Decoded
{
    QString text;
    qsizetype end = 0; // just past the entity
};

// An entity at html[at] == '&', or nothing when it is not one: then the '&' is a character of its own.
std::optional<Decoded> readEntity(QStringView html, qsizetype at)
{
    constexpr qsizetype longest = 12;
    const qsizetype length = html.sliced(at).left(longest + 1).indexOf(u';');
    if (length < 0)
        return std::nullopt;
    const qsizetype semicolon = at + length;
    const QStringView body = html.sliced(at + 1, semicolon - at - 1);
    if (body.startsWith(u'#')) {
        const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
        const QStringView digits = body.sliced(hex ? 2 : 1);
        bool ok = false;
        const uint code = digits.toUInt(&ok, hex ? 16 : 10);
        if (!ok || digits.isEmpty() || !isAsciiAlnum(digits.front()))
            return std::nullopt;
        // What no text may hold is shown as the replacement character, as browsers do.
        const bool valid = code <= 0x10FFFF && !QChar::isSurrogate(code) &&
                           (code >= 0x20 || code == u'\t' || code == u'\n' || code == u'\r') &&
                           (code < 0x7F || code > 0x9F);
        const char32_t character = valid ? char32_t(code) : U'\uFFFD';
        return Decoded{QString::fromUcs4(&character, 1), semicolon + 1};
    }
    const auto found = namedEntities().constFind(body.toString());
    if (found == namedEntities().constEnd())
        return std::nullopt;
    return Decoded{QString(QChar(*found)), semicolon + 1};
}

QString decodeEntities(QStringView text)
{
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'&') {
            if (const auto entity = readEntity(text, i)) {
                out.append(entity->text);
                i = entity->end;
                continue;
            }
        }
        out.append(text[i++]);
    }
    return out;
}

struct Tag
{
    QString name; // lower case; "/p" for a closing tag, empty for comments and declarations
    QHash<QString, QString> attributes;
    qsizetype end = 0; // just past the '>'
};

// Whether a '<' at html[at] starts what can only be a tag, a comment or a declaration.
bool opensTag(QStringView html, qsizetype at)
{
    const QStringView next = html.sliced(at + 1).left(2);
    return !next.isEmpty() && (isAsciiLetter(next[0]) || next[0] == u'!' || next[0] == u'?' ||
                               (next.size() == 2 && next[0] == u'/' && isAsciiLetter(next[1])));
}

// The tag that html[at] == '<' opens, or nothing when it does not close before the text ends.
std::optional<Tag> readTag(QStringView html, qsizetype at)
{
    const qsizetype size = html.size();
    if (html.sliced(at).startsWith(u"<!--")) {
        const qsizetype close = html.indexOf(u"-->", at + 4);
        if (close < 0)
            return std::nullopt;
        return Tag{{}, {}, close + 3};
    }
    const QChar next = html[at + 1];
    if (next == u'!' || next == u'?') {
        const qsizetype close = html.indexOf(u'>', at + 2);
        if (close < 0)
            return std::nullopt;
        return Tag{{}, {}, close + 1};
    }
    const bool closing = next == u'/';
    qsizetype i = at + (closing ? 2 : 1);
    Tag tag;
    const qsizetype nameStart = i;
    while (i < size && isAsciiAlnum(html[i]))
        ++i;
    tag.name = (closing ? u"/"_s : QString()) + html.sliced(nameStart, i - nameStart).toString().toLower();
    while (i < size) {
        const QChar c = html[i];
        if (c == u'>') {
            tag.end = i + 1;
            return tag;
        }
        if (c.isSpace() || c == u'/') {
            ++i;
            continue;
        }
        const qsizetype keyStart = i;
        while (i < size && !html[i].isSpace() && html[i] != u'=' && html[i] != u'>' && html[i] != u'/')
            ++i;
        const QString key = html.sliced(keyStart, i - keyStart).toString().toLower();
        while (i < size && html[i].isSpace())
            ++i;
        QString value;
        if (i < size && html[i] == u'=') {
            ++i;
            while (i < size && html[i].isSpace())
                ++i;
            if (i < size && (html[i] == u'"' || html[i] == u'\'')) {
                const qsizetype close = html.indexOf(html[i], i + 1);
                if (close < 0)
                    return std::nullopt;
                value = decodeEntities(html.sliced(i + 1, close - i - 1));
                i = close + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < size && !html[i].isSpace() && html[i] != u'>')
                    ++i;
                value = decodeEntities(html.sliced(valueStart, i - valueStart));
            }
        }
        if (!key.isEmpty())
            tag.attributes.insert(key, value);
    }
    return std::nullopt;
}

bool startsParagraph(const QString &name)
{
    static const QStringList blocks = {
        u"p"_s,  u"div"_s, u"li"_s, u"ul"_s,    u"ol"_s,         u"h1"_s,  u"h2"_s, u"h3"_s, u"h4"_s,
        u"h5"_s, u"h6"_s,  u"tr"_s, u"table"_s, u"blockquote"_s, u"pre"_s, u"hr"_s, u"dt"_s, u"dd"_s,
    };
    return blocks.contains(name.startsWith(u'/') ? name.sliced(1) : name);
}

} // namespace

PlainText htmlToText(QStringView html, TextFormat format)
{
    TextOut out;
    PlainText plain;
    const bool everyLineBreaks = format == TextFormat::MoodleAuto;
    // A tag left open runs to the end of the text, so no later one can close either: its '<' and
    // everything after it are shown as written, and the rest is read in one pass.
    bool tagsClose = true;
    for (qsizetype i = 0; i < html.size();) {
        const QChar c = html[i];
        if (c == u'<' && tagsClose && opensTag(html, i)) {
            const std::optional<Tag> tag = readTag(html, i);
            tagsClose = tag.has_value();
            if (tag) {
                i = tag->end;
                if (tag->name == u"br") {
                    out.lineBreak();
                } else if (startsParagraph(tag->name)) {
                    out.paragraph();
                } else if (tag->name == u"td" || tag->name == u"th") {
                    out.space();
                } else if (tag->name == u"img") {
                    plain.images.append({tag->attributes.value(u"src"_s), tag->attributes.value(u"alt"_s)});
                } else if (tag->name == u"script" || tag->name == u"style") {
                    // Their content is code, never text for the reader.
                    const qsizetype close = html.indexOf(u"</"_s + tag->name, i, Qt::CaseInsensitive);
                    const qsizetype end = close < 0 ? -1 : html.indexOf(u'>', close);
                    i = end < 0 ? html.size() : end + 1;
                }
                continue;
            }
        } else if (c == u'&') {
            if (const auto entity = readEntity(html, i)) {
                out.append(entity->text);
                i = entity->end;
                continue;
            }
        } else if (c == u'\n' && everyLineBreaks) {
            out.lineBreak();
            ++i;
            continue;
        }
        out.append(html.sliced(i, 1));
        ++i;
    }
    plain.text = out.text();
    return plain;
}

PlainText toPlainText(QStringView text, TextFormat format)
{
    if (format == TextFormat::Html || format == TextFormat::MoodleAuto)
        return htmlToText(text, format);
    return {trimmedLines(text.toString()), {}};
}

} // namespace morv
