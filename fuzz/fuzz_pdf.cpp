// The PDF reader on any bytes: never a crash, a hang or unbounded memory, and a
// text whose chapters all point into it.
#include "document/document.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    loqa::doc::Options options;
    options.limits.maxPages = 50;
    options.limits.maxText = 1 << 20;
    int told = 0;
    options.progress = [&told](const QString &, int done, int total) {
        FUZZ_CHECK(done >= 1 && done <= total && total <= 50);
        ++told;
        return true;
    };
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const loqa::doc::Result result = loqa::doc::ReadPdf(bytes, options);
    if (result.ok) {
        FUZZ_CHECK(result.error.isEmpty());
        FUZZ_CHECK(told >= 1);
        FUZZ_CHECK(result.text.size() <= options.limits.maxText);
        qsizetype previous = 0;
        for (const loqa::doc::Chapter &chapter : result.chapters) {
            FUZZ_CHECK(chapter.offset >= previous && chapter.offset <= result.text.size());
            FUZZ_CHECK(chapter.level >= 1 && !chapter.title.isEmpty());
            previous = chapter.offset;
        }
    } else {
        FUZZ_CHECK(!result.error.isEmpty() && result.text.isEmpty());
    }
    return 0;
}
