// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/htmltext.h"

#include <QFont>
#include <QHash>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>

#include <algorithm>

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

struct ScriptForms
{
    QHash<char32_t, char32_t> super;
    QHash<char32_t, char32_t> sub;
};

// Unicode's own superscript and subscript forms, from its decompositions: the block made for them
// first, then the digits of Latin-1, then the modifier letters. The ordinal indicators ª and º are
// left out: they are marks of their own, shown underlined by many fonts.
const ScriptForms &scriptForms()
{
    static const ScriptForms forms = [] {
        ScriptForms found;
        constexpr std::pair<char32_t, char32_t> ranges[] = {
            {0x2070, 0x209F}, {0x00B2, 0x00B9}, {0x1D2C, 0x1DBF}, {0x02B0, 0x02FF}};
        for (const auto &[first, last] : ranges) {
            for (char32_t c = first; c <= last; ++c) {
                const QChar::Decomposition tag = QChar::decompositionTag(c);
                const QList<uint> base = QChar::decomposition(c).toUcs4();
                if ((tag != QChar::Super && tag != QChar::Sub) || base.size() != 1)
                    continue;
                QHash<char32_t, char32_t> &into = tag == QChar::Super ? found.super : found.sub;
                if (!into.contains(base.first()))
                    into.insert(base.first(), c);
            }
        }
        // Teachers type the hyphen for a minus.
        found.super.insert(U'-', found.super.value(U'\u2212'));
        found.sub.insert(U'-', found.sub.value(U'\u2212'));
        return found;
    }();
    return forms;
}

// Builds the plain text: one space for a run of blanks, line breaks where the markup puts them, the
// blanks of preformatted text as written, superscripts and subscripts as their own characters.
class TextOut
{
public:
    void append(QStringView text)
    {
        for (const QChar c : text) {
            if (m_preformatted > 0 && m_scriptDepth == 0) {
                if (c == u'\n')
                    lineBreak();
                else if (c == u'\t')
                    m_text.append(u"    ");
                else if (c != u'\r')
                    m_text.append(c.isSpace() ? QChar(u' ') : c);
            } else if (c.isSpace()) {
                space();
            } else if (m_scriptDepth > 0) {
                m_script.append(c);
                m_marked.append(c);
            } else {
                m_text.append(c);
            }
        }
    }
    void space()
    {
        if (m_scriptDepth > 0) {
            // Kept at the start too: it stands before the superscript, not in it.
            if (!m_script.endsWith(u' '))
                m_script.append(u' ');
            if (!m_marked.endsWith(u' '))
                m_marked.append(u' ');
        } else if (!m_text.isEmpty() && !m_text.endsWith(u' ') && !m_text.endsWith(u'\n')) {
            m_text.append(u' ');
        }
    }
    void lineBreak()
    {
        if (m_scriptDepth > 0)
            return space();
        m_text.append(u'\n');
    }
    // Paragraphs start on a line of their own, but empty ones add no blank lines.
    void paragraph()
    {
        if (m_scriptDepth > 0)
            return space();
        if (!m_text.isEmpty() && !m_text.endsWith(u'\n'))
            m_text.append(u'\n');
    }
    // A list item's number or bullet, at the start of its line.
    void marker(const QString &marker)
    {
        paragraph();
        m_text.append(marker);
    }
    void beginPreformatted() { ++m_preformatted; }
    void endPreformatted() { m_preformatted = std::max(0, m_preformatted - 1); }
    // A script inside a script has no plain form: the outer one is kept with the inner marked in it,
    // "2_(1)" for a<sup>2<sub>1</sub></sup>, for the importer to name.
    void beginScript(bool super)
    {
        if (m_scriptDepth++ == 0) {
            m_super = super;
            m_script.clear();
            m_marked.clear();
            m_nested = false;
        } else {
            m_innerStarts.append(m_marked.size());
            m_marked.append(super ? u"^(" : u"_(");
        }
    }
    // An inner script with nothing to show in it changes nothing and is dropped.
    void endScript()
    {
        if (m_scriptDepth > 1) {
            const qsizetype start = m_innerStarts.takeLast();
            if (QStringView(m_marked).sliced(start + 2).trimmed().isEmpty()) {
                m_marked.truncate(start);
            } else {
                m_marked.append(u')');
                m_nested = true;
            }
        }
        if (m_scriptDepth > 0 && --m_scriptDepth == 0)
            flushScript();
    }
    qsizetype size() const { return m_text.size(); }
    QString since(qsizetype at) const { return m_text.sliced(std::min(at, m_text.size())).simplified(); }

