#include "app/WaylandDecorations.h"

#include <QtGlobal>

#include <cstring>
#include <memory>
#include <wayland-client.h>

namespace {

struct Globals {
    bool decorationManager = false;
};

// Runs on the calling thread, inside wl_display_roundtrip.
void announced(void* data, wl_registry*, uint32_t, const char* interface, uint32_t)
{
    if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0)
        static_cast<Globals*>(data)->decorationManager = true;
}

// Runs on the calling thread, inside wl_display_roundtrip.
void withdrawn(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kListener{announced, withdrawn};

} // namespace

CompositorTitleBars compositorTitleBars()
{
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET"))
        return CompositorTitleBars::Unknown;
    const std::unique_ptr<wl_display, decltype(&wl_display_disconnect)> display(wl_display_connect(nullptr),
                                                                                &wl_display_disconnect);
    if (!display)
        return CompositorTitleBars::Unknown;
    const std::unique_ptr<wl_registry, decltype(&wl_registry_destroy)> registry(
        wl_display_get_registry(display.get()), &wl_registry_destroy);
    Globals globals;
    if (!registry || wl_registry_add_listener(registry.get(), &kListener, &globals) != 0)
        return CompositorTitleBars::Unknown;
    if (wl_display_roundtrip(display.get()) < 0)
        return CompositorTitleBars::Unknown;
    return globals.decorationManager ? CompositorTitleBars::Drawn : CompositorTitleBars::NotDrawn;
}

TitleBar chooseTitleBar(bool environmentChose, CompositorTitleBars compositor, bool qtLoadsEglToAsk)
{
    if (environmentChose)
        return TitleBar::Qt;
    switch (compositor) {
    case CompositorTitleBars::Drawn:
        return TitleBar::Compositor;
    case CompositorTitleBars::NotDrawn:
        return qtLoadsEglToAsk ? TitleBar::Panel : TitleBar::Qt;
    case CompositorTitleBars::Unknown:
        break;
    }
    return TitleBar::Qt;
}
