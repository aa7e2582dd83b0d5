#include "ui/options/optionrules.h"

#include "alarm/alarmrules.h"
#include "platform/shortcut.h"

#include <algorithm>
#include <numeric>

namespace loqa {

namespace {

// Layer III bitrates for the MPEG-2 sampling rates (8 to 24 kHz) and the MPEG-1 ones.
constexpr int kLowRateBitrates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr int kHighRateBitrates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kLowRateCount = 6; // the first six frequencies

QString momentFormat(const QLocale &locale)
{
    return locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
           WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
}

QString sameShortcut(const QString &text)
{
    // Two texts name one shortcut when the codec reads them alike.
    const QKeyCombination shortcut = TextToShortcut(text);
    return IsEmptyShortcut(shortcut) ? QString() : ShortcutToText(shortcut);
}

// A moment text read back. A short date format with a two-digit year reads it
// as a year of the century around today, not of the 1900s.
QDateTime readMoment(const QString &text, const QLocale &locale)
{
    QDateTime moment = locale.toDateTime(text, momentFormat(locale));
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    if (moment.isValid() && !dateFormat.contains(QLatin1String("yyyy")) && dateFormat.contains(QLatin1String("yy"))) {
        const int now = QDate::currentDate().year();
        while (moment.date().year() < now - 50)
            moment = moment.addYears(100);
    }
    return moment;
}

} // namespace

const QStringList &FrequencyItems()
{
    static const QStringList items{QStringLiteral("8"),  QStringLiteral("11.025"), QStringLiteral("12"),
                                   QStringLiteral("16"), QStringLiteral("22.05"),  QStringLiteral("24"),
                                   QStringLiteral("32"), QStringLiteral("44.1"),   QStringLiteral("48")};
    return items;
}

const QStringList &BitrateItems()
{
    static const QStringList items = [] {
        QStringList list;
        for (int rate : {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320})
            list.append(QString::number(rate));
        return list;
    }();
    return items;
}

const QStringList &SpeedItems()
{
    static const QStringList items = [] {
        QStringList list;
        for (int factor = 1; factor <= 128; factor *= 2)
            list.append(QString::number(factor) + QStringLiteral(" X"));
        return list;
    }();
    return items;
}

int ItemIndexOf(const QStringList &items, const QString &text)
{
    return int(items.indexOf(text));
}

int ListIndexFor(int value, int count)
{
    return value >= 0 && value < count ? value : -1;
}

FrequencyChange FrequencyChanged(const QString &frequency)
{
    bool ok = false;
    frequency.toDouble(&ok);
    return {ok ? frequency : QStringLiteral("22.05"), QStringLiteral("128")};
}

BitrateCheck CheckBitrate(int frequencyIndex, const QString &bitrate)
{
    const bool lowRates = frequencyIndex >= 0 && frequencyIndex < kLowRateCount;
    bool ok = false;
    const int rate = bitrate.toInt(&ok);
    const auto allowed = [&](const auto &set) {
        return ok && std::find(std::begin(set), std::end(set), rate) != std::end(set);
    };
    BitrateCheck check;
    if (lowRates && !allowed(kLowRateBitrates)) {
        check.message = QStringLiteral("Only for 32KHZ~48KHZ Mode.");
        check.kbps = QStringLiteral("128");
    } else if (!lowRates && !allowed(kHighRateBitrates)) {
        check.message = QStringLiteral("Only for 8KHZ~24KHZ Mode.");
        check.kbps = QStringLiteral("128");
    } else {
        check.kbps = bitrate;
    }
    return check;
}

QString SpeedItemText(int realTime)
{
    return QString::number(realTime / 256) + QStringLiteral(" X");
}

int RealTimeFromItem(const QString &item)
{
    bool ok = false;
    const int factor = item.section(QStringLiteral(" X"), 0, 0).toInt(&ok);
    return ok ? factor * 256 : 2048;
}

QString PitchLabelText(int pit)
{
    return QStringLiteral("Pitch of Voices: %1% [%2]").arg((pit - 50) * 100 / 350).arg(pit);
}

QString PickedFolderText(const QString &picked)
{
    if (picked.size() > 1 && picked.endsWith(QLatin1Char('/')))
        return picked.chopped(1);
    return picked;
}

QString FolderSetting(const QString &text)
{
    if (text.isEmpty() || text.endsWith(QLatin1Char('/')))
        return text;
    return text + QLatin1Char('/');
}

ClampedNumber ClampForControl(int value, int low, int high, int design)
{
    ClampedNumber number;
    number.shown = std::clamp(value, low, high);
    if (number.shown != design)
        number.stored = number.shown;
    return number;
}

int ClampTypedNumber(const QString &text, int low, int high)
{
    bool ok = false;
    const qlonglong typed = text.trimmed().toLongLong(&ok);
    return int(std::clamp<qlonglong>(ok ? typed : 0, low, high));
}

qint32 BgrValue(const QColor &colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

int SpinNumber(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

ReminderRows ReminderRowsFrom(const QStringList &list, const QLocale &locale)
{
    ReminderRows result;
    for (const QString &line : list) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QDateTime moment = readMoment(eq < 0 ? line : line.left(eq), locale);
        if (!moment.isValid()) {
            result.rows.append(ReminderRow{});
            result.complete = false;
            return result;
        }
        result.rows.append(ReminderRowFor(moment.date(), moment.time(), eq < 0 ? QString() : line.mid(eq + 1), locale));
    }
    return result;
}

ReminderRow ReminderRowFor(QDate date, QTime time, const QString &message, const QLocale &locale)
{
    // A line of ReminderList holds no line break: the message's lines are joined by blanks.
    QString oneLine = message;
    oneLine.replace(QLatin1String("\r\n"), QLatin1String(" "));
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return {locale.toString(date, locale.dateFormat(QLocale::ShortFormat)), TimeText(time, locale), oneLine};
}

QDateTime ReminderRowMoment(const ReminderRow &row, const QLocale &locale)
{
    return readMoment(row.date + QLatin1Char(' ') + row.time, locale);
}

int SortReminderRows(QList<ReminderRow> &rows, int keep)
{
    std::vector<int> order(size_t(rows.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rows.at(a).date < rows.at(b).date; });
    QList<ReminderRow> sorted;
    int kept = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.append(rows.at(order[i]));
        if (order[i] == keep)
            kept = int(i);
    }
    rows = sorted;
    return kept;
}

QStringList ReminderListFrom(const QList<ReminderRow> &rows)
{
    QStringList list;
    for (const ReminderRow &row : rows)
        list.append(row.date + QLatin1Char(' ') + row.time + QLatin1Char('=') + row.message);
    return list;
}

HotkeyUpdate DecideHotkeyUpdate(const std::array<QString, HotkeyCount> &hotkeys, int index, const QString &entered)
{
    const QString wanted = sameShortcut(entered);
    if (wanted == sameShortcut(hotkeys[size_t(index)]))
        return HotkeyUpdate::Unchanged;
    if (wanted.isEmpty())
        return HotkeyUpdate::Accept; // no shortcut never clashes
    const QKeyCombination chord = TextToShortcut(wanted);
    if (IsSystemReservedChord(chord.keyboardModifiers(), chord.key()))
        return HotkeyUpdate::Reserved;
    for (const QString &other : hotkeys) {
        if (sameShortcut(other) == wanted)
            return HotkeyUpdate::Clash;
    }
    return HotkeyUpdate::Accept;
}

QString ReservedChordMessage(const QString &shortcut)
{
    return QStringLiteral("%1 is kept by the system (it switches to a text console). Please choose another key.")
        .arg(shortcut);
}

} // namespace loqa
