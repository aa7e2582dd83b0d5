// The settings and the lists kept in loqa.ini: any file loads, and what the
// first save writes is written again, byte for byte, by the next start and exit.
#include "fuzzcheck.h"
#include "settings/inifile.h"
#include "settings/settings.h"

#include <QSet>

#include <cstdint>

namespace {

const QSize kScreen(1280, 1024);
const QString kAppPath = QStringLiteral("/home/user/loqa/");

// One start and exit on the text of loqa.ini.
QByteArray startAndExit(QByteArrayView text, loqa::IniFile &ini)
{
    FUZZ_CHECK(ini.parse(text));
    loqa::Settings settings;
    loqa::ReadSettings(ini, kScreen, kAppPath, settings);
    loqa::WriteSettings(ini, settings);
    return ini.toBytes();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    loqa::IniFile first;
    const QByteArray once = startAndExit(input, first);
    // The first save may still create GlobalHotkeyIDList behind HotkeyList;
    // from the second on, the file no longer changes.
    loqa::IniFile second;
    const QByteArray twice = startAndExit(once, second);

    loqa::IniFile third;
    FUZZ_CHECK(third.parse(twice));
    loqa::Settings settings;
    loqa::ReadSettings(third, kScreen, kAppPath, settings);

    // Reminders with equal keys have collapsed into one.
    QSet<QByteArray> keys;
    for (const QString &line : std::as_const(settings.lists.ReminderList)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        QByteArray key = line.left(eq).toUtf8();
        for (char &c : key) {
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        }
        FUZZ_CHECK(!keys.contains(key));
        keys.insert(key);
    }
    // The two rewritten lists stand at the end of the file, before the documents' section only.
    const QStringList sections = third.sectionNames();
    // (The loaded dictionaries' list, when there is one, comes between them.)
    FUZZ_CHECK(sections.size() >= 2 && sections.last() == QLatin1String("Documents"));
    const qsizetype hotkeys = sections.size() - (settings.lists.DictionaryList.isEmpty() ? 2 : 3);
    FUZZ_CHECK(hotkeys >= 0 && sections.at(hotkeys) == QLatin1String("HotkeyList"));
    if (!settings.lists.ReminderList.isEmpty())
        FUZZ_CHECK(hotkeys >= 1 && sections.at(hotkeys - 1) == QLatin1String("ReminderList"));
    else
        FUZZ_CHECK(!third.hasSection(u"ReminderList"));

    loqa::WriteSettings(third, settings);
    FUZZ_CHECK(third.toBytes() == twice);
    return 0;
}
