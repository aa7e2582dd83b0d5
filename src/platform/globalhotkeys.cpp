#include "platform/globalhotkeys.h"

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
        const QString forced = qEnvironmentVariable("LOQA_PLATFORM");
        const bool gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
        const QString platform = gui ? QGuiApplication::platformName() : QString();
        const bool xcb = platform == QLatin1String("xcb");
        // Off-screen and minimal toolkits have no desktop whose portal could answer.
        const bool desktop =
            gui && !xcb && platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
        if (forced == QLatin1String("portal") || (forced.isEmpty() && desktop))
            made = CreatePortalHotkeys();
        else if (forced != QLatin1String("null") && xcb)
            made = CreateX11Hotkeys();
        if (!made)
            made = CreateNullHotkeys();
        return made;
    }();
    return *hotkeys;
}

} // namespace loqa
