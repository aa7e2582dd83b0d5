// The one door to the readers: a file's bytes to the reader its name calls for.
#include "document/document.h"

#include <QFile>

namespace loqa::doc {

namespace {

// No document people listen to comes near this; a bigger file is refused before it is read.
constexpr qint64 kMaxFileSize = 1LL << 30;

} // namespace

Result ReadDocument(const QString &path, const Options &options)
{
    Result result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return result;
    }
    if (file.size() > kMaxFileSize) {
        result.error = QStringLiteral("%1: The file is larger than 1 GB").arg(path);
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return result;
    }
    file.close();
    switch (FormatOf(path)) {
    case Format::Pdf:
        result = ReadPdf(bytes, options);
        break;
    case Format::Epub:
        result = ReadEpub(bytes, options);
        break;
    case Format::Docx:
        result = ReadDocx(bytes, options);
        break;
    case Format::Odt:
        result = ReadOdt(bytes, options);
        break;
    case Format::Html:
        result = ReadHtml(bytes, options);
        break;
    case Format::Markdown:
        result = ReadMarkdown(bytes, options);
        break;
    case Format::Rtf:
        result = ReadRtf(bytes, options);
        break;
    case Format::Fb2:
        result = ReadFb2(bytes, options);
        break;
    case Format::Text:
        result.error = QStringLiteral("The file is plain text");
        break;
    }
    if (!result.ok)
        result.error = QStringLiteral("%1: %2").arg(path, result.error);
    return result;
}

} // namespace loqa::doc