    // The text so far, its lines without blanks at their ends and no empty lines at either end.
    QString text()
    {
        while (m_scriptDepth > 0)
            endScript();
        QStringList lines = m_text.split(u'\n');
        for (QString &line : lines) {
            while (!line.isEmpty() && line.back().isSpace())
                line.chop(1);
        }
        while (!lines.isEmpty() && lines.first().isEmpty())
            lines.removeFirst();
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines.join(u'\n');
    }
    QList<TextScript> scripts() const { return m_scripts; }

private:
    void flushScript()
    {
        const QString body = m_script.trimmed();
        if (m_script.startsWith(u' '))
            space();
        if (const std::optional<QString> script = m_nested ? std::nullopt : toScript(body, m_super)) {
            m_text.append(*script);
        } else {
            m_text.append(body);
            m_scripts.append({m_super, body, m_nested ? m_marked.trimmed() : QString()});
        }
        if (m_script.endsWith(u' ') && !body.isEmpty())
            space();
        m_script.clear();
    }

    QString m_text;
    QString m_script;
    QString m_marked;               // the script with the scripts inside it marked
    QList<qsizetype> m_innerStarts; // where each inner script open now starts in m_marked
    QList<TextScript> m_scripts;
    int m_preformatted = 0;
    int m_scriptDepth = 0;
    bool m_super = true;
    bool m_nested = false;
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
        // Only what the reader uses is kept: a tag of a million attributes costs no memory.
        static const QStringList used = {u"src"_s, u"alt"_s, u"href"_s, u"data"_s, u"start"_s};
        if (used.contains(key))
            tag.attributes.insert(key, value);
    }
    return std::nullopt;
}

bool startsParagraph(const QString &name)
{
    static const QStringList blocks = {
        u"p"_s,  u"div"_s, u"ul"_s,    u"ol"_s,         u"h1"_s, u"h2"_s, u"h3"_s, u"h4"_s, u"h5"_s,
        u"h6"_s, u"tr"_s,  u"table"_s, u"blockquote"_s, u"hr"_s, u"dt"_s, u"dd"_s, u"li"_s,
    };
    return blocks.contains(name.startsWith(u'/') ? name.sliced(1) : name);
}

// Elements that play or show a file in place; their content is what a browser shows without them.
bool isMedia(const QString &name)
{
    static const QStringList media = {u"audio"_s,  u"video"_s,   u"object"_s, u"embed"_s,
                                      u"iframe"_s, u"bgsound"_s, u"applet"_s, u"source"_s};
    return media.contains(name);
}

// Where an element's content ends and the element after it begins: just past "</name>", or the end.
qsizetype skipContent(QStringView html, qsizetype from, const QString &name)
{
    const qsizetype close = html.indexOf(QString(u"</"_s + name), from, Qt::CaseInsensitive);
    const qsizetype end = close < 0 ? -1 : html.indexOf(u'>', close);
    return end < 0 ? html.size() : end + 1;
}

