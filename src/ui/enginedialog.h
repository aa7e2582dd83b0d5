#pragma once

#include <QString>

class QWidget;
class TMSpeech;

// One of the speech engine's dialogs (TMSpeech::ShowDialog: 0 about, 1 general,
// 2 lexicon, 3 translate), shown the way every message is: in a box captioned
// with the application title. The engine's failures reach the caller; an
// unknown kind shows nothing.
void ShowEngineDialog(TMSpeech &speech, int kind, QWidget *owner, const QString &title = QString());
