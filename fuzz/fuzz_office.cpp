// The Word and OpenDocument readers on the same bytes: no crash, no hang, memory
// within small limits; a heading chapter starts with its own title.
#include "document/document.h"
#include "fuzzcheck.h"

#include <cstdint>

namespace {

void check(const loqa::doc::Result &result, const loqa::doc::Options &options)
{
    FUZZ_CHECK(result.ok == result.error.isEmpty());
    FUZZ_CHECK(result.text.size() <= options.limits.maxText);
    qsizetype previous = 0;
    for (const loqa::doc::Chapter &chapter : result.chapters) {
        FUZZ_CHECK(result.ok);
        FUZZ_CHECK(chapter.offset >= previous && chapter.offset <= result.text.size());
        FUZZ_CHECK(chapter.level >= 1 && !chapter.title.isEmpty());
        // Cut short by maxText, a heading may hold only the start of its title.
        const QStringView at = QStringView(result.text).mid(chapter.offset);
        FUZZ_CHECK(at.startsWith(chapter.title) || QStringView(chapter.title).startsWith(at));
        previous = chapter.offset;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    loqa::doc::Options options;
    options.limits.maxUnpacked = 4 << 20;
    options.limits.maxEntry = 1 << 20;
    options.limits.maxText = 1 << 20;
    check(loqa::doc::ReadDocx(input, options), options);
    check(loqa::doc::ReadOdt(input, options), options);
    return 0;
}
