#include "optionsfile.h"

#include "privatefile.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

const char *const OptionsFile::DefaultFileName = "options.ini";

namespace
{

const QByteArray Utf8Bom("\xEF\xBB\xBF");
const QString InvalidText = QStringLiteral("@Invalid()");
const QString ByteArrayPrefix = QStringLiteral("@ByteArray(");

// One line of the file as bytes (its line feed removed, a carriage return kept), so lines that
// are not ours are written back exactly as they were.
using Lines = QList<QByteArray>;

// Where a key line of the general section stands.
struct KeyLine {
    qsizetype index;  // line number
    qsizetype equals; // position of "=" in the line
    QString key;      // the key, unescaped
};

struct ParsedFile {
    Lines lines;
    QList<KeyLine> keys;          // key lines of the general section, in file order
    qsizetype generalHeader = -1; // line of "[General]", -1 when there is none
    qsizetype firstHeader = -1;   // line of the first section header, -1 when there is none
    bool crlf = false;            // the first line ends with a carriage return
};

bool isKeyChar(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') ||
           c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char('/');
}

// Keys as QSettings writes them: other characters as %XX, or %UXXXX beyond Latin-1.
QString encodeKey(const QString &key)
{
    QString out;
    for (const QChar c : key) {
        if (isKeyChar(c))
            out += c;
        else if (c.unicode() < 0x100)
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += QStringLiteral("%U%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

QString decodeKey(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool wide = c == QLatin1Char('%') && text.mid(i + 1, 1) == QLatin1String("U");
        const qsizetype digits = wide ? 4 : 2;
        const qsizetype start = wide ? i + 2 : i + 1;
        bool ok = false;
        const uint code = text.mid(start, digits).toUInt(&ok, 16);
        if (c == QLatin1Char('%') && ok && text.mid(start, digits).size() == digits) {
            out += QChar(char16_t(code));
            i = start + digits - 1;
        } else {
            out += c;
        }
    }
    return out;
}

bool isGeneralSection(const QString &name)
{
    return name.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0;
}

// Decodes keeping every character (a leading U+FEFF included), so values are not altered.
QString decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

bool isBlank(QChar c)
{
    return c.isSpace() || c == QChar(QChar::ByteOrderMark);
}

QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isBlank(text.at(first)))
        ++first;
    while (end > first && isBlank(text.at(end - 1)))
        --end;
    return text.mid(first, end - first);
}

// One rule for the structure of a line (header, comment, key), shared by reading and saving:
// the line's text with its outer blanks removed, where white space of any kind and byte-order
// marks count as blank.
QString structuralText(const QByteArray &raw)
{
    return trimBlanks(decodeUtf8(raw));
}

bool isHeader(const QString &structural)
{
    return structural.startsWith(QLatin1Char('['));
}

// Section name of a header line "[name]" (the text up to "]", or to the end without one).
QString sectionName(const QString &structural)
{
    const qsizetype close = structural.indexOf(QLatin1Char(']'));
    return trimBlanks(structural.mid(1, close < 0 ? -1 : close - 1));
}

ParsedFile parse(const QByteArray &bytes)
{
    ParsedFile file;
    if (!bytes.isEmpty())
        file.lines = bytes.split('\n');
    if (bytes.endsWith('\n'))
        file.lines.removeLast();
    file.crlf = !file.lines.isEmpty() && file.lines.first().endsWith('\r');
    bool inGeneral = true; // lines before the first header belong to the general section
    for (qsizetype i = 0; i < file.lines.size(); ++i) {
        const QByteArray &raw = file.lines.at(i);
        const QString line = structuralText(raw);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (isHeader(line)) {
            inGeneral = isGeneralSection(sectionName(line));
            if (file.firstHeader < 0)
                file.firstHeader = i;
            if (inGeneral && file.generalHeader < 0)
                file.generalHeader = i;
            continue;
        }
        const qsizetype equals = raw.indexOf('=');
        if (inGeneral && equals >= 0) {
            const QString key = decodeKey(structuralText(raw.left(equals)));
            if (!key.isEmpty())
                file.keys.append({i, equals, key});
        }
    }
    return file;
}

// A missing file is empty; a file that exists is read only where no other user can change it,
// and a link of another user's counts as one (PrivateFile).
bool readBytes(const QString &path, QByteArray *bytes, QString *error)
{
    return (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) ||
           PrivateFile::read(path, bytes, error);
}

// The value part of a key line, after "=".
QString valueText(const ParsedFile &file, const KeyLine &key)
{
    return decodeUtf8(file.lines.at(key.index).mid(key.equals + 1)).trimmed();
}

// The line after the last non-blank line of [first, end).
qsizetype afterLastFilled(const Lines &lines, qsizetype first, qsizetype end)
{
    for (qsizetype i = end - 1; i >= first; --i) {
        if (!structuralText(lines.at(i)).isEmpty())
            return i + 1;
    }
    return first;
}

qsizetype nextHeader(const Lines &lines, qsizetype from)
{
    for (qsizetype i = from; i < lines.size(); ++i) {
        if (isHeader(structuralText(lines.at(i))))
            return i;
    }
    return lines.size();
}

// Adds key lines that the file does not have yet to its general section; a file without a
// "[General]" header or general keys gets the section at the top.
void insertNewLines(ParsedFile *file, const Lines &newLines)
{
    if (newLines.isEmpty())
        return;
    Lines &lines = file->lines;
    const QByteArray cr = file->crlf ? QByteArray("\r") : QByteArray();
    qsizetype at = 0;
    Lines block;
    if (file->generalHeader >= 0) {
        at = afterLastFilled(lines, file->generalHeader + 1,
                             nextHeader(lines, file->generalHeader + 1));
    } else if (!file->keys.isEmpty()) {
        // General keys standing before the first header (or in a file without headers).
        at = afterLastFilled(lines, 0, file->firstHeader < 0 ? lines.size() : file->firstHeader);
    } else {
        block.append("[General]" + cr);
    }
    for (const QByteArray &line : newLines)
        block.append(line + cr);
    const bool newSection = file->generalHeader < 0 && file->keys.isEmpty();
    if (newSection && afterLastFilled(lines, 0, lines.size()) > 0)
        block.append(cr); // a blank line before what follows
    // The file's byte-order mark stays at its start.
    if (at == 0 && !lines.isEmpty() && lines.first().startsWith(Utf8Bom)) {
        lines.first().remove(0, Utf8Bom.size());
        block.first().prepend(Utf8Bom);
    }
    for (qsizetype i = 0; i < block.size(); ++i)
        lines.insert(at + i, block.at(i));
}

bool isHexDigit(QChar c)
{
    return c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
}

// Escapes as QSettings does: backslash, quote and control characters; a hexadecimal digit
// right after a "\x" escape is escaped too, so it does not join that escape's digits.
QString escapeText(const QString &text)
{
    QString out;
    bool afterHexEscape = false;
    for (const QChar c : text) {
        const bool hexEscape = (c.unicode() < 0x20 && c != QLatin1Char('\n') &&
                                c != QLatin1Char('\r') && c != QLatin1Char('\t')) ||
                               (afterHexEscape && isHexDigit(c));
        if (hexEscape)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 0, 16);
        else if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else
            out += c;
        afterHexEscape = hexEscape;
    }
    return out;
}

