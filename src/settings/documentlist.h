#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The files beside the settings: loqa.apl, the document list, and the sample
// documents of a first start.
namespace loqa {

// loqa.apl: one path per line, each ended by CR LF. Reading splits at CR, LF or
// both; a last line ending adds no entry. Paths holding a line break cannot be
// kept in this format and are left out.
QStringList ParseDocumentList(QByteArrayView bytes);
QByteArray FormatDocumentList(const QStringList &paths);

// The sample documents of a first start, in tab order:
// AppPath + "txt/sample1.txt", "txt/sample2.txt", "txt/sample3.txt".
QStringList SampleDocumentPaths();
// True while AppPath holds no loqa.ini yet.
bool IsFirstStart();
// Copies the sample documents shipped with the program into AppPath + "txt/",
// making that folder when it is missing. A file already there is never
// replaced. Returns how many documents were copied.
int InstallSampleDocuments();

} // namespace loqa
