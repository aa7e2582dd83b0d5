// The FictionBook reader: any bytes end in text within the limit or an error,
// never a crash, a hang or an entity that unfolds without end; every chapter
// points at its own title in the text.
#include "document/document.h"
#include "fuzzcheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    loqa::doc::Options options;
    options.limits.maxText = 1 << 16;
    const loqa::doc::Result result = loqa::doc::ReadFb2(input, options);
    FUZZ_CHECK(result.ok == result.error.isEmpty());
    FUZZ_CHECK(result.text.size() <= options.limits.maxText);
    if (!result.ok)
        return 0;
    for (const loqa::doc::Chapter &chapter : result.chapters) {
        FUZZ_CHECK(chapter.level >= 1);
        FUZZ_CHECK(chapter.offset >= 0 && chapter.offset <= result.text.size());
        FUZZ_CHECK(QStringView(result.text).mid(chapter.offset, chapter.title.size()) == chapter.title);
    }
    return 0;
}
