#include "Screenshot.h"

#include "HostedPlugin.h"

#include "platform/NativeHostWindow.h"
#include "platform/NativeImage.h"

#include <chrono>
#include <thread>

namespace {

constexpr int kIdleRounds = 40; // about a second at the 25 Hz that hosts use
constexpr int kIdleMillis = 25;
constexpr int kLargestSide = 8192;

bool editorSize(HostedPlugin& host, int& width, int& height)
{
    return host.editorSize(width, height) && width > 0 && height > 0 && width <= kLargestSide &&
           height <= kLargestSide;
}

// Closes the editor however the capture ends.
struct OpenEditor {
    HostedPlugin& host;
    ~OpenEditor() { host.closeEditor(); }
};

} // namespace

void takeEditorScreenshot(HostedPlugin& host, const std::string& pngPath)
{
    if (!host.hasEditor())
        throw HostError("the plug-in has no editor");
    int width = 0, height = 0;
    // Some plug-ins know their size only once open: then start small and ask again.
    bool sizeKnown = editorSize(host, width, height);
    std::string error;
    auto window =
        native::createHostWindow(sizeKnown ? width : 320, sizeKnown ? height : 240, "morvelline-render", error);
    if (!window)
        throw HostError(error);
    if (!host.openEditor(window->systemHandle()))
        throw HostError("the plug-in refused to open its editor");
    OpenEditor open{host};
    if (editorSize(host, width, height))
        window->resize(width, height);
    else if (!sizeKnown)
        throw HostError("the plug-in's editor reports no size");
    for (int round = 0; round < kIdleRounds; ++round) {
        host.idleEditor();
        window->processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(kIdleMillis));
    }
    native::RgbaPixels pixels;
    if (!window->capture(pixels, error) || !native::writePngFile(pixels, pngPath, error))
        throw HostError(error);
}
