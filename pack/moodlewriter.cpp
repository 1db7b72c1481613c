// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/moodlewriter.h"

#include "pack/moodletext.h"
#include "pack/target.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <QUrl>
#include <QXmlStreamWriter>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// The extensions the importer takes for pictures; a file named otherwise would be read as an
// attachment the program cannot show.
bool hasPictureExtension(const QString &name)
{
    const QString extension = name.sliced(name.lastIndexOf(u'.') + 1).toLower();
    return name.contains(u'.') &&
           (extension == u"jpg" || extension == u"jpeg" || extension == u"png" || extension == u"gif");
}

QString extensionOf(const QByteArray &picture)
{
    if (picture.startsWith("\x89PNG"))
        return u"png"_s;
    if (picture.startsWith("GIF8"))
        return u"gif"_s;
    return u"jpg"_s;
}

// Where the picture is kept among the question's files: "pictures/q01.jpg" as the folder "/pictures/"
// and the name "q01.jpg", so that it is read back under the same name. A name that leads out of its
// folder, or that no picture has, is replaced by one made from the question's number.
struct PicturePlace
{
    QString folder;
    QString name;
};

PicturePlace picturePlace(const TestQuestion &question, std::size_t index)
{
    QStringList parts = question.pictureName.split(u'/', Qt::SkipEmptyParts);
    parts.removeAll(u"."_s);
    if (parts.isEmpty() || parts.contains(u".."_s) || !hasPictureExtension(parts.last()))
        return {u"/"_s,
                u"q%1.%2"_s.arg(int(index + 1), 2, 10, QChar(u'0')).arg(extensionOf(question.picture))};
    const QString name = parts.takeLast();
    return {parts.isEmpty() ? u"/"_s : u'/' + parts.join(u'/') + u'/', name};
}

// A text on one line, for a name in Moodle's lists: blanks merged, and nothing an XML file cannot hold.
QString oneLine(const QString &text)
{
    QString line = text.simplified();
    line.removeIf([](QChar c) { return !c.isPrint() && !c.isSurrogate(); });
    return line;
}

// Moodle's name for the question in its bank: the number and the start of the text.
QString questionName(const TestQuestion &question, std::size_t index)
{
    constexpr qsizetype longest = 60;
    const QString start = oneLine(question.text);
    if (start.size() <= longest)
        return u"%1. %2"_s.arg(int(index + 1), 2, 10, QChar(u'0')).arg(start);
    // Never half of a character beyond the basic plane.
    const qsizetype kept = start[longest - 2].isHighSurrogate() ? longest - 2 : longest - 1;
    return u"%1. %2…"_s.arg(int(index + 1), 2, 10, QChar(u'0')).arg(start.first(kept));
}

// A category's name in Moodle's path, where "/" separates the levels and "//" is a "/" of the name.
QString categoryPath(const QString &title)
{
    QString name = oneLine(title);
    name.replace(u'/', u"//"_s);
    return u"$course$/top/"_s + (name.isEmpty() ? u"МОРВ"_s : name);
}

class Writer
{
public:
    explicit Writer(QByteArray *out) : m_xml(out)
    {
        m_xml.setAutoFormatting(true);
        m_xml.setAutoFormattingIndent(2);
    }

    void write(const TestDocument &document)
    {
        m_xml.writeStartDocument();
        m_xml.writeStartElement(u"quiz"_s);
        category(document);
        for (std::size_t i = 0; i < document.questions.size(); ++i)
            question(document.questions[i], i);
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
    }

private:
    // <text>, its HTML as Moodle writes it: in a CDATA section when it holds markup.
    void text(const QString &html)
    {
        m_xml.writeStartElement(u"text"_s);
        if (html.contains(u'<') || html.contains(u'&'))
            m_xml.writeCDATA(html);
        else
            m_xml.writeCharacters(html);
        m_xml.writeEndElement();
    }

    void htmlElement(const QString &name, const QString &html)
    {
        m_xml.writeStartElement(name);
        m_xml.writeAttribute(u"format"_s, u"html"_s);
        text(html);
        m_xml.writeEndElement();
    }