QString encodeText(const QString &text)
{
    const QString body = text.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + text : text;
    const bool quoted = body != body.trimmed() || body.contains(QLatin1Char(',')) ||
                        body.contains(QLatin1Char(';')) || body.contains(QLatin1Char('=')) ||
                        body.contains(QLatin1Char('#'));
    const QString out = escapeText(body);
    return quoted ? QLatin1Char('"') + out + QLatin1Char('"') : out;
}

char16_t escapedChar(QChar c)
{
    switch (c.unicode()) {
    case 'n':
        return u'\n';
    case 'r':
        return u'\r';
    case 't':
        return u'\t';
    case 'a':
        return u'\a';
    case 'b':
        return u'\b';
    case 'f':
        return u'\f';
    case 'v':
        return u'\v';
    case '0':
        return u'\0';
    default:
        return c.unicode();
    }
}

// Reads the hexadecimal digits at text[*i + 1] on (as QSettings does, as many as follow);
// *i ends on the last one read.
QChar hexEscape(const QString &text, qsizetype *i)
{
    uint code = 0;
    while (*i + 1 < text.size() && isHexDigit(text.at(*i + 1))) {
        code = (code * 16 + uint(QString(text.at(*i + 1)).toUInt(nullptr, 16))) & 0xFFFF;
        ++*i;
    }
    return QChar(char16_t(code));
}

