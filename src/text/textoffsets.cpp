#include "text/textoffsets.h"

namespace loqa {

Utf8Char Utf8CharAt(QByteArrayView utf8, qsizetype at)
{
    const auto lead = static_cast<unsigned char>(utf8[at]);
    if (lead < 0x80)
        return {lead, 1, 1};
    int need = 0;
    char32_t code = 0, min = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        need = 1, code = lead & 0x1F, min = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        need = 2, code = lead & 0x0F, min = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        need = 3, code = lead & 0x07, min = 0x10000;
    if (need == 0)
        return {0xFFFD, 1, 1};
    for (int k = 1; k <= need; ++k) {
        if (at + k >= utf8.size() || (static_cast<unsigned char>(utf8[at + k]) & 0xC0) != 0x80)
            return {0xFFFD, 1, 1};
        code = (code << 6) | (static_cast<unsigned char>(utf8[at + k]) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {0xFFFD, 1, 1};
    return {code, need + 1, code > 0xFFFF ? 2 : 1};
}

QString Utf8ToText(QByteArrayView utf8)
{
    QString text;
    text.reserve(utf8.size());
    for (qsizetype at = 0; at < utf8.size();) {
        const Utf8Char c = Utf8CharAt(utf8, at);
        if (c.units == 2) {
            text.append(QChar(QChar::highSurrogate(c.code)));
            text.append(QChar(QChar::lowSurrogate(c.code)));
        } else {
            text.append(QChar(char16_t(c.code)));
        }
        at += c.bytes;
    }
    return text;
}

void TextOffsetMap::reset()
{
    m_byte = 0;
    m_position = 0;
    m_character = 0;
}

Utf8Char TextOffsetMap::step(QByteArrayView utf8) const
{
    if (m_lineEndIsOne && utf8[m_byte] == '\r' && m_byte + 1 < utf8.size() && utf8[m_byte + 1] == '\n')
        return {u'\n', 2, 1};
    return Utf8CharAt(utf8, m_byte);
}

template <typename More> void TextOffsetMap::walk(QByteArrayView utf8, More more)
{
    while (m_byte < utf8.size()) {
        const Utf8Char c = step(utf8);
        if (!more(c))
            return;
        m_byte += c.bytes;
        m_position += c.units;
        ++m_character;
    }
}

qsizetype TextOffsetMap::positionOfByte(QByteArrayView utf8, qsizetype byteOffset)
{
    if (byteOffset < m_byte)
        reset();
    walk(utf8, [&](const Utf8Char &) { return m_byte < byteOffset; });
    return m_position;
}

qsizetype TextOffsetMap::byteOfPosition(QByteArrayView utf8, qsizetype position)
{
    if (position < m_position)
        reset();
    // The second half of a surrogate pair stops the walk where its character begins.
    walk(utf8, [&](const Utf8Char &c) { return m_position + c.units <= position; });
    return m_byte;
}

qsizetype TextOffsetMap::byteOfCharacter(QByteArrayView utf8, qsizetype index)
{
    if (index < m_character)
        reset();
    walk(utf8, [&](const Utf8Char &) { return m_character < index; });
    return m_byte;
}

} // namespace loqa
