// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Moodle XML: <quiz> of <question type="…">; multiple choice has <questiontext>, <generalfeedback> and
// <answer fraction="…">, its pictures carried base64-encoded in <file> and named @@PLUGINFILE@@/name.
// A file МОРВ wrote starts with a category that carries the test's title and switches, and its texts
// are read back exactly as they were written.
#include "pack/importbuilder.h"
#include "pack/moodletext.h"

#include <QHash>
#include <QRegularExpression>
#include <QUrl>
#include <QXmlStreamReader>

using namespace Qt::Literals::StringLiterals;

namespace morv {

using namespace importing;

namespace {

struct XmlFile
{
    QString path; // "/name" under the text's own files
    QString encoding;
    QString data;
};

struct RichText
{
    TextFormat format = TextFormat::Html;
    QString text;
    QList<XmlFile> files;
};

// How deep elements may nest inside a text. Moodle writes a text's HTML as characters, with no
// elements at all; the bound only keeps a crafted file from costing more than its size.
constexpr int MaxTextDepth = 64;

// The text of the element the reader is on, the text of elements inside it included, read event by
// event: a reader that recursed per element would run out of stack on a file of deeply nested
// elements. Elements nested deeper than MaxTextDepth are a problem of the current question. The
// reader ends on the element's end tag, or at the end of the document when it is broken.
QString readText(QXmlStreamReader &xml, ImportBuilder &builder)
{
    const int line = int(xml.lineNumber());
    const QString name = xml.name().toString();
    QString text;
    int depth = 1;
    bool tooDeep = false;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            tooDeep = tooDeep || depth > MaxTextDepth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            if (!tooDeep)
                text += xml.text();
            break;
        default:
            break;
        }
    }
    if (tooDeep) {
        builder.questionProblemAt(
            Rule::Syntax, line,
            u"в <%1> има елементи, вложени на повече от %2 нива: Moodle не записва "
            u"текст така; файлът е повреден или не е от Moodle"_s.arg(name, QString::number(MaxTextDepth)));
        return {};
    }
    return text;
}

struct XmlAnswer
{
    QString fraction;
    RichText text;
    RichText feedback;
};

TextFormat formatOf(QStringView name)
{
    if (name == u"moodle_auto_format")
        return TextFormat::MoodleAuto;
    if (name == u"plain_text")
        return TextFormat::Plain;
    if (name == u"markdown")
        return TextFormat::Markdown;
    return TextFormat::Html;
}

// The teacher's name for a kind of question the program cannot give.
QString kindOf(const QString &type)
{
    static const QHash<QString, QString> kinds = {
        {u"truefalse"_s, TrueFalseKind.toString()},
        {u"shortanswer"_s, ShortAnswerKind.toString()},
        {u"numerical"_s, NumericalKind.toString()},
        {u"matching"_s, MatchingKind.toString()},
        {u"match"_s, MatchingKind.toString()},
        {u"randomsamatch"_s, MatchingKind.toString()},
        {u"essay"_s, EssayKind.toString()},
        {u"description"_s, DescriptionKind.toString()},
        {u"cloze"_s, u"вградени отговори"_s},
        {u"multianswer"_s, u"вградени отговори"_s},
        {u"ddwtos"_s, u"плъзгане на думи в текста"_s},
        {u"gapselect"_s, u"избор на липсващи думи"_s},
        {u"ddimageortext"_s, u"плъзгане върху изображение"_s},
        {u"ddmarker"_s, u"поставяне на маркери"_s},
        {u"calculated"_s, u"изчисляем"_s},
        {u"calculatedsimple"_s, u"изчисляем"_s},
        {u"calculatedmulti"_s, u"изчисляем"_s},
        {u"ordering"_s, u"подреждане"_s},
        {u"random"_s, u"случаен въпрос"_s},
    };
    return kinds.value(type, u"непознат"_s);
}

