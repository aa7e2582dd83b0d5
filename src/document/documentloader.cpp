#include "document/documentloader.h"

#include <QMetaObject>

namespace loqa::doc {

DocumentLoader::DocumentLoader(const QString &path, const Options &options, QObject *parent)
    : QObject(parent), m_path(path), m_options(options)
{}

DocumentLoader::~DocumentLoader()
{
    m_cancelled = true;
    if (m_thread)
        m_thread->wait();
}

void DocumentLoader::start()
{
    if (m_thread)
        return;
    m_thread.reset(QThread::create([this] { run(); }));
    m_thread->start();
}

void DocumentLoader::run()
{
    // How much of the text went out: up to its last character that is not white
    // space, which later text never changes (TextBuilder only appends, and shapes
    // a paragraph's end only when the next one starts).
    qsizetype sent = 0;
    const auto post = [this](auto call) { QMetaObject::invokeMethod(this, call, Qt::QueuedConnection); };
    Options options = m_options;
    options.progress = [&](const QString &textSoFar, int, int) {
        if (m_cancelled)
            return false;
        qsizetype stable = textSoFar.size();
        while (stable > sent && textSoFar.at(stable - 1).isSpace())
            --stable;
        if (stable > sent) {
            post([this, piece = textSoFar.mid(sent, stable - sent)] { emit textArrived(piece); });
            sent = stable;
        }
        return true;
    };
    Result result = ReadDocument(m_path, options);
    if (m_cancelled)
        return;
    if (!result.ok) {
        post([this, error = result.error] { emit failed(error); });
        return;
    }
    if (result.text.size() > sent)
        post([this, piece = result.text.mid(sent)] { emit textArrived(piece); });
    post([this, chapters = std::move(result.chapters)] { emit finished(chapters); });
}

} // namespace loqa::doc
