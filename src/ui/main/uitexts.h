#pragma once

#include <QString>
#include <QStringList>

// Texts and pictures the main window shows, decided without a window.
namespace loqa {

// " Volume: 50% [32768] -- Left/Right arrow key to Fine-tune"
QString VolumeStatusText(int position);
// " Speed: 50% [275] -- Left/Right arrow key to Fine-tune"
QString SpeedStatusText(int position);
// " /path/to/file.txt [1234 Bytes]"
QString DocumentStatusText(const QString &path, const QString &sizeText);
// The voice list's picture for a voice name: 0 male, 1 female, 2, 3, 4 for
// some well-known voices, 5 otherwise.
int EngineImageIndex(const QString &name);
// The captions of one menu, each with a mnemonic ('&') none of the others in the
// list shares: a word's first letter where one is free, else any free letter or
// digit, else none. Captions that already carry one keep it; "&&" is a plain '&'.
QStringList WithMnemonics(const QStringList &captions);

} // namespace loqa
