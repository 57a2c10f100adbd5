#include "HeadlessRender.h"

#include "CDrawContext.h"
#include "CView.h"
#include "CViewContainer.h"
#include "platform/NativeCanvas.h"

native::RgbaPixels renderView(CView& view)
{
    CRect area = view.getViewSize();
    auto canvas = native::createImageCanvas(area.width(), area.height());
    if (!canvas)
        return {};
    CNativeDrawContext context(*canvas);
    // The view draws at its own size: move that corner to the image's origin.
    context.moveOrigin(-area.left, -area.top);
    context.clipTo(area);
    if (auto* container = dynamic_cast<CViewContainer*>(&view))
        container->drawRect(&context, area);
    else
        view.draw(&context);
    return canvas->pixels();
}

bool renderViewToPng(CView& view, const std::filesystem::path& file, std::string& error)
{
    native::RgbaPixels pixels = renderView(view);
    if (pixels.width == 0) {
        error = "the view has no area to draw";
        return false;
    }
    return native::writePngFile(pixels, file, error);
}