XmlFile readFile(QXmlStreamReader &xml, ImportBuilder &builder)
{
    XmlFile file;
    QString path = xml.attributes().value(u"path"_s).toString();
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    if (!path.endsWith(u'/'))
        path.append(u'/');
    file.path = path + xml.attributes().value(u"name"_s).toString();
    file.encoding = xml.attributes().value(u"encoding"_s).toString();
    file.data = readText(xml, builder);
    return file;
}

// An element holding <text> and <file>, such as <questiontext>; the reader ends on its end tag.
RichText readRichText(QXmlStreamReader &xml, ImportBuilder &builder)
{
    RichText rich;
    rich.format = formatOf(xml.attributes().value(u"format"_s));
    while (xml.readNextStartElement()) {
        if (xml.name() == u"text")
            rich.text = readText(xml, builder);
        else if (xml.name() == u"file")
            rich.files.append(readFile(xml, builder));
        else
            xml.skipCurrentElement();
    }
    return rich;
}

XmlAnswer readAnswer(QXmlStreamReader &xml, ImportBuilder &builder)
{
    XmlAnswer answer;
    answer.fraction = xml.attributes().value(u"fraction"_s).toString();
    answer.text.format = formatOf(xml.attributes().value(u"format"_s));
    while (xml.readNextStartElement()) {
        if (xml.name() == u"text")
            answer.text.text = readText(xml, builder);
        else if (xml.name() == u"file")
            answer.text.files.append(readFile(xml, builder));
        else if (xml.name() == u"feedback")
            answer.feedback = readRichText(xml, builder);
        else
            xml.skipCurrentElement();
    }
    return answer;
}

