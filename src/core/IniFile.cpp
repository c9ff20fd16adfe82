#include "core/IniFile.h"

#include "core/CodePage.h"

#include <QFile>
#include <QFileInfo>
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

// One line of the file as bytes: its text and its line end ("\r\n", "\n", or none on a last line
// without one). Lines are split at LF bytes only, which no ASCII-based code page uses inside a
// multi-byte character.
struct RawLine
{
    QByteArrayView text;
    QByteArrayView end;
};

QList<RawLine> splitLines(const QByteArray &bytes)
{
    QList<RawLine> lines;
    const QByteArrayView all(bytes);
    qsizetype pos = 0;
    while (pos < all.size()) {
        const qsizetype lf = all.indexOf('\n', pos);
        if (lf < 0) {
            lines.append({all.sliced(pos), {}});
            break;
        }
        const qsizetype textEnd = (lf > pos && all[lf - 1] == '\r') ? lf - 1 : lf;
        lines.append({all.sliced(pos, textEnd - pos), all.sliced(textEnd, lf + 1 - textEnd)});
        pos = lf + 1;
    }
    return lines;
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
        qsizetype first = 0;
        while (first < raw.size() && (raw[first] == ' ' || raw[first] == '\t'))
            ++first;
        if (!inSection && (first == raw.size() || raw[first] != '['))
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

bool fitsOnOneLine(QStringView text)
{
    return !text.contains(u'\n') && !text.contains(u'\r') && !text.contains(QChar(0));
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

bool WriteIni(const QString &section, const QString &key, const QString &value, const QString &fileName)
{
    // A line break would split the entry and could forge other sections or keys.
    const QStringView sectionName = trimBlanks(section);
    const QStringView keyName = trimBlanks(key);
    if (sectionName.isEmpty() || keyName.isEmpty() || !fitsOnOneLine(section) || !fitsOnOneLine(key) ||
        !fitsOnOneLine(value) || sectionName.contains(u']') || keyName.contains(u'='))
        return false;

    const std::optional<QByteArray> old = readWhole(fileName);
    if (!old || QFileInfo(fileName).isDir())
        return false;

    const QList<RawLine> lines = splitLines(*old);
    const qsizetype firstLf = old->indexOf('\n');
    const QByteArray eol = firstLf >= 0 && (firstLf == 0 || old->at(firstLf - 1) != '\r') ? "\n" : "\r\n";
    const CodePage &codePage = CodePage::system();

    QList<ParsedLine> found;
    const KeyLocation loc = locate(lines, sectionName, keyName, &found);
    const QByteArray newValue = codePage.encode(writtenValue(value));

    QByteArray out;
    out.reserve(old->size() + newValue.size() + 64);

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
            out += line.end.isEmpty() ? QByteArrayView(eol) : line.end;
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
        out += codePage.encode(u'[' + sectionName.toString() + u']') + eol;
        out += codePage.encode(keyName.toString() + u'=') + newValue + eol;
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

} // namespace kivo
