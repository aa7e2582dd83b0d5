// The HTML and Markdown readers (the first byte chooses): any bytes end in text
// within the limit, never a crash or a hang, and every chapter points at its own
// title in the text.
#include "document/document.h"
#include "fuzzcheck.h"

#include <QGuiApplication>

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // As the command line reads them: with a window system that draws nowhere.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    loqa::doc::Options options;
    options.limits.maxText = 1 << 16;
    const loqa::doc::Result result =
        data[0] & 1 ? loqa::doc::ReadMarkdown(input, options) : loqa::doc::ReadHtml(input, options);
    // The one refusal: a text longer than the limit.
    FUZZ_CHECK(result.ok ? result.error.isEmpty() : result.error == loqa::doc::TooLongText(options.limits.maxText));
    FUZZ_CHECK(result.text.size() <= options.limits.maxText);
    qsizetype previous = 0;
    for (const loqa::doc::Chapter &chapter : result.chapters) {
        FUZZ_CHECK(chapter.level >= 1 && chapter.level <= 6);
        FUZZ_CHECK(chapter.offset >= previous && chapter.offset <= result.text.size());
        previous = chapter.offset;
        // A heading cut by the limit leaves only its beginning.
        const QStringView at = QStringView(result.text).mid(chapter.offset, chapter.title.size());
        FUZZ_CHECK(QStringView(chapter.title).startsWith(at));
    }
    return 0;
}
