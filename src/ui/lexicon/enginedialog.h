#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class TMSpeech;

// One of the speech engine's dialogs (TMSpeech::ShowDialog: 0 about, 1 general,
// 2 lexicon, 3 translate), shown the way every message is: in a box captioned
// with the application title; the lexicon dialog of an engine that applies the
// program's pronunciation dictionaries is the Pronunciation Manager, which keeps
// `dictionaryList` (DictionaryList). The
// engine's failures reach the caller; an unknown kind shows nothing.
void ShowEngineDialog(TMSpeech &speech, QStringList &dictionaryList, int kind, QWidget *owner,
                      const QString &title = QString());