QString decodeText(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"'))
            continue;
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text.at(++i);
        out += next == QLatin1Char('x') ? hexEscape(text, &i) : QChar(escapedChar(next));
    }
    return out;
}

} // namespace

QStringList OptionsFile::knownKeys()
{
    return {QStringLiteral("comm_timeout"), QStringLiteral("updater_path"),
            QStringLiteral("spec_path"),    QStringLiteral("script_path"),
            QStringLiteral("python_path"),  QStringLiteral("ignore_version")};
}

QStringList OptionsFile::orderedKeys(const QHash<QString, QVariant> &options)
{
    QStringList ordered;
    const QStringList known = knownKeys();
    for (const QString &key : known) {
        if (options.contains(key))
            ordered.append(key);
    }
    QStringList others;
    for (auto it = options.cbegin(); it != options.cend(); ++it) {
        if (!known.contains(it.key()))
            others.append(it.key());
    }
    std::sort(others.begin(), others.end());
    return ordered + others;
}

bool OptionsFile::read(const QString &path, QHash<QString, QVariant> *values, QString *error)
{
    QByteArray bytes;
    if (!readBytes(path, &bytes, error))
        return false;
    const ParsedFile file = parse(bytes);
    for (const KeyLine &key : file.keys)
        values->insert(key.key, decodeValue(valueText(file, key))); // the last one counts
    return true;
}

bool OptionsFile::load(const QString &path, QHash<QString, QVariant> *options, QString *error)
{
    QHash<QString, QVariant> values;
    if (!read(path, &values, error))
        return false;
    for (auto it = options->begin(); it != options->end(); ++it) {
        if (values.contains(it.key()))
            it.value() = values.value(it.key());
    }
    return true;
}

bool OptionsFile::save(const QString &path, const QHash<QString, QVariant> &options, QString *error)
{
    QByteArray bytes;
    if (!readBytes(path, &bytes, error))
        return false; // writing now would lose what the file holds
    ParsedFile file = parse(bytes);
    QStringList written;
    for (const KeyLine &key : std::as_const(file.keys)) {
        if (!options.contains(key.key))
            continue;
        QByteArray &line = file.lines[key.index];
        const bool cr = line.endsWith('\r');
        line = line.left(key.equals + 1) + encodeValue(options.value(key.key)).toUtf8();
        if (cr)
            line += '\r';
        written.append(key.key);
    }
    Lines newLines;
    const QStringList keys = orderedKeys(options);
    for (const QString &key : keys) {
        if (!written.contains(key))
            newLines.append(
                (encodeKey(key) + QLatin1Char('=') + encodeValue(options.value(key))).toUtf8());
    }
    insertNewLines(&file, newLines);

    QByteArray text;
    for (const QByteArray &line : std::as_const(file.lines))
        text += line + '\n';
    return PrivateFile::write(path, text, error);
}

QString OptionsFile::encodeValue(const QVariant &value)
{
    if (!value.isValid())
        return InvalidText;
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toString();
    default:
        return encodeText(value.toString());
    }
}

QVariant OptionsFile::decodeValue(const QString &text)
{
    // As QSettings does: escapes and quotes first, then the "@" forms.
    const QString value = decodeText(text.trimmed());
    if (!value.startsWith(QLatin1Char('@')))
        return value;
    if (value == InvalidText)
        return QVariant();
    if (value.startsWith(QLatin1String("@@")))
        return value.mid(1);
    if (value.startsWith(ByteArrayPrefix) && value.endsWith(QLatin1Char(')')))
        return value.mid(ByteArrayPrefix.size(), value.size() - ByteArrayPrefix.size() - 1);
    return value; // a QSettings type this program does not use: kept as its text
}
