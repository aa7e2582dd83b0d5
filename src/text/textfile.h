#pragma once

#include <QString>
#include <QStringList>

namespace loqa {

// A text file's lines as the reader speaks them. The bytes are decoded the way
// documents are (loqa::DecodeTextBytes: UTF-8, UTF-16 with a byte-order mark,
// a legacy code page uchardet recognises, else Windows-1252, so that no text is
// dropped).
// Lines end at CR LF, LF or CR. False when the file cannot be read.
bool LoadTextLines(const QString &path, QStringList &lines, QString *error = nullptr);

QString DecodeText(const QByteArray &bytes);
// A text's lines, as the speech component takes them: ended by CR LF, LF or CR.
// A last line end adds no empty line.
QStringList SplitTextLines(const QString &text);

} // namespace loqa
