#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace loqa {

// UTF-8 bytes as text: bytes that are not UTF-8 become U+FFFD, and a leading
// U+FEFF is kept (QString::fromUtf8 would drop it as a byte order mark).
QString TextFromUtf8(QByteArrayView bytes);

// The text of loqa.ini in memory, taken apart on reading and put together again
// on writing, so that what the program does not know survives a save.
//
// Reading: lines end at CR, LF or CR LF; a leading UTF-8 byte order mark is
// skipped. Each line is looked at without its leading and trailing blanks and
// control characters (bytes up to 0x20): "[name]" opens a section; empty lines,
// lines beginning with ";" and lines before the first section are dropped; a line
// with "=" is a key (before the first "=") and a value (after it), each trimmed;
// any other line stays in its section exactly as it stood. Section names and keys
// are compared without regard to ASCII letter case. The last of repeated keys is
// the one read and the one a write replaces; a section whose header repeats is
// continued by the later block.
//
// Writing: each section as "[name]", its lines in order, then one empty line;
// every line ends with CR LF. A written key replaces the line of its last
// occurrence or is appended to its section; a new section is appended to the file.
// Line breaks inside a written key or value become blanks, so a value can never
// add lines of its own.
class IniFile
{
public:
    // Offsets are 32-bit; a larger text is not taken apart.
    static constexpr qsizetype MaxSize = qsizetype(256) * 1024 * 1024;

    // Replaces the contents with the text of a file; false, leaving the file empty,
    // when the text exceeds MaxSize.
    bool parse(QByteArrayView bytes);
    QByteArray toBytes() const;

    // Section names in file order, as spelt in the file.
    QStringList sectionNames() const;
    bool hasSection(QStringView section) const;
    // The bytes of a key's value; nothing when the section or the key is missing.
    std::optional<QByteArray> value(QStringView section, QStringView key) const;

    // A missing key or a value that is not UTF-8 gives the default.
    QString readString(QStringView section, QStringView key, const QString &defaultValue) const;
    // Decimal, "0x"/"0X" or "$" and hexadecimal digits; anything else gives the default.
    qint32 readInteger(QStringView section, QStringView key, qint32 defaultValue) const;
    // An integer as above, non-zero being true.
    bool readBool(QStringView section, QStringView key, bool defaultValue) const;
    // Every line of a section in file order: key lines as "key=value", the others
    // as they stand. Bytes that are not UTF-8 read as U+FFFD.
    QStringList readSectionLines(QStringView section) const;

    void writeString(QStringView section, QStringView key, QStringView value);
    void writeInteger(QStringView section, QStringView key, qint32 value);
    void writeBool(QStringView section, QStringView key, bool value);
    // Appends a line that has no "=" to a section, as it is.
    void appendLine(QStringView section, QStringView line);
    // Removes a section with all its lines; nothing happens when it is missing.
    void eraseSection(QStringView section);

    static std::optional<qint32> parseInteger(QByteArrayView text);

private:
    struct Span {
        quint32 pos = 0;
        quint32 len = 0;
    };
    struct Line {
        Span key; // the whole line when it is not a key line
        Span value;
        bool isKey = false;
    };
    // Open addressing over entry numbers; an entry's text is looked up through
    // the owner, so the table itself holds four bytes a slot.
    class Table
    {
    public:
        template <typename TextOf> std::optional<quint32> find(QByteArrayView key, TextOf textOf) const;
        // A later entry with an equal text takes the place of the earlier one.
        template <typename TextOf> void insert(QByteArrayView key, quint32 entry, TextOf textOf);
        void clear();
        bool isEmpty() const { return m_count == 0; }

    private:
        std::vector<quint32> m_slots;
        std::size_t m_count = 0;
    };
    struct Section {
        Span name;
        std::vector<Line> lines;
        mutable Table keys; // built on the first look-up
        mutable bool keysBuilt = false;
    };

    QByteArrayView text(Span span) const;
    Span store(QByteArrayView bytes);
    Span storeText(QStringView text);
    int findSection(QByteArrayView name) const;
    int sectionForWriting(QStringView name);
    void rebuildSectionTable();
    void buildKeys(const Section &section) const;
    const Line *findKey(QStringView section, QStringView key) const;
    void writeRaw(QStringView section, QStringView key, QByteArrayView value);

    QByteArray m_text;
    std::vector<Section> m_sections;
    Table m_sectionTable;
};

} // namespace loqa
