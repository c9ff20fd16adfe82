#pragma once

#include <QByteArray>
#include <QString>

namespace kivo {

// Converts between text and the bytes of one code page. The program uses the locale's character
// set (UTF-8 on a modern Linux desktop); any iconv name (CP949, WINDOWS-1252, ...) can be chosen
// instead. Qt's own converters know no Windows code pages, so this goes through iconv.
class CodePage
{
public:
    // An empty name means the locale's character set.
    explicit CodePage(const QByteArray &name = {});

    [[nodiscard]] QByteArray name() const { return m_name; }
    [[nodiscard]] bool isValid() const { return m_valid; }

    // Text to bytes. Characters the code page lacks become '?'.
    [[nodiscard]] QByteArray encode(const QString &text) const;
    // Bytes to text. Byte sequences that do not decode become U+FFFD, one per bad byte, so
    // nothing is silently dropped.
    [[nodiscard]] QString decode(const QByteArray &bytes) const;

    // The code page the whole program uses.
    [[nodiscard]] static const CodePage &system();

private:
    friend class TextDecoder;

    QByteArray m_name;
    bool m_valid = false;
    bool m_utf8 = false;
};

// Decodes one byte stream that arrives in pieces (a link's reads). A character whose bytes are
// split between two pieces is held back until its last byte arrives, so the text comes out as if
// the whole stream had been decoded at once. Keep one per stream and per reader.
class TextDecoder
{
public:
    explicit TextDecoder(const CodePage &codePage = CodePage::system()) : m_page(codePage) {}

    // Appends the text of `bytes` to `out`; the bytes of an unfinished last character wait.
    void decodeAppend(const QByteArray &bytes, QString &out);

    // Bytes of an unfinished character waiting for the rest of it.
    [[nodiscard]] qsizetype heldBytes() const { return m_held.size(); }

private:
    CodePage m_page;
    QByteArray m_held;
};

} // namespace kivo
