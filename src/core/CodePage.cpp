#include "core/CodePage.h"

#include <QHash>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <memory>

namespace kivo {

namespace {

constexpr char16_t Replacement = 0xFFFD;
// No code page spends more bytes on one character.
constexpr size_t kLongestCharacter = 8;
const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

const char *utf16Name()
{
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
}

bool isUtf8Name(const QByteArray &name)
{
    const QByteArray n = name.toUpper();
    return n == "UTF-8" || n == "UTF8";
}

// The character set of the user's locale (LC_ALL, LC_CTYPE, LANG), read through a locale object of
// its own so the process locale is left as it is. The C locale's ASCII would turn all Korean text
// into '?', so it stands for UTF-8.
QByteArray localeCharset()
{
    QByteArray charset;
    if (locale_t loc = newlocale(LC_CTYPE_MASK, "", locale_t(nullptr))) {
        charset = nl_langinfo_l(CODESET, loc);
        freelocale(loc);
    }
    const QByteArray upper = charset.toUpper();
    if (upper.isEmpty() || upper == "ANSI_X3.4-1968" || upper == "ASCII" || upper == "US-ASCII")
        return QByteArrayLiteral("UTF-8");
    return charset;
}

// One pair of iconv descriptors for a code page. iconv descriptors carry conversion state, so each
// thread keeps its own pair, opened once and reused for every chunk.
struct Converter
{
    iconv_t toText = iconv_t(-1);
    iconv_t toBytes = iconv_t(-1);
    // Bytes 0x00..0x7F stand for the same ASCII characters, so pure ASCII input needs no iconv.
    bool asciiCompatible = false;

    Converter() = default;
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    ~Converter()
    {
        if (toText != iconv_t(-1))
            iconv_close(toText);
        if (toBytes != iconv_t(-1))
            iconv_close(toBytes);
    }

    [[nodiscard]] bool isOpen() const { return toText != iconv_t(-1) && toBytes != iconv_t(-1); }
};

QString iconvDecode(Converter &conv, const QByteArray &bytes, qsizetype *unfinished = nullptr);

Converter *converterFor(const QByteArray &name)
{
    thread_local QHash<QByteArray, std::shared_ptr<Converter>> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return it.value().get();

    auto conv = std::make_shared<Converter>();
    conv->toText = iconv_open(utf16Name(), name.constData());
    conv->toBytes = iconv_open(name.constData(), utf16Name());
    if (conv->isOpen()) {
        QByteArray ascii(128, Qt::Uninitialized);
        for (int i = 0; i < 128; ++i)
            ascii[i] = char(i);
        const QString text = iconvDecode(*conv, ascii);
        conv->asciiCompatible = text.size() == 128;
        for (int i = 0; conv->asciiCompatible && i < 128; ++i)
            conv->asciiCompatible = text.at(i).unicode() == i;
    }
    cache.insert(name, conv);
    return conv.get();
}

bool isAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// With `unfinished` set, the bytes of a character that the input ends inside are not replaced but
// left undecoded, and their count goes there.
QString iconvDecode(Converter &conv, const QByteArray &bytes, qsizetype *unfinished)
{
    iconv(conv.toText, nullptr, nullptr, nullptr, nullptr);

    QString out;
    out.resize(bytes.size() + 8);
    qsizetype written = 0;
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());

    const auto ensureRoom = [&](qsizetype units) {
        if (out.size() - written < units)
            out.resize(std::max(out.size() * 2, written + units));
    };

