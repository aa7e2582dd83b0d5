#include "commands/commandnames.h"

#include "commands/actions.h"

#include <array>
#include <utility>

namespace loqa {

namespace {

constexpr std::array<std::pair<const char *, int>, 14> kCommands{{
    {"read-aloud", ActionTTS},
    {"read-wav", ActionTTW},
    {"read-mp3", ActionTTM},
    {"read-from-cursor", ActionTTXCursor},
    {"read-selected", ActionTTXSelected},
    {"pause", ActionPause},
    {"stop", ActionStop},
    {"prev", ActionPrev},
    {"next", ActionNext},
    {"read-clipboard", ActionReadClipboard},
    {"options", ActionOptions},
    {"show", ShowWindowCommand},
    {"show-hide", ActionShowMain},
    {"exit", ActionFileExit},
}};

} // namespace

int CommandForName(const QString &name)
{
    for (const auto &[text, command] : kCommands) {
        if (name == QLatin1String(text))
            return command;
    }
    return -1;
}

QStringList CommandNames()
{
    QStringList names;
    for (const auto &entry : kCommands)
        names << QLatin1String(entry.first);
    return names;
}

} // namespace loqa
