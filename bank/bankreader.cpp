// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/bankreader.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QResource>
#include <QSet>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace morv {

// The largest payload the limits allow: its marker, the bank.json, and every figure with its name, each
// with the length QDataStream writes before it.
static_assert(MaxPayloadBytes >=
              64 + limits::JsonBytes +
                  Bank::PictureSlots * (8 + 2 * limits::PictureName + limits::PictureBytes));

namespace {

// Where a problem sits, as the teacher counts questions: from 1.
QString questionPlace(std::size_t index)
{
    return u"въпрос %1"_s.arg(index + 1);
}

// "1 въпрос", "2 въпроса": a count with its noun in the right number.
QString quantity(qsizetype count, QStringView one, QStringView many)
{
    return u"%1 %2"_s.arg(count).arg(count == 1 ? one : many);
}

QString quoted(const QString &text)
{
    return u"„%1“"_s.arg(text);
}

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

    void value(Context context)
    {
        skipSpace();
        if (peek() == '{') {
            object(context);
        } else if (peek() == '[') {
            array(context);
        } else if (peek() == '"') {
            string();
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
                const QString where = context.question >= 0
                                          ? questionPlace(std::size_t(context.question)) + u": "_s
                                          : QString();
                duplicates.append({line, where + u"полето %1 е записано повече от веднъж; оставете го само "
                                                 u"веднъж"_s.arg(quoted(key))});
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

// Characters that turn the order of what follows around on screen ("60°" shown as "°06").
bool isBidiControl(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

// "U+202E": how a character that cannot be seen is named.
QString codePoint(uint c)
{
    return u"U+"_s + QString::number(c, 16).toUpper().rightJustified(4, u'0');
}

enum class Visible { Optional, Required };

// Why a text cannot be shown as written, or an empty string. Line breaks and tabs are text; other
// control characters, direction controls and a text of nothing visible are not. `tooLong` agrees with
// the noun the message starts with: "отговорът е твърде дълъг", "описанието е твърде дълго".
QString textProblem(const QString &text, qsizetype maxCharacters, Visible visible,
                    QStringView tooLong = u"е твърде дълъг")
{
    const QList<uint> characters = text.toUcs4();
    if (characters.size() > maxCharacters)
        return u"%1: %2 знака, а най-много %3"_s.arg(tooLong).arg(characters.size()).arg(maxCharacters);
    bool seen = false;
    for (const uint c : characters) {
        if (c == u'\n' || c == u'\r' || c == u'\t')
            continue;
        if (QChar::category(c) == QChar::Other_Control)
            return u"съдържа управляващ знак %1"_s.arg(codePoint(c));
        if (isBidiControl(c))
            return u"съдържа знак за посока на писането %1, който разбърква реда на знаците"_s.arg(
                codePoint(c));
        seen = seen || (QChar::isPrint(c) && !QChar::isSpace(c));
    }
    if (visible == Visible::Required && !seen)
        return u"е празен или няма видим знак"_s;
    return {};
}

class Parser
{
public:
    Parser(const QByteArray &json, const PictureFiles &pictures) : m_json(json), m_pictures(pictures) {}

    ParsedBank parse()
    {
        // The JSON reader would turn text in another encoding into replacement characters without a word.
        if (!m_json.isValidUtf8())
            return fail(0, u"файлът с въпросите не е в кодиране UTF-8: запишете го като UTF-8"_s);
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(m_json, &error);
        if (error.error != QJsonParseError::NoError) {
            const auto [line, column] = sourcePlace(m_json, error.offset);
            return fail(line, u"грешка в записа, ред %1, колона %2: %3"_s.arg(line).arg(column).arg(
                                  parseErrorText(error.error)));
        }
        if (!document.isObject())
            return fail(1, u"файлът с въпросите трябва да е обект с полета settings и questions"_s);
        const JsonLayout layout(m_json);
        m_parsed.problems = layout.duplicates;
        m_parsed.source.settingsLine = layout.settingsLine;
        m_parsed.source.questionsLine = layout.questionsLine;
        const QJsonObject root = document.object();
        for (const QString &key : root.keys()) {
            if (key != u"settings" && key != u"questions")
                add(1, u"непознато поле %1"_s.arg(quoted(key)));
        }
        if (!isStringArray(root.value(u"settings")))
            add(layout.settingsLine, u"настройките (поле settings) трябва да са списък от редове"_s);
        else
            m_parsed.source.settings = strings(root.value(u"settings"));
        if (!root.value(u"questions").isArray()) {
            add(layout.questionsLine, u"въпросите (поле questions) трябва да са списък"_s);
            return m_parsed;
        }
        const QJsonArray questions = root.value(u"questions").toArray();
        for (qsizetype i = 0; i < questions.size(); ++i)
            question(questions[i], std::size_t(i), int(layout.questionLines.value(i)));
        return m_parsed;
    }

private:
    ParsedBank fail(int line, const QString &text)
    {
        add(line, text);
        return m_parsed;
    }
    void add(int line, const QString &text) { m_parsed.problems.append({line, text}); }

    void question(const QJsonValue &value, std::size_t index, int line)
    {
        const QString place = questionPlace(index) + u": "_s;
        QuestionSource question;
        question.line = line;
        if (!value.isObject()) {
            add(line, place + u"трябва да е обект с полета text, answers, correct"_s);
            m_parsed.source.questions.push_back(question);
            return;
        }
        const QJsonObject object = value.toObject();
        static const QStringList known = {u"text"_s,    u"answers"_s,      u"correct"_s,
                                          u"picture"_s, u"picture_text"_s, u"explanation"_s};
        for (const QString &key : object.keys()) {
            if (!known.contains(key))
                add(line, place + u"непознато поле %1"_s.arg(quoted(key)));
        }
        if (!object.value(u"text").isString())
            add(line, place + u"няма текст на въпроса (поле text)"_s);
        question.text = object.value(u"text").toString();
        if (!isStringArray(object.value(u"answers")))
            add(line, place + u"отговорите (поле answers) трябва да са списък от текстове"_s);
        else
            question.answers = strings(object.value(u"answers"));
        if (!object.value(u"correct").isString())
            add(line, place + u"няма верен отговор (поле correct)"_s);
        question.correct = object.value(u"correct").toString();
        if (object.contains(u"explanation")) {
            if (!isStringArray(object.value(u"explanation")))
                add(line, place + u"обяснението (поле explanation) трябва да е списък от редове"_s);
            else
                question.explanation = strings(object.value(u"explanation"));
        }
        if (object.contains(u"picture_text")) {
            if (!object.value(u"picture_text").isString())
                add(line, place + u"описанието на изображението (поле picture_text) трябва да е текст"_s);
            question.pictureText = object.value(u"picture_text").toString();
        }
        if (object.contains(u"picture")) {
            const QJsonValue picture = object.value(u"picture");
            if (!picture.isString() || picture.toString().isEmpty()) {
                add(line, place + u"изображението (поле picture) трябва да е име на файл"_s);
            } else if (const qsizetype length = picture.toString().size(); length > limits::PictureName) {
                add(line,
                    place +
                        u"името на изображението е твърде дълго: %1 знака, а най-много %2"_s.arg(length).arg(
                            limits::PictureName));
            } else {
                question.pictureName = picture.toString();
                SourceFile file = m_pictures(question.pictureName);
                if (!file.problem.isEmpty())
                    add(line, place + file.problem);
                else if (file.bytes.isEmpty())
                    add(line, place + u"изображението %1 е празен файл"_s.arg(quoted(question.pictureName)));
                question.picture = std::move(file.bytes);
            }
        }
        m_parsed.source.questions.push_back(question);
    }

    const QByteArray &m_json;
    const PictureFiles &m_pictures;
    ParsedBank m_parsed;
};

} // namespace

QStringList texts(const QList<Problem> &problems)
{
    QStringList lines;
    for (const Problem &problem : problems)
        lines.append(problem.text);
    return lines;
}

QString located(const QString &file, const Problem &problem)
{
    return (problem.line > 0 ? u"%1:%2: "_s.arg(file).arg(problem.line) : file + u": "_s) + problem.text;
}

PictureFiles picturesIn(const QString &folder)
{
    return [folder](const QString &name) { return readSourceFile(folder, name, limits::PictureBytes); };
}

PictureFiles picturesFrom(const QMap<QString, QByteArray> &pictures)
{
    return [pictures](const QString &name) -> SourceFile {
        if (!pictures.contains(name))
            return {{}, u"файлът на изображението %1 не може да се прочете"_s.arg(quoted(name))};
        return {pictures.value(name), {}};
    };
}

int maxQuestions(bool repeatQuestion)
{
    const int lastSlot = std::min({Bank::QuestionSlots, Bank::ExplanationSlots, Bank::PictureSlots}) - 1;
    return repeatQuestion ? lastSlot - 1 : lastSlot;
}

ParsedBank parseBank(const QByteArray &json, const PictureFiles &pictures)
{
    return Parser(json, pictures).parse();
}

QList<Problem> checkQuestion(const QuestionSource &question, std::size_t index,
                             const PictureCheck &pictureCheck)
{
    QList<Problem> problems;
    const QString place = questionPlace(index) + u": "_s;
    auto add = [&](const QString &text) { problems.append({question.line, place + text}); };
    if (QString why = textProblem(question.text, limits::QuestionText, Visible::Required); !why.isEmpty())
        add(u"текстът на въпроса "_s + why);
    const auto answers = question.answers.size();
    if (answers < 2 || answers > 5)
        add(u"има %1, а трябва да са от 2 до 5"_s.arg(quantity(answers, u"отговор", u"отговора")));
    for (qsizetype a = 0; a < answers; ++a) {
        if (QString why = textProblem(question.answers[a], limits::AnswerText, Visible::Required);
            !why.isEmpty())
            add(u"отговор %1 "_s.arg(a + 1) + why);
    }
    const auto matches = question.answers.count(question.correct);
    if (matches == 0)
        add(u"верният отговор %1 не е точно никой от отговорите"_s.arg(quoted(question.correct)));
    else if (matches > 1)
        add(u"верният отговор %1 стои %2 пъти сред отговорите, а трябва веднъж"_s
                .arg(quoted(question.correct))
                .arg(matches));
    if (question.explanation.size() > limits::ExplanationLines)
        add(u"обяснението има %1 реда, а най-много %2"_s.arg(question.explanation.size())
                .arg(limits::ExplanationLines));
    for (qsizetype l = 0; l < question.explanation.size(); ++l) {
        if (QString why = textProblem(question.explanation[l], limits::ExplanationLine, Visible::Optional);
            !why.isEmpty())
            add(u"ред %1 от обяснението "_s.arg(l + 1) + why);
    }
    if (QString why =
            textProblem(question.pictureText, limits::PictureText, Visible::Optional, u"е твърде дълго");
        !why.isEmpty())
        add(u"описанието на изображението "_s + why);
    if (!question.picture.isEmpty() && question.picture.size() > limits::PictureBytes)
        add(u"изображението %1 е твърде голямо: %2 байта, най-много %3"_s.arg(quoted(question.pictureName))
                .arg(question.picture.size())
                .arg(limits::PictureBytes));
    else if (!question.picture.isEmpty() && pictureCheck) {
        if (const QString why = pictureCheck(question.picture); !why.isEmpty())
            add(u"изображението %1 не може да се покаже: %2"_s.arg(quoted(question.pictureName), why));
    }
    return problems;
}

QList<Problem> checkBank(const BankSource &source, const PictureCheck &pictureCheck)
{
    QList<Problem> problems;
    const int settingsLine = source.settingsLine;
    if (source.settings.size() != Bank::SettingsRows)
        problems.append({settingsLine, u"настройките са %1, а трябва да са точно %2"_s
                                           .arg(quantity(source.settings.size(), u"ред", u"реда"))
                                           .arg(Bank::SettingsRows)});
    for (qsizetype r = 0; r < source.settings.size(); ++r) {
        if (QString why = textProblem(source.settings[r], limits::SettingsRow, Visible::Optional);
            !why.isEmpty())
            problems.append({settingsLine, u"ред %1 от настройките "_s.arg(r) + why});
    }
    const auto count = source.questions.size();
    if (count < 3)
        problems.append({source.questionsLine, u"тестът има %1, а трябва да са поне 3"_s.arg(
                                                   quantity(qsizetype(count), u"въпрос", u"въпроса"))});
    const bool repeat = Settings::fromRows(source.settings).repeatQuestion;
    const int most = maxQuestions(repeat);
    if (count > std::size_t(most))
        problems.append(
            {source.questionsLine,
             repeat
                 ? u"тестът има %1 въпроса, а с проверката за Тото побира най-много %2"_s.arg(count).arg(most)
                 : u"тестът има %1 въпроса, а побира най-много %2"_s.arg(count).arg(most)});
    for (std::size_t i = 0; i < count; ++i)
        problems += checkQuestion(source.questions[i], i, pictureCheck);
    return problems;
}

Bank buildBank(const BankSource &source)
{
    Bank bank;
    bank.setSettings(source.settings);
    QStringList correct;
    const int count = int(source.questions.size());
    for (int k = 1; k <= count; ++k) {
        const QuestionSource &question = source.questions[std::size_t(k - 1)];
        correct.append(question.correct);
        bank.setList1(k, QStringList{question.text} + question.answers);
        bank.setObqsnenie(k, question.explanation);
        bank.setPicture1(k, question.picture, question.pictureText);
    }
    bank.setList1(Bank::CorrectAnswers, correct);
    for (int k = count + 1; k < Bank::QuestionSlots; ++k)
        bank.setList1(k, {u"List1(%1) - въпрос от теста"_s.arg(k)});
    bank.setObqsnenie(0, {u"Остави ме на мира Обяснение - няма"_s});
    for (int k = count + 1; k < Bank::ExplanationSlots; ++k)
        bank.setObqsnenie(k, {u"Обяснение %1"_s.arg(k)});
    return bank;
}

BankLoad readBank(const QByteArray &json, const PictureFiles &pictures, const PictureCheck &pictureCheck)
{
    ParsedBank parsed = parseBank(json, pictures);
    BankLoad load;
    load.problems = parsed.problems;
    if (load.problems.isEmpty())
        load.problems = checkBank(parsed.source, pictureCheck);
    if (load.problems.isEmpty())
        load.bank = buildBank(parsed.source);
    load.files = bankFiles(json, parsed.source);
    load.source = std::move(parsed.source);
    return load;
}

BankLoad readBank(const QByteArray &json, const QString &folder, const PictureCheck &pictureCheck)
{
    return readBank(json, picturesIn(folder), pictureCheck);
}

BankLoad readBankFile(const QString &path, const PictureCheck &pictureCheck)
{
    QFile file(path);
    // The source is text: a few megabytes at most, never a device or a FIFO.
    const QFileInfo info(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return {
            std::nullopt, {{0, u"файлът с въпросите %1 не може да се отвори"_s.arg(quoted(path))}}, {}, {}};
    // Refused from its size alone, before a byte is read.
    if (file.size() > limits::JsonBytes)
        return {std::nullopt,
                {{0, u"файлът с въпросите %1 е твърде голям: %2 байта, най-много %3"_s.arg(quoted(path))
                         .arg(file.size())
                         .arg(limits::JsonBytes)}},
                {},
                {}};
    return readBank(file.read(limits::JsonBytes), info.path(), pictureCheck);
}

BankFiles bankFiles(const QByteArray &json, const BankSource &source)
{
    BankFiles files{json, {}};
    for (const QuestionSource &question : source.questions) {
        if (!question.pictureName.isEmpty())
            files.pictures.insert(question.pictureName, question.picture);
    }
    return files;
}

namespace {

// Reads the files of a payload: the bank they hold, or why not.
BankLoad readPayloadFiles(const BankFiles &files, PayloadOrigin origin, const PictureCheck &pictureCheck)
{
    const QString damaged = damagedPayload(origin);
    if (files.json.size() > limits::JsonBytes)
        return {std::nullopt,
                {{0, damaged + u": текстът му е %1 байта, най-много %2"_s.arg(files.json.size())
                                   .arg(limits::JsonBytes)}},
                {},
                {}};
    BankLoad load = readBank(files.json, picturesFrom(files.pictures), pictureCheck);
    // morv-pack and the build put in only the figures the bank names: anything else was added by hand.
    QSet<QString> named;
    for (const QuestionSource &question : load.source.questions) {
        if (!question.pictureName.isEmpty())
            named.insert(question.pictureName);
    }
    for (const QString &name : files.pictures.keys()) {
        if (!named.contains(name)) {
            load.bank.reset();
            load.problems.append(
                {0, damaged + u": съдържа файла %1, който тестът не назовава"_s.arg(quoted(name))});
        }
    }
    return load;
}

} // namespace

BankLoad readPayload(const QByteArray &payload, PayloadOrigin origin, const PictureCheck &pictureCheck)
{
    QString problem;
    const std::optional<BankFiles> files = unpackPayload(payload, origin, &problem);
    if (!files)
        return {std::nullopt, {{0, problem}}, {}, {}};
    return readPayloadFiles(*files, origin, pictureCheck);
}

BankLoad readEmbeddedBank(const PictureCheck &pictureCheck)
{
    // Read in place where the resource is stored as it is: no copy of the figures is made to read them.
    const QResource embedded(EmbeddedPayloadPath.toString());
    if (!embedded.isValid())
        return {std::nullopt, {{0, u"програмата няма вграден тест"_s}}, {}, {}};
    if (embedded.compressionAlgorithm() != QResource::NoCompression)
        return readPayload(embedded.uncompressedData(), PayloadOrigin::Embedded, pictureCheck);
    return readPayload(
        QByteArray::fromRawData(reinterpret_cast<const char *>(embedded.data()), embedded.size()),
        PayloadOrigin::Embedded, pictureCheck);
}

BankLoad readProgramBank(const QString &programPath, ProgramMark mark, const PictureCheck &pictureCheck)
{
    // A program as built runs its own test: it never looks at what may have been added to its file.
    if (mark == ProgramMark::AsBuilt)
        return readEmbeddedBank(pictureCheck);
    // A packed program without its bank is a copy cut short: it must not fall back to another test.
    QString problem = damagedPayload(PayloadOrigin::Appended);
    if (const std::optional<BankFiles> appended = appendedBank(programPath, &problem))
        return readPayloadFiles(*appended, PayloadOrigin::Appended, pictureCheck);
    return {std::nullopt, {{0, problem}}, {}, {}};
}

} // namespace morv