// The first <source src> of a media element's content [from, to). Each tag is read once, from the end
// of the one before; one that does not close ends the search, as it ends the tags of the text.
QString firstSource(QStringView html, qsizetype from, qsizetype to, qsizetype *scanned)
{
    for (qsizetype i = html.indexOf(u'<', from); i >= 0 && i < to; i = html.indexOf(u'<', i)) {
        if (!opensTag(html, i)) {
            ++i;
            continue;
        }
        const std::optional<Tag> tag = readTag(html, i);
        *scanned += (tag ? tag->end : html.size()) - i;
        if (!tag)
            break;
        if (tag->name == u"source")
            return tag->attributes.value(u"src"_s);
        i = tag->end;
    }
    return {};
}

struct ListLevel
{
    bool ordered = false;
    int next = 1;
};

} // namespace

std::optional<QString> toScript(QStringView text, bool super)
{
    const QHash<char32_t, char32_t> &forms = super ? scriptForms().super : scriptForms().sub;
    QString out;
    for (const char32_t c : text.toUcs4()) {
        if (QChar::isSpace(c)) {
            out.append(u' ');
            continue;
        }
        const auto form = forms.constFind(c);
        if (form == forms.constEnd())
            return std::nullopt;
        out.append(QString::fromUcs4(&form.value(), 1));
    }
    return out;
}

QString scriptCharacters()
{
    QList<char32_t> all = scriptForms().super.values() + scriptForms().sub.values();
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return QString::fromUcs4(all.constData(), all.size());
}