    void category(const TestDocument &document)
    {
        m_xml.writeStartElement(u"question"_s);
        m_xml.writeAttribute(u"type"_s, u"category"_s);
        m_xml.writeStartElement(u"category"_s);
        m_xml.writeTextElement(u"text"_s, categoryPath(document.title));
        m_xml.writeEndElement();
        htmlElement(u"info"_s, moodle::exactHtml(moodle::settingsInfo(document)));
        m_xml.writeEndElement();
    }

    void question(const TestQuestion &question, std::size_t index)
    {
        m_xml.writeStartElement(u"question"_s);
        m_xml.writeAttribute(u"type"_s, u"multichoice"_s);
        m_xml.writeStartElement(u"name"_s);
        m_xml.writeTextElement(u"text"_s, questionName(question, index));
        m_xml.writeEndElement();

        m_xml.writeStartElement(u"questiontext"_s);
        m_xml.writeAttribute(u"format"_s, u"html"_s);
        if (question.picture.isEmpty()) {
            text(moodle::exactHtml(question.text));
        } else {
            const PicturePlace place = picturePlace(question, index);
            const QString path = place.folder + place.name;
            const QString src = u"@@PLUGINFILE@@"_s + QString::fromLatin1(QUrl::toPercentEncoding(path, "/"));
            text(moodle::exactHtml(question.text, TextImage{src, question.pictureText}));
            m_xml.writeStartElement(u"file"_s);
            m_xml.writeAttribute(u"name"_s, place.name);
            m_xml.writeAttribute(u"path"_s, place.folder);
            m_xml.writeAttribute(u"encoding"_s, u"base64"_s);
            m_xml.writeCharacters(QString::fromLatin1(question.picture.toBase64()));
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();

        htmlElement(u"generalfeedback"_s, moodle::exactHtml(question.explanation.join(u'\n')));
        m_xml.writeTextElement(u"defaultgrade"_s, u"1"_s);
        m_xml.writeTextElement(u"penalty"_s, u"0"_s);
        m_xml.writeTextElement(u"hidden"_s, u"0"_s);
        m_xml.writeTextElement(u"single"_s, u"true"_s);
        m_xml.writeTextElement(u"shuffleanswers"_s, u"true"_s);
        m_xml.writeTextElement(u"answernumbering"_s, u"abc"_s);
        // Only the first answer that is the right one is worth the marks: a draft may repeat it.
        const qsizetype right = question.answers.indexOf(question.correct);
        for (qsizetype a = 0; a < question.answers.size(); ++a) {
            m_xml.writeStartElement(u"answer"_s);
            m_xml.writeAttribute(u"fraction"_s, a == right ? u"100"_s : u"0"_s);
            m_xml.writeAttribute(u"format"_s, u"html"_s);
            text(moodle::exactHtml(question.answers[a]));
            htmlElement(u"feedback"_s, {});
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }

    QXmlStreamWriter m_xml;
};

} // namespace

QByteArray moodleXml(const TestDocument &document)
{
    QByteArray out;
    Writer(&out).write(document);
    return out;
}

QList<Problem> xmlFileProblems(const QString &file, const QString &sourceFile)
{
    if (const FileTarget target = fileTarget(file); !target.problems.isEmpty() || !target.exists)
        return target.problems;
    if (!sourceFile.isEmpty() && QFileInfo(file) == QFileInfo(sourceFile))
        return {notWritten(u"„%1“ е самият източник; изберете друго име за файла"_s.arg(file))};
    QFile existing(file);
    if (!existing.open(QIODevice::ReadOnly) || !moodle::writtenByMorv(existing.read(moodle::CategoryBytes)))
        return {notWritten(
            u"„%1“ вече съществува и не е файл Moodle XML, записан от МОРВ; изберете друго име"_s.arg(file))};
    return {};
}

QList<Problem> writeMoodleXml(const QString &file, const TestDocument &document, const QString &sourceFile)
{
    if (QList<Problem> why = xmlFileProblems(file, sourceFile); !why.isEmpty())
        return why;
    const QByteArray xml = moodleXml(document);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(xml) != xml.size() || !out.commit())
        return {notWritten(u"„%1“ не може да се запише"_s.arg(file))};
    return {};
}

} // namespace morv
