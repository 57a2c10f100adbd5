#include "ClapGui.h"

#include "ClapPlugin.h"
#include "editor/Editor.h"

#include <cstring>

namespace {

#ifdef _WIN32
constexpr const char* kWindowApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* kWindowApi = CLAP_WINDOW_API_X11;
#endif

// The editor handles its window's events and redraws at this pace.
constexpr uint32_t kIdlePeriodMs = 30;

Editor* editorOf(const clap_plugin_t* plugin)
{
    return ClapPlugin::of(plugin).editorWindow.get();
}

bool CLAP_ABI guiIsApiSupported(const clap_plugin_t*, const char* api, bool isFloating)
{
    return api && !isFloating && std::strcmp(api, kWindowApi) == 0;
}

bool CLAP_ABI guiPreferredApi(const clap_plugin_t*, const char** api, bool* isFloating)
{
    if (!api || !isFloating)
        return false;
    *api = kWindowApi;
    *isFloating = false;
    return true;
}

bool CLAP_ABI guiCreate(const clap_plugin_t* plugin, const char* api, bool isFloating)
{
    if (!guiIsApiSupported(plugin, api, isFloating))
        return false;
    ClapPlugin& self = ClapPlugin::of(plugin);
    if (!self.editorWindow)
        self.editorWindow = std::make_unique<Editor>(nullptr, self.instrument());
    const auto* timers = self.hostExtension<clap_host_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
    if (timers && timers->register_timer && self.guiTimer == CLAP_INVALID_ID)
        timers->register_timer(self.clapHost(), kIdlePeriodMs, &self.guiTimer);
    return true;
}

void CLAP_ABI guiDestroy(const clap_plugin_t* plugin)
{
    ClapPlugin& self = ClapPlugin::of(plugin);
    const auto* timers = self.hostExtension<clap_host_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
    if (timers && timers->unregister_timer && self.guiTimer != CLAP_INVALID_ID)
        timers->unregister_timer(self.clapHost(), self.guiTimer);
    self.guiTimer = CLAP_INVALID_ID;
    if (self.editorWindow)
        self.editorWindow->close();
    self.editorWindow.reset();
}

// The editor draws at its own three sizes; the host's scale does not change them.
bool CLAP_ABI guiSetScale(const clap_plugin_t*, double)
{
    return false;
}

bool CLAP_ABI guiGetSize(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height)
{
    Editor* editor = editorOf(plugin);
    ERect* rect = nullptr;
    if (!editor || !width || !height || !editor->getRect(&rect) || !rect)
        return false;
    *width = uint32_t(rect->right - rect->left);
    *height = uint32_t(rect->bottom - rect->top);
    return true;
}

bool CLAP_ABI guiCanResize(const clap_plugin_t*)
{
    return false;
}

bool CLAP_ABI guiResizeHints(const clap_plugin_t*, clap_gui_resize_hints_t*)
{
    return false;
}

bool CLAP_ABI guiAdjustSize(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height)
{
    return guiGetSize(plugin, width, height);
}

bool CLAP_ABI guiSetSize(const clap_plugin_t* plugin, uint32_t width, uint32_t height)
{
    uint32_t ownWidth = 0;
    uint32_t ownHeight = 0;
    return guiGetSize(plugin, &ownWidth, &ownHeight) && width == ownWidth && height == ownHeight;
}

bool CLAP_ABI guiSetParent(const clap_plugin_t* plugin, const clap_window_t* window)
{
    Editor* editor = editorOf(plugin);
    if (!editor || !window || !window->api || std::strcmp(window->api, kWindowApi) != 0)
        return false;
#ifdef _WIN32
    void* parent = window->win32;
#else
    void* parent = reinterpret_cast<void*>(uintptr_t(window->x11));
#endif
    return editor->open(parent);
}

bool CLAP_ABI guiSetTransient(const clap_plugin_t*, const clap_window_t*)
{
    return false;
}

void CLAP_ABI guiSuggestTitle(const clap_plugin_t*, const char*) {}

// The window lives inside the host's: showing and hiding it is the host's own.
bool CLAP_ABI guiShow(const clap_plugin_t* plugin)
{
    return editorOf(plugin) != nullptr;
}

bool CLAP_ABI guiHide(const clap_plugin_t* plugin)
{
    return editorOf(plugin) != nullptr;
}

void CLAP_ABI timerTick(const clap_plugin_t* plugin, clap_id)
{
    if (Editor* editor = editorOf(plugin); editor && editor->isOpen())
        editor->idle();
}

} // namespace

const clap_plugin_gui_t kClapGui{guiIsApiSupported, guiPreferredApi, guiCreate,     guiDestroy,      guiSetScale,
                                 guiGetSize,        guiCanResize,    guiResizeHints, guiAdjustSize,   guiSetSize,
                                 guiSetParent,      guiSetTransient, guiSuggestTitle, guiShow,        guiHide};
const clap_plugin_timer_support_t kClapTimerSupport{timerTick};
