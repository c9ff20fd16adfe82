#include "core/IniFile.h"

#include "core/CodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSaveFile>

#include <optional>

namespace kivo {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// One line of the file as bytes: its text and its line end ("\r\n", "\n", "\r", or none on a last
// line without one). CR, LF and CR LF all end a line; none of these bytes occurs inside a multi-byte
// character of an ASCII-based code page.
struct RawLine
{
    QByteArrayView text;
    QByteArrayView end;
};

QList<RawLine> splitLines(const QByteArray &bytes)
{
    QList<RawLine> lines;
    const char *const data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype textEnd = pos;
        while (textEnd < size && data[textEnd] != '\n' && data[textEnd] != '\r')
            ++textEnd;
        qsizetype next = textEnd;
        if (next < size)
            next += (data[next] == '\r' && next + 1 < size && data[next + 1] == '\n') ? 2 : 1;
        lines.append(
            {QByteArrayView(data + pos, textEnd - pos), QByteArrayView(data + textEnd, next - textEnd)});
        pos = next;
    }
    return lines;
}

// Whether a line's bytes can hold a section header: its first byte that is not a blank is '['.
// Only such lines need decoding outside the section being looked for.
bool canBeHeader(QByteArrayView raw)
{
    qsizetype first = 0;
    while (first < raw.size() && isBlank(QLatin1Char(raw[first])))
        ++first;
    return first < raw.size() && raw[first] == '[';
}

enum class LineKind { Other, Section, Key };

struct ParsedLine
{
    LineKind kind = LineKind::Other;
    QString text;             // the decoded line
    QString name;             // section or key name, trimmed
    qsizetype valueStart = 0; // key lines: index in text just past '='
};

ParsedLine parseLine(QByteArrayView raw)
{
    ParsedLine line;
    line.text = CodePage::system().decode(raw.toByteArray());
    const QStringView trimmed = trimBlanks(line.text);
    if (trimmed.isEmpty() || trimmed.front() == u';')
        return line;
    if (trimmed.front() == u'[') {
        const qsizetype close = trimmed.indexOf(u']');
        if (close > 0) {
            line.kind = LineKind::Section;
            line.name = trimBlanks(trimmed.sliced(1, close - 1)).toString();
            return line;
        }
    }
    const qsizetype eq = line.text.indexOf(u'=');
    if (eq < 0)
        return line;
    line.kind = LineKind::Key;
    line.name = trimBlanks(QStringView(line.text).first(eq)).toString();
    line.valueStart = eq + 1;
    return line;
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a key stands in the file. Sections that appear more than once count as one; the first
// occurrence of the key wins.
struct KeyLocation
{
    std::optional<qsizetype> keyLine;
    std::optional<qsizetype> sectionLine;   // header of the section's first occurrence
    std::optional<qsizetype> lastEntryLine; // last key line of that occurrence (or its header)
};

KeyLocation locate(const QList<RawLine> &lines, QStringView section, QStringView key,
                   QList<ParsedLine> *parsed = nullptr)
{
    KeyLocation loc;
    bool inSection = false;
    bool inFirstOccurrence = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Only the bytes of lines that can matter are decoded: a line's first byte tells whether it
        // can be a section header, and keys matter only inside the section.
        const QByteArrayView raw = lines[i].text;
        if (!inSection && !canBeHeader(raw))
            continue;
        ParsedLine line = parseLine(raw);
        if (line.kind == LineKind::Section) {
            inSection = sameName(line.name, section);
            inFirstOccurrence = inSection && !loc.sectionLine;
            if (inFirstOccurrence) {
                loc.sectionLine = i;
                loc.lastEntryLine = i;
            }
            continue;
        }
        if (line.kind != LineKind::Key)
            continue;
        if (inFirstOccurrence)
            loc.lastEntryLine = i;
        if (sameName(line.name, key)) {
            loc.keyLine = i;
            if (parsed)
                parsed->append(std::move(line));
            return loc;
        }
    }
    return loc;
}

// The value as stored: trimmed of blanks, less one pair of enclosing quotes.
QString storedValue(QStringView raw)
{
    QStringView value = trimBlanks(raw);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.toString();
}

// The value as written: quoted when reading it back would otherwise change it.
QString writtenValue(const QString &value)
{
    if (value.isEmpty())
        return value;
    const QChar first = value.front();
    const QChar last = value.back();
    const bool blankEdge = isBlank(first) || isBlank(last);
    const bool quoted = value.size() >= 2 && (first == u'"' || first == u'\'') && last == first;
    if (blankEdge || quoted)
        return u'"' + value + u'"';
    return value;
}

// Section and key names must stay one line that reads back as the same section or key; a NUL would
// end the value for other readers of the file.
bool fitsOnOneLine(QStringView text)
{
    return !text.contains(u'\n') && !text.contains(u'\r') && !text.contains(QChar(0));
}

bool storableEntry(QStringView sectionName, QStringView keyName, QStringView value)
{
    // A key that begins with ';' or '[' would read back as a comment or a section header.
    return !sectionName.isEmpty() && !keyName.isEmpty() && fitsOnOneLine(sectionName) &&
           fitsOnOneLine(keyName) && !value.contains(QChar(0)) && !sectionName.contains(u']') &&
           !keyName.contains(u'=') && keyName.front() != u';' && keyName.front() != u'[';
}

// One table entry per section and key: keys never hold '=', so the last '=' separates the two.
QString entryName(const QString &foldedSection, const QString &foldedKey)
{
    return foldedSection + u'=' + foldedKey;
}

