#pragma once

#include "settings/settings.h"

#include <QColor>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTime>

#include <array>
#include <optional>

// What the options dialog decides, without a window: the MP3 quality checks,
// the speed and pitch texts, the folder settings, the clamped numbers, the
// reminder rows and the hotkey update.
namespace loqa {

// The items of the frequency, bitrate and speed lists, in list order.
const QStringList &FrequencyItems();
const QStringList &BitrateItems();
const QStringList &SpeedItems();

// The list index whose text equals `text`, or -1 (the list then shows no selection).
int ItemIndexOf(const QStringList &items, const QString &text);
// A stored index for a list of `count` items: itself when it names one, else -1.
int ListIndexFor(int value, int count);

// A new frequency: the bitrate goes back to "128" and the frequency's text is kept
// ("22.05" when it is not a number).
struct FrequencyChange {
    QString khz;
    QString kbps;
};
FrequencyChange FrequencyChanged(const QString &frequency);

// A bitrate checked against the frequency list's selection (`frequencyIndex`, -1
// for none). The first six frequencies (8 to 24 kHz) allow the MPEG-2 layer III
// bitrates, the others, and no selection, the MPEG-1 ones. A bitrate outside its
// set becomes "128" and `message` says why; the stored text is "128" when the
// bitrate is not a number.
struct BitrateCheck {
    QString kbps;
    QString message; // empty when the bitrate was allowed
};
BitrateCheck CheckBitrate(int frequencyIndex, const QString &bitrate);

// The speed item for RealTime: the whole multiple of real time (256), then " X".
QString SpeedItemText(int realTime);
// RealTime from a speed item: its number times 256, 2048 when it has none.
int RealTimeFromItem(const QString &item);

// "Pitch of Voices: 50% [225]": the share of 50..400, rounded down, and the pitch.
QString PitchLabelText(int pit);

// A folder the picker gave, as the edit shows it: one trailing "/" removed,
// except from the root "/".
QString PickedFolderText(const QString &picked);
// The setting an edit's text gives: the text ending with "/" ("" stays "").
QString FolderSetting(const QString &text);

// A stored number shown by a control with bounds: the value the control shows,
// and the value to store, which is there only when the shown value differs from
// the control's design value (the dialog sets a control as the user would, and
// that runs its handling only for a change).
struct ClampedNumber {
    int shown = 0;
    std::optional<int> stored;
};
ClampedNumber ClampForControl(int value, int low, int high, int design);

// A number typed into a spin box with bounds, as it stands when the field is
// left: clamped to them; a text that is no number counts as 0, clamped too.
int ClampTypedNumber(const QString &text, int low, int high);

// A colour as the editor's colour settings keep it: 0x00BBGGRR.
qint32 BgrValue(const QColor &colour);

// A number typed into a spin box; `fallback` when it is not one.
int SpinNumber(const QString &text, int fallback);

// One row of the reminder list: its "Date", "Time" and "Message" texts.
struct ReminderRow {
    QString date;
    QString time;
    QString message;
    bool operator==(const ReminderRow &) const = default;
};

// The rows for ReminderList. A line whose key (before the first "=") is not a
// date and time in the locale's formats ends the rows there with an empty row,
// and `complete` is false.
struct ReminderRows {
    QList<ReminderRow> rows;
    bool complete = true;
};
ReminderRows ReminderRowsFrom(const QStringList &list, const QLocale &locale = QLocale::system());
// A row made from the date and time fields and the message (its line breaks become blanks).
ReminderRow ReminderRowFor(QDate date, QTime time, const QString &message, const QLocale &locale = QLocale::system());
// The date and time a row's texts name; invalid when they name none.
QDateTime ReminderRowMoment(const ReminderRow &row, const QLocale &locale = QLocale::system());
// The rows in the list view's order: by the "Date" text (text order, not date
// order); rows with equal dates keep their order. Returns where row `keep` went.
int SortReminderRows(QList<ReminderRow> &rows, int keep = -1);
// ReminderList rebuilt from the rows: "Date Time=Message" each, in row order.
QStringList ReminderListFrom(const QList<ReminderRow> &rows);

// What "Update" does with the key field's text for action `index`.
enum class HotkeyUpdate {
    Unchanged, // the field holds the action's own shortcut: nothing happens
    Reserved,  // a chord the system keeps for itself: refused
    Clash,     // another action has it: refused with "This Hotkey already exists!"
    Accept,    // the action takes it (the empty text: no shortcut)
};
HotkeyUpdate DecideHotkeyUpdate(const std::array<QString, HotkeyCount> &hotkeys, int index, const QString &entered);

// The messages the dialog shows.
QString ReservedChordMessage(const QString &shortcut);

} // namespace loqa
