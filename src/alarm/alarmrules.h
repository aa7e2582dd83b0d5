#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTime>

// What the spoken-time alarm and the reminders decide, without a window.
namespace loqa {

// A time format with its time-zone part (the letters "t" outside quotes, and the
// blanks that joined them to the rest) taken out.
QString WithoutTimeZone(const QString &format);

// The locale's long time format without the time zone: the time of the alarm.
QString TimeText(QTime time, const QLocale &locale = QLocale::system());
// A moment as text: the date in the locale's short date format, one blank, the
// time in its long time format without the time zone. Both the reminder keys and
// the moment text of each tick are made here, so that they can match; the
// options dialog builds a key from its date and time pickers with it.
QString MomentText(QDate date, QTime time, const QLocale &locale = QLocale::system());

// The alarm fires on second 0 of the minutes that are multiples of `interval`;
// an interval of 0 never fires.
bool AlarmDue(QTime time, int interval);

// The settings of the [Alarm] section the alarm step reads.
struct AlarmStepSettings {
    int interval = 60;
    int style = 0; // 0 say the time, 1 read a text file, 2 play a sound
    QString before = QStringLiteral("The time now is");
    QString after;
    bool withDate = false;
    QString txtFile;
    QString wavFile;
    bool msgBox = false;
};

// What one alarm second asks of the window.
struct AlarmAction {
    enum Kind { Nothing, Speak, PlaySound };
    Kind kind = Nothing;
    QString text;      // Speak: the text to read aloud
    QString soundFile; // PlaySound: the wave file
    QString boxText;   // the message box's text; empty: no box
};

// The alarm step for one second of local time. Style 1 reads its text file here;
// a file that cannot be read is spoken as "File <path> open error!".
AlarmAction AlarmStep(const AlarmStepSettings &settings, QDate date, QTime time,
                      const QLocale &locale = QLocale::system());

struct ReminderEntry {
    QString key;
    QString message;
};

// The entries of the reminder list ("key=message", split at the first "=") whose
// key is exactly `moment`, in list order. A line without "=" has no key and
// never fires.
QList<ReminderEntry> DueReminders(const QStringList &list, const QString &moment);
// The reminder's message box: the key, CR LF CR LF, the message.
QString ReminderBoxText(const ReminderEntry &entry);

} // namespace loqa
