#pragma once

#include <QByteArray>
#include <QString>

namespace loqa {

// Plays the alarm's wave file through Loquora's own sound output without waiting
// for it. A file that is missing or cannot be played gives the built-in tone in
// its place; nothing is reported either way.
void PlayAlarmSound(const QString &path);

// The built-in tone as a WAV file's bytes: two short beeps, 16-bit mono.
QByteArray AlarmToneWav();

} // namespace loqa