// Case-insensitive names as hash keys: each code point simply case-folded, as the comparison of
// names does it.
QString foldedName(QStringView name)
{
    QString folded;
    folded.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            const char32_t folded32 = QChar::toCaseFolded(QChar::surrogateToUcs4(u, name[i + 1].unicode()));
            folded += QChar::fromUcs4(folded32);
            ++i;
        } else {
            folded += QChar(char16_t(QChar::toCaseFolded(char32_t(u))));
        }
    }
    return folded;
}

std::optional<QByteArray> readWhole(const QString &fileName)
{
    QFile file(fileName);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

QString ReadIni(const QString &section, const QString &key, const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const QList<RawLine> lines = splitLines(bytes);
    QList<ParsedLine> found;
    const KeyLocation loc = locate(lines, trimBlanks(section), trimBlanks(key), &found);
    if (!loc.keyLine)
        return {};
    const ParsedLine &line = found.front();
    return storedValue(QStringView(line.text).sliced(line.valueStart));
}

QString iniStoredText(const QString &value)
{
    if (!value.contains(u'\r') && !value.contains(u'\n'))
        return value;
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n')
            ++i;
        text += (value[i] == u'\r' || value[i] == u'\n') ? QChar(u' ') : value[i];
    }
    return text;
}

std::optional<QByteArray> withIniValue(const QByteArray &old, const QString &section, const QString &key,
                                       const QString &value)
{
    const QStringView sectionName = trimBlanks(section);
    const QStringView keyName = trimBlanks(key);
    if (!storableEntry(sectionName, keyName, value))
        return std::nullopt;

    const QList<RawLine> lines = splitLines(old);
    // New lines end as the file's first line does; a new file gets CR LF.
    const QByteArrayView eol =
        !lines.isEmpty() && !lines.front().end.isEmpty() ? lines.front().end : QByteArrayView("\r\n");
    const CodePage &codePage = CodePage::system();

    QList<ParsedLine> found;
    const KeyLocation loc = locate(lines, sectionName, keyName, &found);
    const QByteArray newValue = codePage.encode(writtenValue(iniStoredText(value)));

    QByteArray out;
    out.reserve(old.size() + newValue.size() + 64);

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const RawLine &line = lines[i];
        if (loc.keyLine && *loc.keyLine == i) {
            // Keep the key as the file spells it and the blanks after '='.
            const ParsedLine &parsed = found.front();
            qsizetype valueAt = parsed.valueStart;
            while (valueAt < parsed.text.size() &&
                   (parsed.text[valueAt] == u' ' || parsed.text[valueAt] == u'\t'))
                ++valueAt;
            out += codePage.encode(parsed.text.first(valueAt)) + newValue;
            out += line.end;
            continue;
        }
        if (!loc.keyLine && loc.lastEntryLine && *loc.lastEntryLine == i) {
            // The new entry takes over this line's ending, so a file without a final line end
            // stays that way.
            out += line.text;
            out += line.end.isEmpty() ? eol : line.end;
            out += codePage.encode(keyName.toString() + u'=') + newValue;
            out += line.end;
            continue;
        }
        // Every other line stays byte for byte.
        out += line.text;
        out += line.end;
    }
    if (!loc.sectionLine) {
        if (!lines.isEmpty() && lines.back().end.isEmpty())
            out += eol;
        out += codePage.encode(u'[' + sectionName.toString() + u']');
        out += eol;
        out += codePage.encode(keyName.toString() + u'=') + newValue;
        out += eol;
    }
    return out;
}

bool WriteIni(const QString &section, const QString &key, const QString &value, const QString &fileName)
{
    return WriteIniEntries({{section, key, value}}, fileName);
}

bool WriteIniEntries(const QList<IniEntry> &entries, const QString &fileName)
{
    const std::optional<QByteArray> old = readWhole(fileName);
    if (!old || QFileInfo(fileName).isDir())
        return false;
    QByteArray out = *old;
    for (const IniEntry &entry : entries) {
        std::optional<QByteArray> next = withIniValue(out, entry.section, entry.key, entry.value);
        if (!next)
            return false;
        out = std::move(*next);
    }
    if (out == *old)
        return true;

    // QSaveFile writes a temporary file beside the target (the target of a symbolic link),
    // carries the old file's permissions over and renames it into place on commit.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

IniDocument::IniDocument(const QByteArray &bytes)
{
    const QList<RawLine> lines = splitLines(bytes);
    // The current section by name: a pointer into the table would not survive its growing.
    std::optional<QString> section;
    for (const RawLine &raw : lines) {
        if (!section && !canBeHeader(raw.text))
            continue;
        const ParsedLine line = parseLine(raw.text);
        if (line.kind == LineKind::Section) {
            section = foldedName(line.name);
        } else if (line.kind == LineKind::Key && section) {
            // The first occurrence of a key wins, also across repeated sections.
            const QString at = entryName(*section, foldedName(line.name));
            if (!m_values.contains(at))
                m_values.insert(at, storedValue(QStringView(line.text).sliced(line.valueStart)));
        }
    }
}

IniDocument IniDocument::read(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return IniDocument();
    return IniDocument(file.readAll());
}

QString IniDocument::value(const QString &section, const QString &key) const
{
    // No key in a file holds '=', and a query with one must not reach into another section.
    const QStringView keyName = trimBlanks(key);
    if (keyName.contains(u'='))
        return {};
    return m_values.value(entryName(foldedName(trimBlanks(section)), foldedName(keyName)));
}

} // namespace kivo
