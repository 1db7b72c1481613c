// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/jsonsource.h"

#include "bank/rules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// The JSON reader's faults in the teacher's words.
QString parseErrorText(QJsonParseError::ParseError error)
{
    switch (error) {
    case QJsonParseError::UnterminatedObject:
        return u"незатворен обект: липсва „}“ или запетая"_s;
    case QJsonParseError::MissingNameSeparator:
        return u"липсва „:“ след името на полето"_s;
    case QJsonParseError::UnterminatedArray:
        return u"незатворен списък: липсва „]“ или запетая"_s;
    case QJsonParseError::MissingValueSeparator:
        return u"липсва запетая между две стойности"_s;
    case QJsonParseError::IllegalValue:
        return u"непозната стойност (текстът трябва да е в кавички)"_s;
    case QJsonParseError::TerminationByNumber:
        return u"записът свършва насред число"_s;
    case QJsonParseError::IllegalNumber:
        return u"неправилно число"_s;
    case QJsonParseError::IllegalEscapeSequence:
        return u"неправилен знак след „\\“"_s;
    case QJsonParseError::IllegalUTF8String:
        return u"неправилен знак в текст"_s;
    case QJsonParseError::UnterminatedString:
        return u"незатворен текст: липсват кавички"_s;
    case QJsonParseError::MissingObject:
        return u"очаква се обект „{ … }“"_s;
    case QJsonParseError::DeepNesting:
        return u"твърде дълбоко вложени скоби"_s;
    case QJsonParseError::DocumentTooLarge:
        return u"записът е твърде голям"_s;
    case QJsonParseError::GarbageAtEnd:
        return u"излишни знаци след края на записа"_s;
    case QJsonParseError::NoError:
        break;
    }
    return {};
}

// Line and column (from 1) of a byte offset into the source, the column in characters as an editor
// counts them: a character beyond the basic plane is one, not two.
std::pair<int, qsizetype> sourcePlace(const QByteArray &json, qsizetype offset)
{
    const QByteArray before = json.left(std::clamp<qsizetype>(offset, 0, json.size()));
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return {int(before.count('\n')) + 1, QString::fromUtf8(before.mid(lineStart)).toUcs4().size() + 1};
}

// Where things stand in a JSON text that parsed, which QJsonDocument does not tell: the line of each
// question and of the two lists, and every key that an object holds twice (the reader would keep only
// the last one, silently dropping the first).
class JsonLayout
{
public:
    explicit JsonLayout(const QByteArray &json) : m_json(json) { value({true, false, -1}); }

    QList<int> questionLines;
    int settingsLine = 0;
    int questionsLine = 0;
    QList<Problem> duplicates;

private:
    struct Context
    {
        bool top;       // the whole source
        bool questions; // the list of questions
        int question;   // inside question n (from 0), or -1
    };

    char peek() const { return m_pos < m_json.size() ? m_json[m_pos] : '\0'; }
    void skipSpace()
    {
        while (m_pos < m_json.size() &&
               (peek() == ' ' || peek() == '\t' || peek() == '\r' || peek() == '\n')) {
            if (peek() == '\n')
                ++m_line;
            ++m_pos;
        }
    }

    QString string()
    {
        QString text;
        qsizetype start = ++m_pos;
        auto flush = [&] { text += QString::fromUtf8(m_json.mid(start, m_pos - start)); };
        while (m_pos < m_json.size() && peek() != '"') {
            if (peek() != '\\') {
                ++m_pos;
                continue;
            }
            flush();
            const char escaped = m_pos + 1 < m_json.size() ? m_json[m_pos + 1] : '\0';
            static const QByteArray from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
            if (escaped == 'u') {
                text += QChar(m_json.mid(m_pos + 2, 4).toUShort(nullptr, 16));
                m_pos += 6;
            } else {
                const qsizetype which = from.indexOf(escaped);
                text += QChar::fromLatin1(which >= 0 ? to[which] : escaped);
                m_pos += 2;
            }
            start = m_pos;
        }
        flush();
        ++m_pos;
        return text;
    }

