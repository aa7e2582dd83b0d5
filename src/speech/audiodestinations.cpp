#include "speech/audiodestinations.h"

namespace speech {

FileDestination::~FileDestination()
{
    flush(nullptr);
}

bool FileDestination::set(const QString &fileName)
{
    auto target = std::make_shared<FileTarget>();
    if (fileName.isEmpty() || !target->writer.open(fileName, m_rate, 1))
        return false;
    std::shared_ptr<FileTarget> previous;
    {
        std::lock_guard lock(m_currentLock);
        previous = std::exchange(m_current, target);
    }
    if (previous) {
        std::lock_guard lock(previous->writerLock);
        previous->writer.finish();
    }
    return true;
}

bool FileDestination::flush(QString *reason)
{
    std::shared_ptr<FileTarget> target = current();
    if (!target)
        return true;
    std::lock_guard lock(target->writerLock);
    if (target->writer.finish())
        return true;
    if (reason)
        *reason = target->writer.errorString();
    return false;
}

std::shared_ptr<FileTarget> FileDestination::current()
{
    std::lock_guard lock(m_currentLock);
    return m_current;
}

} // namespace speech