void readPicture(ImportBuilder &builder, const TextImage &image, const QList<XmlFile> &files,
                 QuestionSource &question)
{
    static constexpr QStringView prefix = u"@@PLUGINFILE@@";
    question.pictureName = image.src;
    question.pictureText = image.alt;
    if (!image.src.startsWith(prefix))
        return builder.questionProblem(Rule::Picture,
                                       u"изображението %1 не е вградено във файла: Moodle записва вградените "
                                       u"като @@PLUGINFILE@@/име"_s.arg(quoted(image.src)));
    // Moodle writes the names in the text percent-encoded and in <file> as they are.
    const QString path = QUrl::fromPercentEncoding(image.src.sliced(prefix.size()).toUtf8());
    // The folder too, as a GIFT or bank.json source names its pictures: "pictures/q01.jpg".
    question.pictureName = path.sliced(path.startsWith(u'/') ? 1 : 0);
    const auto file =
        std::find_if(files.begin(), files.end(), [&](const XmlFile &f) { return f.path == path; });
    if (file == files.end())
        return builder.questionProblem(Rule::Picture,
                                       u"изображението %1 липсва: към текста няма <file> с това име"_s.arg(
                                           quoted(question.pictureName)));
    if (file->encoding != u"base64")
        return builder.questionProblem(Rule::Picture,
                                       u"изображението %1 е записано като %2, а трябва като base64"_s.arg(
                                           quoted(question.pictureName), quoted(file->encoding)));
    QByteArray data = file->data.toLatin1();
    data.removeIf([](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; });
    if (data.size() / 4 * 3 > MaxPictureBytes + 2)
        return builder.questionProblem(Rule::Picture,
                                       u"изображението %1 е твърде голямо: над %2 байта"_s.arg(
                                           quoted(question.pictureName), QString::number(MaxPictureBytes)));
    auto decoded = QByteArray::fromBase64Encoding(data, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return builder.questionProblem(Rule::Picture,
                                       u"изображението %1 е повредено: записът му в base64 е нарушен"_s.arg(
                                           quoted(question.pictureName)));
    if (decoded.decoded.size() > MaxPictureBytes)
        return builder.questionProblem(
            Rule::Picture, u"изображението %1 е твърде голямо: %2 байта, най-много %3"_s.arg(
                               quoted(question.pictureName), QString::number(decoded.decoded.size()),
                               QString::number(MaxPictureBytes)));
    question.picture = std::move(decoded.decoded);
}

// Whether a setting such as <single> or <shuffleanswers> says no.
bool isNo(const QString &value)
{
    const QString v = value.trimmed();
    return v == u"0" || v.compare(u"false", Qt::CaseInsensitive) == 0;
}

// Files a text carries that are not pictures: sound, video, documents. The question may need them.
void attachedFiles(ImportBuilder &builder, const QList<XmlFile> &files, const QString &to)
{
    static const QStringList pictures = {u"jpg"_s, u"jpeg"_s, u"png"_s, u"gif"_s};
    for (const XmlFile &file : files) {
        const QString name = file.path.sliced(file.path.lastIndexOf(u'/') + 1);
        if (!pictures.contains(name.sliced(name.lastIndexOf(u'.') + 1).toLower()))
            builder.dependentFile(name, u"към %1 е приложен файл %2"_s.arg(to, quoted(name)));
    }
}

// Answers that name other answers by their place, which shuffling makes wrong: "всички по-горе",
// "none of the above", "A и B".
QStringList placedAnswers(const QStringList &answers)
{
    static const QRegularExpression byPlace(
        u"по-горе|по-долу|горните|изброените|above|below|\\b[A-EА-Д]\\s*(и|или|,|and|or|&)\\s*[A-EА-Д]\\b"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    QStringList placed;
    for (qsizetype k = 0; k < answers.size(); ++k) {
        if (byPlace.match(answers[k]).hasMatch())
            placed.append(u"%1 %2"_s.arg(QString::number(k + 1), quoted(answers[k])));
    }
    return placed;
}

struct ReadText
{
    PlainText plain;
    bool exact = false; // read as МОРВ wrote it, every line and blank as it was
};

// A text exactly as МОРВ wrote it into its own file, or nothing.
std::optional<ReadText> exactText(const RichText &text, bool morvFile)
{
    if (!morvFile || text.format != TextFormat::Html)
        return std::nullopt;
    std::optional<moodle::ExactText> exact = moodle::fromExactHtml(text.text);
    if (!exact)
        return std::nullopt;
    ReadText read{{}, true};
    read.plain.text = std::move(exact->text);
    if (exact->picture)
        read.plain.images.append(*exact->picture);
    return read;
}

// A text as the pupil reads it: in a file МОРВ wrote, its own HTML exactly as written; any other
// text as its format says.
ReadText plainText(const RichText &text, bool morvFile)
{
    if (std::optional<ReadText> exact = exactText(text, morvFile))
        return *exact;
    return {toPlainText(text.text, text.format), false};
}

// A text of a question: exactly as МОРВ wrote it, or else through the builder, which refuses a text far
// over its limit before converting it.
ReadText readText(ImportBuilder &builder, const RichText &text, bool morvFile, TextPart part,
                  const QString &where)
{
    if (std::optional<ReadText> exact = exactText(text, morvFile))
        return *exact;
    return {builder.read(text.text, text.format, part, where), false};
}

// The explanation's lines: all of them as written when read exactly, the lines with text otherwise.
QStringList explanationLines(const QString &text, bool exact)
{
    if (!exact)
        return explanationRows(text);
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

// The description of a category: the text in its <info>, read as any text of the file.
QString readCategoryInfo(QXmlStreamReader &xml, ImportBuilder &builder)
{
    std::optional<RichText> info;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"info")
            info = readRichText(xml, builder);
        else
            xml.skipCurrentElement();
    }
    return info ? plainText(*info, true).plain.text : QString();
}

void readQuestion(QXmlStreamReader &xml, ImportBuilder &builder, bool morvFile)
{
    const QString type = xml.attributes().value(u"type"_s).toString();
    if (type == u"category")
        return xml.skipCurrentElement();
    builder.beginQuestion(int(xml.lineNumber()));
    if (type != u"multichoice") {
        builder.refuseKind(kindOf(type), type);
        return xml.skipCurrentElement();
    }
    RichText text;
    RichText feedback;
    QList<XmlAnswer> answers;
    QString single;
    QString shuffle;
    // The picture fields of older exports, beside the text rather than in it.
    std::optional<QString> oldImage;
    std::optional<QString> oldImageData;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"questiontext")
            text = readRichText(xml, builder);
        else if (xml.name() == u"generalfeedback")
            feedback = readRichText(xml, builder);
        else if (xml.name() == u"answer")
            answers.append(readAnswer(xml, builder));
        else if (xml.name() == u"single")
            single = readText(xml, builder);
        else if (xml.name() == u"shuffleanswers")
            shuffle = readText(xml, builder);
        else if (xml.name() == u"image")
            oldImage = readText(xml, builder).trimmed();
        else if (xml.name() == u"image_base64")
            oldImageData = readText(xml, builder);
        else
            xml.skipCurrentElement();
    }
    // A text the reader could not take in whole leaves nothing to check.
    if (xml.hasError() || builder.failed())
        return;
    if (isNo(single))
        return builder.refuseKind(SeveralRightKind);

    QuestionSource question;
    const QString questionText = u"текстът на въпроса"_s;
    PlainText plain = readText(builder, text, morvFile, TextPart::Question, questionText).plain;
    question.text = builder.carried(plain, questionText);
    if (oldImage && !oldImage->isEmpty()) {
        if (!oldImageData) {
            builder.questionProblem(
                Rule::Picture,
                u"изображението %1 (<image>) не е във файла: към него няма <image_base64>"_s.arg(
                    quoted(*oldImage)));
        } else {
            const QString name = oldImage->sliced(oldImage->lastIndexOf(u'/') + 1);
            plain.images.append(
                {u"@@PLUGINFILE@@/"_s + QString::fromLatin1(QUrl::toPercentEncoding(name)), {}});
            text.files.append({u"/"_s + name, u"base64"_s, *oldImageData});
        }
    }
    if (const std::optional<TextImage> image = builder.questionPicture(plain))
        readPicture(builder, *image, text.files, question);
    attachedFiles(builder, text.files, u"текста на въпроса"_s);
    const QString generalFeedback = u"обяснението"_s;
    const ReadText explanation = readText(builder, feedback, morvFile, TextPart::Feedback, generalFeedback);
    question.explanation =
        explanationLines(builder.withoutPictures(explanation.plain, generalFeedback), explanation.exact);
    attachedFiles(builder, feedback.files, u"обяснението"_s);
    QList<double> marks;
    for (qsizetype k = 0; k < answers.size(); ++k) {
        const XmlAnswer &answer = answers[k];
        const QString where = u"отговор %1"_s.arg(k + 1);
        const QString answerText = builder.withoutPictures(
            readText(builder, answer.text, morvFile, TextPart::Answer, where).plain, where);
        attachedFiles(builder, answer.text.files, u"отговор %1"_s.arg(k + 1));
        question.answers.append(answerText);
        bool number = answer.fraction.isEmpty();
        marks.append(number ? 0 : answer.fraction.toDouble(&number));
        if (!number)
            builder.questionProblem(
                Rule::Syntax, u"отговор %1: fraction=%2 трябва да е число (100 за верния отговор)"_s.arg(
                                  QString::number(k + 1), quoted(answer.fraction)));
        const QString feedbackTo = u"отзивът към отговор %1"_s.arg(k + 1);
        appendAnswerFeedback(
            question.explanation, answerText,
            builder.withoutPictures(
                builder.read(answer.feedback.text, answer.feedback.format, TextPart::Feedback, feedbackTo),
                feedbackTo));
        attachedFiles(builder, answer.feedback.files, u"отзива към отговор %1"_s.arg(k + 1));
    }
    if (isNo(shuffle)) {
        const QStringList placed = placedAnswers(question.answers);
        builder.warning(u"отговорите трябва да стоят в реда от файла (shuffleanswers), а програмата ги "
                        u"разбърква при всяко започване"_s +
                        (placed.isEmpty()
                             ? QString()
                             : u"; отговорите, които сочат други по място, няма да са верни: %1"_s.arg(
                                   placed.join(u", "_s))));
    }
    if (const int right = builder.rightAnswer(marks, question.answers); right >= 0)
        question.correct = question.answers[right];
    builder.endQuestion(question);
}

