// An EPUB reader on any bytes: no crash, no hang, memory within small limits, and
// a text that was read has its chapters inside it, in order.
#include "document/document.h"
#include "fuzzcheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    loqa::doc::Options options;
    options.limits.maxUnpacked = 4 << 20;
    options.limits.maxEntry = 1 << 20;
    options.limits.maxText = 1 << 20;
    const loqa::doc::Result result = loqa::doc::ReadEpub(input, options);
    FUZZ_CHECK(result.ok == result.error.isEmpty());
    FUZZ_CHECK(result.text.size() <= options.limits.maxText);
    qsizetype previous = 0;
    for (const loqa::doc::Chapter &chapter : result.chapters) {
        FUZZ_CHECK(result.ok);
        FUZZ_CHECK(chapter.offset >= previous && chapter.offset <= result.text.size());
        FUZZ_CHECK(chapter.level >= 1 && !chapter.title.isEmpty());
        previous = chapter.offset;
    }
    return 0;
}
