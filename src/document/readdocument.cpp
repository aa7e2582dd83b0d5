// The one door to the readers: a file's bytes to the reader its name calls for.
#include "document/document.h"

#include <QFile>
#include <QHash>

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
    using Reader = Result (*)(const QByteArray &, const Options &);
    static const QHash<Format, Reader> readers = {
        {Format::Pdf, ReadPdf},   {Format::Epub, ReadEpub},         {Format::Docx, ReadDocx}, {Format::Odt, ReadOdt},
        {Format::Html, ReadHtml}, {Format::Markdown, ReadMarkdown}, {Format::Rtf, ReadRtf},   {Format::Fb2, ReadFb2},
    };
    if (const Reader read = readers.value(FormatOf(path)))
        result = read(bytes, options);
    else
        result.error = QStringLiteral("The file is plain text");
    if (!result.ok)
        result.error = QStringLiteral("%1: %2").arg(path, result.error);
    return result;
}

} // namespace loqa::doc
