#include "globalhotkeys.h"

#include <QGuiApplication>

namespace loqa {

namespace {

class NullHotkeys final : public GlobalHotkeys
{
public:
    bool grab(QKeyCombination) override { return true; }
    void ungrab(QKeyCombination) override {}
    bool isReal() const override { return false; }
};

} // namespace

GlobalHotkeys::~GlobalHotkeys() = default;

std::unique_ptr<GlobalHotkeys> CreateNullHotkeys()
{
    return std::make_unique<NullHotkeys>();
}

GlobalHotkeys &GlobalHotkeys::instance()
{
    static std::unique_ptr<GlobalHotkeys> hotkeys = [] {
        std::unique_ptr<GlobalHotkeys> made;
        const bool forcedNull = qEnvironmentVariable("LOQA_PLATFORM") == QLatin1String("null");
        if (!forcedNull && qobject_cast<QGuiApplication *>(QCoreApplication::instance())
            && QGuiApplication::platformName() == QLatin1String("xcb"))
            made = CreateX11Hotkeys();
        if (!made)
            made = CreateNullHotkeys();
        return made;
    }();
    return *hotkeys;
}

} // namespace loqa