    // Past a string that is a value: only keys are compared, so values are not decoded. The source parsed,
    // so every string is closed.
    void skipString()
    {
        for (++m_pos; m_pos < m_json.size() && peek() != '"'; ++m_pos) {
            if (peek() == '\\')
                ++m_pos;
        }
        ++m_pos;
    }

    void value(Context context)
    {
        skipSpace();
        if (peek() == '{') {
            object(context);
        } else if (peek() == '[') {
            array(context);
        } else if (peek() == '"') {
            skipString();
        } else {
            while (m_pos < m_json.size() && !QByteArrayView(",]} \t\r\n").contains(peek()))
                ++m_pos;
        }
    }

    void object(Context context)
    {
        ++m_pos;
        QSet<QString> keys;
        for (skipSpace(); peek() == '"'; skipSpace()) {
            const int line = m_line;
            const QString key = string();
            const bool first = !keys.contains(key);
            if (!first) {
                duplicates.append({.rule = Rule::Structure,
                                   .line = line,
                                   .question = context.question + 1,
                                   .text = u"полето %1 е записано повече от веднъж; оставете го само "
                                           u"веднъж"_s.arg(inQuotes(key))});
            }
            keys.insert(key);
            skipSpace();
            ++m_pos; // the colon
            const bool isQuestions = context.top && first && key == u"questions";
            if (context.top && first && key == u"settings")
                settingsLine = line;
            if (isQuestions)
                questionsLine = line;
            value({false, isQuestions, context.question});
            skipSpace();
            if (peek() == ',')
                ++m_pos;
        }
        ++m_pos; // the closing brace
    }

    void array(Context context)
    {
        ++m_pos;
        int index = 0;
        for (skipSpace(); peek() != ']' && m_pos < m_json.size(); skipSpace(), ++index) {
            if (context.questions)
                questionLines.append(m_line);
            value({false, false, context.questions ? index : context.question});
            skipSpace();
            if (peek() == ',')
                ++m_pos;
        }
        ++m_pos;
    }

    const QByteArray &m_json;
    qsizetype m_pos = 0;
    int m_line = 1;
};

bool isStringArray(const QJsonValue &value)
{
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    return std::all_of(array.begin(), array.end(), [](const QJsonValue &v) { return v.isString(); });
}

QStringList strings(const QJsonValue &value)
{
    QStringList rows;
    for (const QJsonValue &v : value.toArray())
        rows.append(v.toString());
    return rows;
}

class Parser
{
public:
    Parser(const QByteArray &json, const PictureFiles &pictures) : m_json(json), m_pictures(pictures) {}

    ParsedBank parse()
    {
        // The JSON reader would turn text in another encoding into replacement characters without a word.
        if (!m_json.isValidUtf8())
            return fail(Rule::Encoding, 0,
                        u"файлът с въпросите не е в кодиране UTF-8: запишете го като UTF-8"_s);
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(m_json, &error);
        if (error.error != QJsonParseError::NoError) {
            const auto [line, column] = sourcePlace(m_json, error.offset);
            return fail(Rule::Syntax, line,
                        u"грешка в записа, ред %1, колона %2: %3"_s.arg(line).arg(column).arg(
                            parseErrorText(error.error)));
        }
        if (!document.isObject())
            return fail(Rule::Structure, 1,
                        u"файлът с въпросите трябва да е обект с полета settings и questions"_s);
        const JsonLayout layout(m_json);
        m_parsed.problems = layout.duplicates;
        m_parsed.document.settingsLine = layout.settingsLine;
        m_parsed.document.questionsLine = layout.questionsLine;
        const QJsonObject root = document.object();
        for (const QString &key : root.keys()) {
            if (key != u"settings" && key != u"questions")
                add(Rule::Structure, 1, u"непознато поле %1"_s.arg(inQuotes(key)));
        }
        if (!isStringArray(root.value(u"settings")))
            add(Rule::Structure, layout.settingsLine,
                u"настройките (поле settings) трябва да са списък от редове"_s);
        else
            readSettingsRows(m_parsed.document, strings(root.value(u"settings")));
        if (!root.value(u"questions").isArray()) {
            add(Rule::Structure, layout.questionsLine, u"въпросите (поле questions) трябва да са списък"_s);
            return m_parsed;
        }
        const QJsonArray questions = root.value(u"questions").toArray();
        for (qsizetype i = 0; i < questions.size(); ++i)
            question(questions[i], std::size_t(i), int(layout.questionLines.value(i)));
        return m_parsed;
    }

private:
    ParsedBank fail(Rule rule, int line, const QString &text)
    {
        add(rule, line, text);
        return m_parsed;
    }
    void add(Rule rule, int line, const QString &text, int number = 0)
    {
        m_parsed.problems.append({.rule = rule, .line = line, .question = number, .text = text});
    }

