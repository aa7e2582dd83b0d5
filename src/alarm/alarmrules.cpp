#include "alarm/alarmrules.h"

#include "text/textfile.h"

namespace loqa {

QString WithoutTimeZone(const QString &format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('t')) {
            while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('t'))
                ++i;
            // The blanks before the zone go with it; at the start, the ones after it.
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            if (out.isEmpty()) {
                while (i + 1 < format.size() && format.at(i + 1).isSpace())
                    ++i;
            }
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

QString TimeText(QTime time, const QLocale &locale)
{
    return locale.toString(time, WithoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

QString MomentText(QDate date, QTime time, const QLocale &locale)
{
    return locale.toString(date, locale.dateFormat(QLocale::ShortFormat)) + QLatin1Char(' ') + TimeText(time, locale);
}

bool AlarmDue(QTime time, int interval)
{
    return interval != 0 && time.second() == 0 && time.minute() % interval == 0;
}

AlarmAction AlarmStep(const AlarmStepSettings &settings, QDate date, QTime time, const QLocale &locale)
{
    AlarmAction action;
    if (!AlarmDue(time, settings.interval))
        return action;
    const QLatin1Char blank(' ');
    switch (settings.style) {
    case 0: {
        const QString said = settings.withDate ? MomentText(date, time, locale) : TimeText(time, locale);
        action.kind = AlarmAction::Speak;
        action.text = settings.before + blank + said + blank + settings.after;
        break;
    }
    case 1: {
        QStringList lines;
        if (settings.txtFile.isEmpty() || !LoadTextLines(settings.txtFile, lines))
            lines = {QStringLiteral("File ") + settings.txtFile + QStringLiteral(" open error!")};
        QString joined;
        for (const QString &line : std::as_const(lines))
            joined += line + QLatin1Char('\n');
        action.kind = AlarmAction::Speak;
        action.text = settings.before + blank + joined + blank + settings.after;
        break;
    }
    case 2:
        action.kind = AlarmAction::PlaySound;
        action.soundFile = settings.wavFile;
        if (settings.msgBox)
            action.boxText = QStringLiteral("Sound Alarm!");
        return action;
    default:
        return action;
    }
    if (settings.msgBox)
        action.boxText = action.text;
    return action;
}

QList<ReminderEntry> DueReminders(const QStringList &list, const QString &moment)
{
    QList<ReminderEntry> due;
    for (const QString &line : list) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && QStringView(line).left(eq) == moment)
            due.append({line.left(eq), line.mid(eq + 1)});
    }
    return due;
}

QString ReminderBoxText(const ReminderEntry &entry)
{
    return entry.key + QStringLiteral("\r\n\r\n") + entry.message;
}

} // namespace loqa
