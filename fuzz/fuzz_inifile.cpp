// The loqa.ini codec: any bytes are taken apart and put together again without
// harm; the text a save writes is read back as the same file; written values
// read back; what was not written stays as it was.
#include "fuzzcheck.h"
#include "settings/inifile.h"

#include <QString>
#include <QStringList>
#include <QtEndian>

#include <cstdint>

using loqa::IniFile;

namespace {

// A written text as the next reader sees it: line breaks as blanks, blanks and
// control characters trimmed from both ends.
QString asReadBack(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

bool isAsciiFold(const QString &name, const char *lower)
{
    QByteArray bytes = name.toUtf8();
    for (char &c : bytes) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return bytes == lower;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    IniFile ini;
    FUZZ_CHECK(ini.parse(input));
    const QByteArray once = ini.toBytes();

    IniFile again;
    FUZZ_CHECK(again.parse(once));
    FUZZ_CHECK(again.toBytes() == once);
    const QStringList sections = ini.sectionNames();
    FUZZ_CHECK(again.sectionNames() == sections);

    for (const QString &section : sections) {
        // A name that is not UTF-8 comes back with U+FFFD and names no section.
        if (!section.contains(QChar(QChar::ReplacementCharacter)))
            FUZZ_CHECK(ini.hasSection(section));
        for (const QString &line : ini.readSectionLines(section)) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq >= 0)
                (void)ini.readInteger(section, QStringView(line).left(eq), 0);
        }
    }

    // Changes: the first of several sections goes, the last gets two keys, a new one a third.
    const QString value = QString::fromUtf8(input.first(qMin<qsizetype>(input.size(), 48)));
    const qint32 number = size >= 4 ? qFromUnaligned<qint32>(data) : qint32(size);
    const bool erase = sections.size() > 1;
    if (erase)
        ini.eraseSection(sections.first());
    const QString target = sections.isEmpty() ? QStringLiteral("New") : sections.last();
    ini.writeString(target, u"Text", value);
    ini.writeInteger(target, u"Number", number);
    ini.writeBool(u"Other", u"Flag", (number & 1) != 0);

    IniFile written;
    FUZZ_CHECK(written.parse(ini.toBytes()));
    FUZZ_CHECK(written.readInteger(target, u"Number", ~number) == number);
    FUZZ_CHECK(written.readString(target, u"Text", QStringLiteral("\x01")) == asReadBack(value));
    FUZZ_CHECK(written.readBool(u"Other", u"Flag", (number & 1) == 0) == ((number & 1) != 0));
    const QChar unreadable(QChar::ReplacementCharacter);
    if (erase && !isAsciiFold(sections.first(), "other") && !sections.first().contains(unreadable))
        FUZZ_CHECK(!written.hasSection(sections.first()));
    for (qsizetype i = 1; i + 1 < sections.size(); ++i) {
        if (!isAsciiFold(sections.at(i), "other") && !sections.at(i).contains(unreadable))
            FUZZ_CHECK(written.readSectionLines(sections.at(i)) == again.readSectionLines(sections.at(i)));
    }
    return 0;
}