QString xmlProblem(const QXmlStreamReader &xml)
{
    const QString what = xml.error() == QXmlStreamReader::PrematureEndOfDocumentError
                             ? u"файлът свършва, преди всички елементи да са затворени"_s
                             : u"нарушен запис на XML: сгрешен или незатворен таг, кавички или знак &"_s;
    // The reader counts the characters it has read on the line, none at the start of an empty line.
    const QString place = xml.columnNumber() > 0 ? u", колона %1"_s.arg(xml.columnNumber()) : QString();
    return u"грешка в XML%1: %2 (%3)"_s.arg(place, what, xml.errorString());
}

// The first question of a file, a category: when its description carries МОРВ's mark, the test's title
// and switches. Whether it does.
bool readSettings(QXmlStreamReader &xml, ImportBuilder &builder)
{
    const int line = int(xml.lineNumber());
    const moodle::CategorySettings settings = moodle::readSettingsInfo(readCategoryInfo(xml, builder));
    if (!settings.problem.isEmpty())
        builder.problem(Rule::Settings, line, settings.problem);
    else if (settings.marked)
        builder.settings(settings.title, settings.switches);
    return settings.marked;
}

// The settings of a file's first category when it carries МОРВ's mark, read from the file's first bytes.
std::optional<moodle::CategorySettings> markedCategory(const QByteArray &start)
{
    QXmlStreamReader xml(start);
    if (!xml.readNextStartElement() || xml.name() != u"quiz" || !xml.readNextStartElement() ||
        xml.name() != u"question" || xml.attributes().value(u"type"_s) != u"category")
        return std::nullopt;
    ImportBuilder builder;
    moodle::CategorySettings settings = moodle::readSettingsInfo(readCategoryInfo(xml, builder));
    if (!settings.marked || xml.hasError())
        return std::nullopt;
    return settings;
}

} // namespace