    while (inLeft > 0) {
        ensureRoom(4);
        char *dst = reinterpret_cast<char *>(out.data() + written);
        size_t dstLeft = size_t(out.size() - written) * sizeof(char16_t);
        const size_t dstStart = dstLeft;
        const size_t rc = iconv(conv.toText, &in, &inLeft, &dst, &dstLeft);
        written += qsizetype((dstStart - dstLeft) / sizeof(char16_t));
        if (rc != size_t(-1))
            break;
        if (errno == E2BIG) {
            ensureRoom(out.size() - written + 16);
            continue;
        }
        // EILSEQ: this byte starts no valid character. EINVAL: the input ends inside a character,
        // and each of its remaining bytes is bad on its own.
        const bool truncated = errno == EINVAL;
        if (truncated && unfinished && inLeft <= kLongestCharacter) {
            *unfinished = qsizetype(inLeft);
            break;
        }
        const qsizetype bad = truncated ? qsizetype(inLeft) : 1;
        ensureRoom(bad);
        for (qsizetype i = 0; i < bad; ++i)
            out[written++] = QChar(Replacement);
        in += bad;
        inLeft -= size_t(bad);
        iconv(conv.toText, nullptr, nullptr, nullptr, nullptr);
    }
    out.truncate(written);
    return out;
}

// How many bytes at the end of `bytes` start a UTF-8 character that needs more bytes than follow.
qsizetype utf8UnfinishedTail(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(bytes[n - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead byte
        int length = 0;
        if (c >= 0xF0)
            length = c <= 0xF4 ? 4 : 0;
        else if (c >= 0xE0)
            length = 3;
        else if (c >= 0xC2)
            length = 2;
        return length > back ? back : 0;
    }
    return 0;
}

// QString::fromUtf8 drops a leading byte order mark; received bytes must keep every one.
void appendUtf8(QByteArrayView bytes, QString &out)
{
    while (bytes.startsWith(kUtf8Bom)) {
        out += QChar(0xFEFF);
        bytes = bytes.sliced(3);
    }
    out += QString::fromUtf8(bytes);
}

QByteArray iconvEncode(Converter &conv, const QString &text)
{
    iconv(conv.toBytes, nullptr, nullptr, nullptr, nullptr);

    QByteArray out;
    out.resize(text.size() * 2 + 16);
    qsizetype written = 0;
    char *in = reinterpret_cast<char *>(const_cast<QChar *>(text.constData()));
    size_t inLeft = size_t(text.size()) * sizeof(char16_t);

    const auto ensureRoom = [&](qsizetype bytes) {
        if (out.size() - written < bytes)
            out.resize(std::max(out.size() * 2, written + bytes));
    };

    while (inLeft > 0) {
        ensureRoom(16);
        char *dst = out.data() + written;
        size_t dstLeft = size_t(out.size() - written);
        const size_t dstStart = dstLeft;
        const size_t rc = iconv(conv.toBytes, &in, &inLeft, &dst, &dstLeft);
        written += qsizetype(dstStart - dstLeft);
        if (rc != size_t(-1))
            break;
        if (errno == E2BIG) {
            ensureRoom(out.size() - written + 16);
            continue;
        }
        // A character the code page lacks (EILSEQ) or a lone surrogate (EILSEQ, or EINVAL at the
        // end): one '?' for the whole character.
        const auto *unit = reinterpret_cast<const char16_t *>(in);
        const bool pair = QChar::isHighSurrogate(unit[0]) && inLeft >= 4 && QChar::isLowSurrogate(unit[1]);
        const size_t skip = (pair ? 2 : 1) * sizeof(char16_t);
        ensureRoom(1);
        out[written++] = '?';
        in += skip;
        inLeft -= skip;
    }
    // A stateful code page may need a closing shift sequence to end in its initial state.
    for (;;) {
        ensureRoom(16);
        char *dst = out.data() + written;
        size_t dstLeft = size_t(out.size() - written);
        const size_t dstStart = dstLeft;
        const size_t rc = iconv(conv.toBytes, nullptr, nullptr, &dst, &dstLeft);
        written += qsizetype(dstStart - dstLeft);
        if (rc != size_t(-1) || errno != E2BIG)
            break;
        ensureRoom(out.size() - written + 16);
    }
    out.truncate(written);
    return out;
}

} // namespace

CodePage::CodePage(const QByteArray &name) : m_name(name.isEmpty() ? localeCharset() : name)
{
    m_utf8 = isUtf8Name(m_name);
    m_valid = m_utf8 || converterFor(m_name)->isOpen();
    // An unknown code page still converts (as UTF-8) rather than losing text; isValid() tells.
    if (!m_valid)
        m_utf8 = true;
}

QByteArray CodePage::encode(const QString &text) const
{
    if (text.isEmpty())
        return {};
    if (m_utf8)
        return text.toUtf8();
    return iconvEncode(*converterFor(m_name), text);
}

QString CodePage::decode(const QByteArray &bytes) const
{
    if (bytes.isEmpty())
        return {};
    if (m_utf8) {
        QString text;
        appendUtf8(bytes, text);
        return text;
    }
    Converter &conv = *converterFor(m_name);
    if (conv.asciiCompatible && isAscii(bytes))
        return QString::fromLatin1(bytes);
    return iconvDecode(conv, bytes);
}

void TextDecoder::decodeAppend(const QByteArray &bytes, QString &out)
{
    if (bytes.isEmpty())
        return;
    QByteArray joined;
    const QByteArray *in = &bytes;
    if (!m_held.isEmpty()) {
        joined = m_held + bytes;
        m_held.clear();
        in = &joined;
    }
    if (m_page.m_utf8) {
        const qsizetype tail = utf8UnfinishedTail(*in);
        if (tail > 0)
            m_held = in->right(tail);
        appendUtf8(QByteArrayView(*in).chopped(tail), out);
        return;
    }
    Converter &conv = *converterFor(m_page.m_name);
    if (conv.asciiCompatible && isAscii(*in)) {
        out += QLatin1StringView(*in);
        return;
    }
    qsizetype unfinished = 0;
    out += iconvDecode(conv, *in, &unfinished);
    if (unfinished > 0)
        m_held = in->right(unfinished);
}

const CodePage &CodePage::system()
{
    static const CodePage codePage;
    return codePage;
}

} // namespace kivo
