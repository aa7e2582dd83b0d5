// Plain text decoding: any bytes decode (UTF-8, UTF-16, a legacy code page or
// Windows-1252), and a document made of them writes its unchanged text back as
// the very same bytes in the same encoding.
#include "fuzzcheck.h"
#include "text/documentfile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    const loqa::DecodedText decoded = loqa::DecodeTextBytes(input);
    FUZZ_CHECK((decoded.encoding == loqa::TextEncoding::Legacy) == !decoded.legacyName.isEmpty());
    FUZZ_CHECK(input.isEmpty() || !decoded.text.isEmpty() || decoded.bom);

    loqa::DocumentFile doc;
    doc.setBytes(input);
    FUZZ_CHECK(doc.encoding() == decoded.encoding);
    FUZZ_CHECK(doc.encodingName() == loqa::EncodingName(decoded.encoding, decoded.legacyName));
    loqa::TextEncoding written = loqa::TextEncoding::Utf8;
    const QByteArray bytes = doc.toBytes(doc.text(), &written);
    FUZZ_CHECK(written == doc.encoding());
    FUZZ_CHECK(bytes == input);
    return 0;
}