bool moodle::writtenByMorv(const QByteArray &start)
{
    return markedCategory(start).has_value();
}

std::optional<moodle::CategorySettings> moodle::carriedSettings(const QByteArray &start)
{
    std::optional<CategorySettings> settings = markedCategory(start);
    if (settings && !settings->problem.isEmpty())
        return std::nullopt;
    return settings;
}

Import importMoodleXml(const QByteArray &bytes)
{
    ImportBuilder builder;
    const std::optional<QString> text = builder.decode(bytes);
    if (!text)
        return builder.take();
    QXmlStreamReader xml(*text);
    if (xml.readNextStartElement()) {
        if (xml.name() != u"quiz") {
            builder.problem(Rule::Syntax, int(xml.lineNumber()),
                            u"файлът не е във формат Moodle XML: главният елемент е "
                            u"<%1>, а трябва да е <quiz>"_s.arg(xml.name()));
            return builder.take();
        }
        bool morvFile = false;
        bool first = true;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"question" && first && xml.attributes().value(u"type"_s) == u"category") {
                morvFile = readSettings(xml, builder);
            } else if (xml.name() == u"question") {
                readQuestion(xml, builder, morvFile);
            } else {
                builder.problem(Rule::Syntax, int(xml.lineNumber()),
                                u"непознат елемент <%1> в <quiz>: очаква се <question>"_s.arg(xml.name()));
                xml.skipCurrentElement();
            }
            first = false;
        }
    }
    // Whatever follows </quiz> must still be well-formed.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        builder.problem(Rule::Syntax, int(xml.lineNumber()), xmlProblem(xml));
    return builder.take();
}

} // namespace morv
