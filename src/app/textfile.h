#pragma once

#include <QString>
#include <QStringList>

namespace loqa {

// A text file's lines as the reader speaks them. The bytes are read as UTF-8
// (with or without a byte-order mark), UTF-16 with a byte-order mark, or, when
// they are none of these, Windows-1252, so that no text is dropped.
// Lines end at CR LF, LF or CR. False when the file cannot be read.
bool LoadTextLines(const QString &path, QStringList &lines, QString *error = nullptr);

QString DecodeText(const QByteArray &bytes);
QStringList SplitLines(const QString &text);

} // namespace loqa
