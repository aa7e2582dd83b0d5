// loqa.apl: any bytes give a list of paths, and the list written from it reads
// back as the same list.
#include "fuzzcheck.h"
#include "settings/documentlist.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList paths = loqa::ParseDocumentList(input);
    for (const QString &path : std::as_const(paths))
        FUZZ_CHECK(!path.contains(QLatin1Char('\r')) && !path.contains(QLatin1Char('\n')));

    // A first path that starts with U+FEFF would be read back as a byte order mark.
    while (!paths.isEmpty() && paths.first().startsWith(QChar(0xFEFF)))
        paths.removeFirst();
    const QByteArray written = loqa::FormatDocumentList(paths);
    FUZZ_CHECK(loqa::ParseDocumentList(written) == paths);
    FUZZ_CHECK(loqa::FormatDocumentList(loqa::ParseDocumentList(written)) == written);
    return 0;
}