    void question(const QJsonValue &value, std::size_t index, int line)
    {
        auto wrong = [&](Rule rule, const QString &text) { add(rule, line, text, int(index) + 1); };
        QuestionSource question;
        question.line = line;
        if (!value.isObject()) {
            wrong(Rule::Structure, u"трябва да е обект с полета text, answers, correct"_s);
            m_parsed.document.questions.push_back(question);
            return;
        }
        const QJsonObject object = value.toObject();
        static const QStringList known = {u"text"_s,    u"answers"_s,      u"correct"_s,
                                          u"picture"_s, u"picture_text"_s, u"explanation"_s};
        for (const QString &key : object.keys()) {
            if (!known.contains(key))
                wrong(Rule::Structure, u"непознато поле %1"_s.arg(inQuotes(key)));
        }
        if (!object.value(u"text").isString())
            wrong(Rule::Structure, u"няма текст на въпроса (поле text)"_s);
        question.text = object.value(u"text").toString();
        if (!isStringArray(object.value(u"answers")))
            wrong(Rule::Structure, u"отговорите (поле answers) трябва да са списък от текстове"_s);
        else
            question.answers = strings(object.value(u"answers"));
        if (!object.value(u"correct").isString())
            wrong(Rule::Structure, u"няма верен отговор (поле correct)"_s);
        question.correct = object.value(u"correct").toString();
        if (object.contains(u"explanation")) {
            if (!isStringArray(object.value(u"explanation")))
                wrong(Rule::Structure, u"обяснението (поле explanation) трябва да е списък от редове"_s);
            else
                question.explanation = strings(object.value(u"explanation"));
        }
        if (object.contains(u"picture_text")) {
            if (!object.value(u"picture_text").isString())
                wrong(Rule::Structure,
                      u"описанието на изображението (поле picture_text) трябва да е текст"_s);
            question.pictureText = object.value(u"picture_text").toString();
        }
        if (object.contains(u"picture")) {
            const QJsonValue picture = object.value(u"picture");
            if (!picture.isString() || picture.toString().isEmpty()) {
                wrong(Rule::Structure, u"изображението (поле picture) трябва да е име на файл"_s);
            } else if (const qsizetype length = picture.toString().size(); length > limits::PictureName) {
                wrong(Rule::Picture,
                      u"името на изображението е твърде дълго: %1 знака, а най-много %2"_s.arg(length).arg(
                          limits::PictureName));
            } else {
                question.pictureName = picture.toString();
                SourceFile file = m_pictures(question.pictureName);
                if (!file.problem.isEmpty())
                    wrong(Rule::Picture, file.problem);
                else if (file.bytes.isEmpty())
                    wrong(Rule::Picture,
                          u"изображението %1 е празен файл"_s.arg(inQuotes(question.pictureName)));
                question.picture = std::move(file.bytes);
            }
        }
        m_parsed.document.questions.push_back(question);
    }

    const QByteArray &m_json;
    const PictureFiles &m_pictures;
    ParsedBank m_parsed;
};

} // namespace

ParsedBank parseBank(const QByteArray &json, const PictureFiles &pictures)
{
    return Parser(json, pictures).parse();
}

} // namespace morv