PlainText htmlToText(QStringView html, TextFormat format)
{
    TextOut out;
    PlainText plain;
    const bool everyLineBreaks = format == TextFormat::MoodleAuto;
    QList<ListLevel> lists;
    std::optional<TextLink> link;
    qsizetype linkStart = 0;
    auto closeLink = [&] {
        if (link) {
            link->text = out.since(linkStart);
            plain.links.append(*link);
            link.reset();
        }
    };
    // A tag left open runs to the end of the text, so no later one can close either: its '<' and
    // everything after it are shown as written, and the rest is read in one pass.
    bool tagsClose = true;
    for (qsizetype i = 0; i < html.size();) {
        const QChar c = html[i];
        if (c == u'<' && tagsClose && opensTag(html, i)) {
            const std::optional<Tag> tag = readTag(html, i);
            plain.scanned += (tag ? tag->end : html.size()) - i;
            tagsClose = tag.has_value();
            if (tag) {
                i = tag->end;
                const QString &name = tag->name;
                if (name == u"br") {
                    out.lineBreak();
                } else if (name == u"li") {
                    if (lists.isEmpty() || !lists.last().ordered)
                        out.marker(u"• "_s);
                    else
                        out.marker(u"%1. "_s.arg(lists.last().next++));
                } else if (name == u"ol" || name == u"ul") {
                    out.paragraph();
                    bool numbered = false;
                    const int start = tag->attributes.value(u"start"_s).toInt(&numbered);
                    lists.append({name == u"ol", numbered ? start : 1});
                } else if (name == u"/ol" || name == u"/ul") {
                    out.paragraph();
                    if (!lists.isEmpty())
                        lists.removeLast();
                } else if (name == u"pre") {
                    out.paragraph();
                    out.beginPreformatted();
                    // A line break right after <pre> is not part of the text.
                    if (html.sliced(i).startsWith(u"\r\n"))
                        i += 2;
                    else if (html.sliced(i).startsWith(u'\n'))
                        ++i;
                } else if (name == u"/pre") {
                    out.endPreformatted();
                    out.paragraph();
                } else if (name == u"sup" || name == u"sub") {
                    out.beginScript(name == u"sup");
                } else if (name == u"/sup" || name == u"/sub") {
                    out.endScript();
                } else if (startsParagraph(name)) {
                    out.paragraph();
                } else if (name == u"td" || name == u"th") {
                    out.space();
                } else if (name == u"img") {
                    plain.images.append({tag->attributes.value(u"src"_s), tag->attributes.value(u"alt"_s)});
                } else if (name == u"a" && !tag->attributes.value(u"href"_s).isEmpty()) {
                    closeLink();
                    link = TextLink{tag->attributes.value(u"href"_s), {}};
                    linkStart = out.size();
                } else if (name == u"/a") {
                    closeLink();
                } else if (isMedia(name)) {
                    QString src = tag->attributes.value(name == u"object" ? u"data"_s : u"src"_s);
                    // What a browser shows in place of sound or video is no text of the question.
                    if (name != u"embed" && name != u"source" && name != u"bgsound") {
                        const qsizetype end = skipContent(html, i, name);
                        if (src.isEmpty())
                            src = firstSource(html, i, end, &plain.scanned);
                        i = end;
                    }
                    plain.media.append({name, src});
                } else if (name == u"script" || name == u"style") {
                    // Their content is code, never text for the reader.
                    i = skipContent(html, i, name);
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
    closeLink();
    plain.text = out.text();
    plain.scripts = out.scripts();
    return plain;
}

namespace {

// Markdown through Qt's own reader. HTML in it is not read, so that nothing is lost to a reader of
// HTML that drops what it does not know; it is shown as written, and the first tag is named.
PlainText markdownToText(QStringView markdown)
{
    PlainText plain;
    // A tag that does not close ends the search: no '>' follows it, or its quote runs to the end.
    for (qsizetype i = markdown.indexOf(u'<'); i >= 0; i = markdown.indexOf(u'<', i + 1)) {
        if (!opensTag(markdown, i))
            continue;
        const std::optional<Tag> tag = readTag(markdown, i);
        plain.scanned += (tag ? tag->end : markdown.size()) - i;
        if (!tag)
            break;
        if (!tag->name.isEmpty()) {
            plain.markup = markdown.sliced(i, tag->end - i).toString();
            break;
        }
        i = tag->end - 1; // what a comment holds is no tag
    }
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    // A font of a size of its own, or the reader warns of one without an application object.
    QFont font;
    font.setPointSize(12);
    document.setDefaultFont(font);
    // Within an edit block no insertion lays out its paragraph again to place the cursor: without it a
    // paragraph of n lines costs n layouts of itself.
    QTextCursor edit(&document);
    edit.beginEditBlock();
    document.setMarkdown(markdown.toString(),
                         QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectGitHub |
                                                         QTextDocument::MarkdownNoHTML));
    edit.endEditBlock();
    TextOut out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        out.paragraph();
        // Each line of a code block is a block of its own, its blanks as written.
        const bool code = block.blockFormat().hasProperty(QTextFormat::BlockCodeLanguage);
        if (code)
            out.beginPreformatted();
        if (const QTextList *list = block.textList()) {
            const bool bullet = list->format().style() >= QTextListFormat::ListSquare;
            out.marker(bullet ? u"• "_s : list->itemText(block) + u' ');
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                plain.images.append({format.toImageFormat().name(), {}});
                continue;
            }
            const QString text = fragment.text();
            if (format.isAnchor() && !format.anchorHref().isEmpty()) {
                if (!plain.links.isEmpty() && plain.links.last().href == format.anchorHref())
                    plain.links.last().text += text;
                else
                    plain.links.append({format.anchorHref(), text});
            }
            for (const QStringView line : QStringView(text).split(QChar::LineSeparator)) {
                if (line.data() != text.constData())
                    out.lineBreak();
                out.append(line);
            }
        }
        if (code)
            out.endPreformatted();
    }
    for (TextLink &link : plain.links)
        link.text = link.text.simplified();
    plain.text = out.text();
    return plain;
}

} // namespace

PlainText toPlainText(QStringView text, TextFormat format)
{
    switch (format) {
    case TextFormat::Html:
    case TextFormat::MoodleAuto:
        return htmlToText(text, format);
    case TextFormat::Markdown:
        return markdownToText(text);
    case TextFormat::Plain:
        break;
    }
    PlainText plain;
    plain.text = trimmedLines(text.toString());
    return plain;
}

} // namespace morv
