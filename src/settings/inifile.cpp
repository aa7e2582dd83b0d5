#include "settings/inifile.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace loqa {

namespace {

constexpr quint32 kEmptySlot = std::numeric_limits<quint32>::max();
constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");
constexpr QByteArrayView kLineEnd("\r\n");

// Blanks and control characters, the bytes trimmed from lines, keys and values.
inline bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

inline char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

QByteArrayView trimmed(QByteArrayView v)
{
    qsizetype begin = 0;
    qsizetype end = v.size();
    while (begin < end && isBlank(v[begin]))
        ++begin;
    while (end > begin && isBlank(v[end - 1]))
        --end;
    return v.sliced(begin, end - begin);
}

bool sameText(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

std::size_t foldedHash(QByteArrayView v)
{
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const char c : v) {
        hash ^= static_cast<unsigned char>(asciiLower(c));
        hash *= 1099511628211ull;
    }
    return static_cast<std::size_t>(hash ^ (hash >> 32));
}

// A key or a value must not start lines of its own.
QByteArray withoutLineBreaks(QByteArray bytes)
{
    if (!bytes.contains('\r') && !bytes.contains('\n'))
        return bytes;
    bytes.replace("\r\n", " ");
    bytes.replace('\r', ' ');
    bytes.replace('\n', ' ');
    return bytes;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QString TextFromUtf8(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// --- Table -----------------------------------------------------------------

template <typename TextOf> std::optional<quint32> IniFile::Table::find(QByteArrayView key, TextOf textOf) const
{
    if (m_slots.empty())
        return std::nullopt;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = foldedHash(key) & mask;; i = (i + 1) & mask) {
        const quint32 entry = m_slots[i];
        if (entry == kEmptySlot)
            return std::nullopt;
        if (sameText(textOf(entry), key))
            return entry;
    }
}

template <typename TextOf> void IniFile::Table::insert(QByteArrayView key, quint32 entry, TextOf textOf)
{
    if ((m_count + 1) * 2 > m_slots.size()) {
        std::vector<quint32> old = std::move(m_slots);
        m_slots.assign(std::max<std::size_t>(16, old.size() * 2), kEmptySlot);
        const std::size_t mask = m_slots.size() - 1;
        for (const quint32 moved : old) {
            if (moved == kEmptySlot)
                continue;
            std::size_t i = foldedHash(textOf(moved)) & mask;
            while (m_slots[i] != kEmptySlot)
                i = (i + 1) & mask;
            m_slots[i] = moved;
        }
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = foldedHash(key) & mask;; i = (i + 1) & mask) {
        if (m_slots[i] == kEmptySlot) {
            m_slots[i] = entry;
            ++m_count;
            return;
        }
        if (sameText(textOf(m_slots[i]), key)) {
            m_slots[i] = entry;
            return;
        }
    }
}

void IniFile::Table::clear()
{
    m_slots.clear();
    m_count = 0;
}

// --- Reading the text ------------------------------------------------------

bool IniFile::parse(QByteArrayView bytes)
{
    m_text.clear();
    m_sections.clear();
    m_sectionTable.clear();
    if (bytes.startsWith(kByteOrderMark))
        bytes = bytes.sliced(kByteOrderMark.size());
    if (bytes.size() > MaxSize)
        return false;
    m_text = bytes.toByteArray();

    const char *const data = m_text.constData();
    const qsizetype size = m_text.size();
    const auto spanOf = [data](QByteArrayView v) { return Span{quint32(v.data() - data), quint32(v.size())}; };
    Section *current = nullptr;
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        const QByteArrayView line(data + pos, end - pos);
        pos = end;
        if (pos < size)
            pos += (data[pos] == '\r' && pos + 1 < size && data[pos + 1] == '\n') ? 2 : 1;

        const QByteArrayView look = trimmed(line);
        if (look.isEmpty() || look.front() == ';')
            continue;
        if (look.size() >= 2 && look.front() == '[' && look.back() == ']') {
            const QByteArrayView name = trimmed(look.sliced(1, look.size() - 2));
            const int found = findSection(name);
            if (found >= 0) {
                current = &m_sections[std::size_t(found)];
            } else {
                m_sections.push_back(Section{spanOf(name), {}, {}, false});
                m_sectionTable.insert(name, quint32(m_sections.size() - 1),
                                      [this](quint32 i) { return text(m_sections[i].name); });
                current = &m_sections.back();
            }
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = look.indexOf('=');
        if (eq >= 0)
            current->lines.push_back(Line{spanOf(trimmed(look.first(eq))), spanOf(trimmed(look.sliced(eq + 1))), true});
        else
            current->lines.push_back(Line{spanOf(line), {}, false});
    }
    return true;
}

QByteArray IniFile::toBytes() const
{
    qsizetype estimate = 0;
    for (const Section &section : m_sections)
        estimate += qsizetype(section.name.len) + 6 + qsizetype(section.lines.size()) * 3;
    QByteArray out;
    out.reserve(estimate + m_text.size());
    for (const Section &section : m_sections) {
        out += '[';
        out += text(section.name);
        out += ']';
        out += kLineEnd;
        for (const Line &line : section.lines) {
            out += text(line.key);
            if (line.isKey) {
                out += '=';
                out += text(line.value);
            }
            out += kLineEnd;
        }
        out += kLineEnd;
    }
    return out;
}

QStringList IniFile::sectionNames() const
{
    QStringList names;
    names.reserve(qsizetype(m_sections.size()));
    for (const Section &section : m_sections)
        names << TextFromUtf8(text(section.name));
    return names;
}

bool IniFile::hasSection(QStringView section) const
{
    return findSection(section.toUtf8()) >= 0;
}

std::optional<QByteArray> IniFile::value(QStringView section, QStringView key) const
{
    const Line *line = findKey(section, key);
    if (!line)
        return std::nullopt;
    return text(line->value).toByteArray();
}

QString IniFile::readString(QStringView section, QStringView key, const QString &defaultValue) const
{
    const Line *line = findKey(section, key);
    if (!line)
        return defaultValue;
    const QByteArrayView bytes = text(line->value);
    if (!bytes.isValidUtf8())
        return defaultValue;
    return TextFromUtf8(bytes);
}

qint32 IniFile::readInteger(QStringView section, QStringView key, qint32 defaultValue) const
{
    const Line *line = findKey(section, key);
    if (!line)
        return defaultValue;
    return parseInteger(text(line->value)).value_or(defaultValue);
}

bool IniFile::readBool(QStringView section, QStringView key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QStringList IniFile::readSectionLines(QStringView section) const
{
    QStringList lines;
    const int index = findSection(section.toUtf8());
    if (index < 0)
        return lines;
    const Section &found = m_sections[std::size_t(index)];
    lines.reserve(qsizetype(found.lines.size()));
    for (const Line &line : found.lines) {
        if (line.isKey)
            lines << TextFromUtf8(text(line.key)) + QLatin1Char('=') + TextFromUtf8(text(line.value));
        else
            lines << TextFromUtf8(text(line.key));
    }
    return lines;
}

std::optional<qint32> IniFile::parseInteger(QByteArrayView t)
{
    QByteArrayView hex;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        hex = t.sliced(2);
    else if (t.size() > 1 && t[0] == '$')
        hex = t.sliced(1);
    if (!hex.isNull()) {
        // Up to 32 bits, taken as the bit pattern of a signed number ("0xFFFFFFFF" is -1).
        quint64 value = 0;
        for (const char c : hex) {
            const int digit = hexDigit(c);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + quint64(digit);
            if (value > 0xFFFFFFFFull)
                return std::nullopt;
        }
        return qint32(quint32(value));
    }
    qsizetype i = 0;
    const bool negative = !t.isEmpty() && t[0] == '-';
    if (!t.isEmpty() && (t[0] == '-' || t[0] == '+'))
        i = 1;
    if (i >= t.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            return std::nullopt;
        value = value * 10 + (t[i] - '0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

// --- Changing the text -----------------------------------------------------

void IniFile::writeString(QStringView section, QStringView key, QStringView value)
{
    writeRaw(section, key, withoutLineBreaks(value.toUtf8()));
}

void IniFile::writeInteger(QStringView section, QStringView key, qint32 value)
{
    writeRaw(section, key, QByteArray::number(value));
}

void IniFile::writeBool(QStringView section, QStringView key, bool value)
{
    writeRaw(section, key, value ? QByteArrayView("1") : QByteArrayView("0"));
}

void IniFile::appendLine(QStringView section, QStringView line)
{
    const int index = sectionForWriting(section);
    const Span stored = store(withoutLineBreaks(line.toUtf8()));
    m_sections[std::size_t(index)].lines.push_back(Line{stored, {}, false});
}

void IniFile::eraseSection(QStringView section)
{
    const int index = findSection(section.toUtf8());
    if (index < 0)
        return;
    m_sections.erase(m_sections.begin() + index);
    rebuildSectionTable();
}

void IniFile::writeRaw(QStringView section, QStringView key, QByteArrayView value)
{
    const QByteArray keyBytes = withoutLineBreaks(key.toUtf8());
    Section &target = m_sections[std::size_t(sectionForWriting(section))];
    buildKeys(target);
    const auto keyOf = [this, &target](quint32 i) { return text(target.lines[i].key); };
    if (const std::optional<quint32> found = target.keys.find(keyBytes, keyOf)) {
        // The line of the last occurrence is replaced, spelling of the key included.
        Line &line = target.lines[*found];
        line.key = store(keyBytes);
        line.value = store(value);
        return;
    }
    const Span storedKey = store(keyBytes);
    const Span storedValue = store(value);
    target.lines.push_back(Line{storedKey, storedValue, true});
    target.keys.insert(keyBytes, quint32(target.lines.size() - 1), keyOf);
}

// --- Helpers ---------------------------------------------------------------

QByteArrayView IniFile::text(Span span) const
{
    return QByteArrayView(m_text.constData() + span.pos, span.len);
}

IniFile::Span IniFile::store(QByteArrayView bytes)
{
    if (quint64(m_text.size()) + quint64(bytes.size()) > std::numeric_limits<quint32>::max())
        throw std::length_error("settings text too large");
    const Span span{quint32(m_text.size()), quint32(bytes.size())};
    m_text.append(bytes);
    return span;
}

int IniFile::findSection(QByteArrayView name) const
{
    const std::optional<quint32> found =
        m_sectionTable.find(name, [this](quint32 i) { return text(m_sections[i].name); });
    return found ? int(*found) : -1;
}

int IniFile::sectionForWriting(QStringView name)
{
    const QByteArray bytes = withoutLineBreaks(name.toUtf8());
    const int found = findSection(bytes);
    if (found >= 0)
        return found;
    m_sections.push_back(Section{store(bytes), {}, {}, false});
    m_sectionTable.insert(bytes, quint32(m_sections.size() - 1),
                          [this](quint32 i) { return text(m_sections[i].name); });
    return int(m_sections.size() - 1);
}

void IniFile::rebuildSectionTable()
{
    m_sectionTable.clear();
    for (std::size_t i = 0; i < m_sections.size(); ++i)
        m_sectionTable.insert(text(m_sections[i].name), quint32(i),
                              [this](quint32 j) { return text(m_sections[j].name); });
}

void IniFile::buildKeys(const Section &section) const
{
    if (section.keysBuilt)
        return;
    section.keys.clear();
    const auto keyOf = [this, &section](quint32 i) { return text(section.lines[i].key); };
    for (std::size_t i = 0; i < section.lines.size(); ++i) {
        if (section.lines[i].isKey)
            section.keys.insert(text(section.lines[i].key), quint32(i), keyOf);
    }
    section.keysBuilt = true;
}

const IniFile::Line *IniFile::findKey(QStringView section, QStringView key) const
{
    const int index = findSection(section.toUtf8());
    if (index < 0)
        return nullptr;
    const Section &found = m_sections[std::size_t(index)];
    buildKeys(found);
    const std::optional<quint32> line =
        found.keys.find(key.toUtf8(), [this, &found](quint32 i) { return text(found.lines[i].key); });
    return line ? &found.lines[*line] : nullptr;
}

} // namespace loqa
