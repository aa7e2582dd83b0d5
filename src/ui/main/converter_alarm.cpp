// The window's side of the spoken-time alarm and the reminders: one timer that
// wakes at each second of the clock and gives each second once, the alarm step,
// then the reminder step.
#include "ui/main/converter.h"

#include "alarm/alarmrules.h"
#include "alarm/alarmsound.h"
#include "platform/apppath.h"
#include "platform/guarded.h"
#include "reading/readingcontroller.h"

#include <QMessageBox>
#include <QTimer>

using namespace loqa;

namespace {

AlarmStepSettings alarmStepSettings(const AlarmSettings &alarm)
{
    AlarmStepSettings s;
    s.interval = alarm.AlarmInterval;
    s.style = alarm.AlarmStyle;
    s.before = alarm.AlarmBefore;
    s.after = alarm.AlarmAfter;
    s.withDate = alarm.AlarmDate;
    s.txtFile = alarm.AlarmTxtFile;
    s.wavFile = alarm.AlarmWavFile;
    s.msgBox = alarm.AlarmMsgBox;
    return s;
}

} // namespace

void TFormCvt::CreateAandRTimer()
{
    FAandRTicker.SetClock(SecondTicker::ClockFromEnvironment());
    TimerAandR = new QTimer(this);
    TimerAandR->setObjectName(QStringLiteral("TimerAandR"));
    // Restarted at every wake for the start of the next second.
    TimerAandR->setSingleShot(true);
    TimerAandR->setTimerType(Qt::PreciseTimer);
    connect(TimerAandR, &QTimer::timeout, this, &TFormCvt::TimerAandRTimer);
}

void TFormCvt::StartAandRTimer(bool on)
{
    if (!on) {
        TimerAandR->stop();
    } else if (!TimerAandR->isActive()) {
        FAandRTicker.Start();
        TimerAandR->start(FAandRTicker.MsToNextSecond());
    }
}

void TFormCvt::TimerAandRTimer()
{
    QList<QDateTime> seconds;
    guarded([&] { seconds = FAandRTicker.Tick(); });
    // The next wake is set before any work, so that work that takes long or waits
    // in a nested event loop delays no second.
    guarded([&] {
        if (FSettings.alarm.Alarm || FSettings.reminder.Reminder)
            TimerAandR->start(FAandRTicker.MsToNextSecond());
    });
    for (const QDateTime &second : std::as_const(seconds)) {
        if (FSettings.alarm.Alarm)
            guarded([&] { AlarmStepAt(second); });
        if (FSettings.reminder.Reminder)
            guarded([&] { ReminderStepAt(second); });
    }
}

void TFormCvt::AlarmStepAt(const QDateTime &second)
{
    const AlarmAction action = AlarmStep(alarmStepSettings(FSettings.alarm), second.date(), second.time());
    if (action.kind == AlarmAction::Speak)
        SpeakAandR(action.text);
    else if (action.kind == AlarmAction::PlaySound)
        PlayAlarmSound(action.soundFile);
    if (!action.boxText.isEmpty())
        ShowAandRBox(action.boxText);
}

void TFormCvt::ReminderStepAt(const QDateTime &second)
{
    const QList<ReminderEntry> due =
        DueReminders(FSettings.lists.ReminderList, MomentText(second.date(), second.time()));
    for (const ReminderEntry &entry : due) {
        guarded([&] {
            SpeakAandR(entry.message);
            if (FSettings.reminder.ReminderMsgBox)
                ShowAandRBox(ReminderBoxText(entry));
        });
    }
}

void TFormCvt::SpeakAandR(const QString &text)
{
    // Aloud, as free text; a reading in progress gives way to it.
    Reading->Announce(text);
}

void TFormCvt::ShowAandRBox(const QString &text)
{
    // Not modal: the timer goes on, and each later alarm or reminder gets a box of its own.
    auto *box = new QMessageBox(QMessageBox::Information, ApplicationTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
