// The editor window on X11: a child of the host's window on a connection of our own, whose
// events are handled only when the host calls the editor's idle. Painting goes to a back buffer
// that is copied to the window, so a redraw never flickers.
#include "../NativeWindow.h"
#include "../TextEditModel.h"

#include "CairoCanvas.h"
#include "X11ErrorTrap.h"
#include "X11PopupMenu.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace native {

namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | LeaveWindowMask |
                            EnterWindowMask | KeyPressMask | KeyReleaseMask | StructureNotifyMask;
constexpr Time kDoubleClickMillis = 400;
constexpr int kDoubleClickDistance = 4;

unsigned modifiersOf(unsigned state)
{
    unsigned flags = 0;
    if (state & ShiftMask)
        flags |= kShiftKey;
    if (state & ControlMask)
        flags |= kControlKey;
    if (state & Mod1Mask)
        flags |= kAltKey;
    return flags;
}

unsigned heldButtonsOf(unsigned state)
{
    unsigned flags = 0;
    if (state & Button1Mask)
        flags |= kLeftButton;
    if (state & Button2Mask)
        flags |= kMiddleButton;
    if (state & Button3Mask)
        flags |= kRightButton;
    return flags;
}

unsigned buttonFlag(unsigned button)
{
    switch (button) {
    case Button1:
        return kLeftButton;
    case Button2:
        return kMiddleButton;
    case Button3:
        return kRightButton;
    default:
        return 0;
    }
}

int virtualKeyOf(KeySym sym)
{
    switch (sym) {
    case XK_BackSpace:
        return 1;
    case XK_Tab:
        return 2;
    case XK_Return:
        return 4;
    case XK_Escape:
        return 6;
    case XK_space:
        return 7;
    case XK_End:
    case XK_KP_End:
        return 9;
    case XK_Home:
    case XK_KP_Home:
        return 10;
    case XK_Left:
    case XK_KP_Left:
        return 11;
    case XK_Up:
    case XK_KP_Up:
        return 12;
    case XK_Right:
    case XK_KP_Right:
        return 13;
    case XK_Down:
    case XK_KP_Down:
        return 14;
    case XK_Page_Up:
        return 15;
    case XK_Page_Down:
        return 16;
    case XK_KP_Enter:
        return 19;
    case XK_Insert:
        return 21;
    case XK_Delete:
    case XK_KP_Delete:
        return 22;
    default:
        return 0;
    }
}

KeyEvent keyEventOf(XKeyEvent& event)
{
    char text[8] = {};
    KeySym sym = 0;
    int length = XLookupString(&event, text, sizeof text, &sym, nullptr);
    KeyEvent key;
    key.virtualKey = virtualKeyOf(sym);
    key.modifiers = modifiersOf(event.state);
    unsigned char first = static_cast<unsigned char>(text[0]);
    if (length == 1 && first >= 32 && first != 127)
        key.character = first;
    else if (key.virtualKey == 7)
        key.character = ' ';
    // With Ctrl held the text is a control character; shortcuts need the letter (lower case, as
    // the Windows back-end gives it).
    else if ((key.modifiers & kControlKey) && sym >= XK_a && sym <= XK_z)
        key.character = int(sym - XK_a) + 'a';
    else if ((key.modifiers & kControlKey) && sym >= XK_A && sym <= XK_Z)
        key.character = int(sym - XK_A) + 'a';
    return key;
}

class X11Window : public Window {
public:
    X11Window(Display* display, ::Window window, int width, int height, WindowClient& client);
    ~X11Window() override;

    void* systemHandle() const override { return reinterpret_cast<void*>(uintptr_t(window)); }
    void invalidate(const Rect& area) override;
    void processEvents() override;
    void resize(int width, int height) override;
    void setMouseCapture(bool) override {} // X grabs the pointer for us while a button is held
    void showMenu(const MenuModel& menu, Point where, MenuDone done) override;
    bool beginTextEdit(const TextEditRequest& request, TextEditDone done) override;
    void endTextEdit(bool commit) override;
    bool textEditKey(const KeyEvent& key) override { return textBoxKey(key); }

private:
    void createSurfaces();
    void destroySurfaces();
    void dispatch(XEvent& event);
    void buttonPressed(const XButtonEvent& event);
    bool textBoxKey(const KeyEvent& key);
    void paintInvalid();
    void paintTextBox(CairoCanvas& canvas);
    size_t caretIndexAt(int x);

    Display* display;
    ::Window window;
    int width;
    int height;
    WindowClient& client;
    cairo_surface_t* windowSurface = nullptr;
    cairo_surface_t* backBuffer = nullptr;
    // cairo's per-connection state; finished by hand, or closing the display leaks it.
    cairo_device_t* device = nullptr;
    std::optional<Rect> invalid;

    std::unique_ptr<X11PopupMenu> menu;
    std::vector<std::unique_ptr<X11PopupMenu>> retiredMenus;

    struct TextBox {
        TextEditRequest request;
        TextEditModel model;
        TextEditDone done;
    };
    std::optional<TextBox> textBox;

    Time lastPressTime = 0;
    unsigned lastPressButton = 0;
    Point lastPressAt;
};

X11Window::X11Window(Display* connection, ::Window handle, int pixelWidth, int pixelHeight, WindowClient& owner)
    : display(connection), window(handle), width(pixelWidth), height(pixelHeight), client(owner)
{
    createSurfaces();
    invalidate({0, 0, width, height});
}

X11Window::~X11Window()
{
    // Menus and the text box close without reporting: their owners are going away.
    menu.reset();
    retiredMenus.clear();
    textBox.reset();
    destroySurfaces();
    if (device) {
        cairo_device_finish(device);
        cairo_device_destroy(device);
    }
    XDestroyWindow(display, window);
    XSync(display, False);
    stopTrappingErrorsOn(display);
    XCloseDisplay(display);
}

void X11Window::createSurfaces()
{
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    windowSurface = cairo_xlib_surface_create(display, window, attributes.visual, width, height);
    if (!device && cairo_surface_get_device(windowSurface))
        device = cairo_device_reference(cairo_surface_get_device(windowSurface));
    backBuffer = cairo_surface_create_similar(windowSurface, CAIRO_CONTENT_COLOR_ALPHA, width, height);
}

void X11Window::destroySurfaces()
{
    if (backBuffer)
        cairo_surface_destroy(backBuffer);
    if (windowSurface)
        cairo_surface_destroy(windowSurface);
    backBuffer = windowSurface = nullptr;
}

void X11Window::invalidate(const Rect& area)
{
    Rect bounded{std::max(0, area.left), std::max(0, area.top), std::min(width, area.right),
                 std::min(height, area.bottom)};
    if (bounded.isEmpty())
        return;
    if (!invalid) {
        invalid = bounded;
        return;
    }
    invalid->left = std::min(invalid->left, bounded.left);
    invalid->top = std::min(invalid->top, bounded.top);
    invalid->right = std::max(invalid->right, bounded.right);
    invalid->bottom = std::max(invalid->bottom, bounded.bottom);
}

void X11Window::processEvents()
{
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        // Only the newest of a run of pointer movements matters.
        if (event.type == MotionNotify)
            while (XCheckTypedWindowEvent(display, event.xmotion.window, MotionNotify, &event)) {
            }
        if (menu && menu->handleEvent(event))
            continue;
        dispatch(event);
    }
    if (menu && !menu->isOpen())
        retiredMenus.push_back(std::move(menu));
    retiredMenus.clear();
    paintInvalid();
    XFlush(display);
}

void X11Window::dispatch(XEvent& event)
{
    if (event.xany.window != window)
        return;
    switch (event.type) {
    case Expose:
        invalidate({event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                    event.xexpose.y + event.xexpose.height});
        break;
    case ConfigureNotify:
        if (event.xconfigure.width != width || event.xconfigure.height != height) {
            width = event.xconfigure.width;
            height = event.xconfigure.height;
            destroySurfaces();
            createSurfaces();
            invalidate({0, 0, width, height});
        }
        break;
    case ButtonPress:
        buttonPressed(event.xbutton);
        break;
    case ButtonRelease:
        if (unsigned flag = buttonFlag(event.xbutton.button))
            client.mouseUp({event.xbutton.x, event.xbutton.y}, flag | modifiersOf(event.xbutton.state));
        break;
    case MotionNotify:
        client.mouseMoved({event.xmotion.x, event.xmotion.y},
                          heldButtonsOf(event.xmotion.state) | modifiersOf(event.xmotion.state));
        break;
    case LeaveNotify:
        if (event.xcrossing.mode == NotifyNormal)
            client.mouseExited();
        break;
    case EnterNotify:
        if (event.xcrossing.mode == NotifyNormal && focusOnPointerEnter()) {
            XSetInputFocus(display, window, RevertToParent, CurrentTime);
            takeTrappedError(display);
        }
        break;
    case KeyPress: {
        KeyEvent key = keyEventOf(event.xkey);
        if (!textBoxKey(key))
            client.keyDown(key);
        break;
    }
    case KeyRelease:
        // The server repeats a held key as a release and a press at the same time: the key
        // stays down, so a note played from it does not restart.
        if (XEventsQueued(display, QueuedAfterReading)) {
            XEvent next;
            XPeekEvent(display, &next);
            if (next.type == KeyPress && next.xkey.time == event.xkey.time && next.xkey.keycode == event.xkey.keycode)
                break;
        }
        if (!textBox) {
            KeyEvent key = keyEventOf(event.xkey);
            client.keyUp(key);
        }
        break;
    default:
        break;
    }
}

void X11Window::buttonPressed(const XButtonEvent& event)
{
    Point at{event.x, event.y};
    unsigned modifiers = modifiersOf(event.state);
    if (event.button == Button4 || event.button == Button5) {
        client.wheel(at, event.button == Button4 ? 1.0f : -1.0f, modifiers);
        return;
    }
    unsigned flag = buttonFlag(event.button);
    if (!flag)
        return;
    if (textBox) {
        const Rect& r = textBox->request.rect;
        if (at.x >= r.left && at.x < r.right && at.y >= r.top && at.y < r.bottom) {
            textBox->model.moveTo(caretIndexAt(at.x), (modifiers & kShiftKey) != 0);
            invalidate(r);
            return;
        }
        endTextEdit(true); // a click elsewhere commits, then acts as usual
    }
    bool doubleClick = event.button == lastPressButton && event.time - lastPressTime <= kDoubleClickMillis &&
                       std::abs(at.x - lastPressAt.x) <= kDoubleClickDistance &&
                       std::abs(at.y - lastPressAt.y) <= kDoubleClickDistance;
    // A third click starts a new pair.
    lastPressTime = doubleClick ? 0 : event.time;
    lastPressButton = event.button;
    lastPressAt = at;
    client.mouseDown(at, flag | modifiers | (doubleClick ? kDoubleClick : 0u));
}

void X11Window::paintInvalid()
{
    if (!invalid || !backBuffer)
        return;
    Rect area = *invalid;
    invalid.reset();
    cairo_t* cr = cairo_create(backBuffer);
    {
        CairoCanvas canvas(cr);
        canvas.clip(area);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        canvas.fillRect(area, {0, 0, 0, 255});
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        client.paint(canvas, area);
        if (textBox)
            paintTextBox(canvas);
    }
    cairo_destroy(cr);
    cairo_t* copy = cairo_create(windowSurface);
    cairo_rectangle(copy, area.left, area.top, area.width(), area.height());
    cairo_clip(copy);
    cairo_set_source_surface(copy, backBuffer, 0, 0);
    cairo_set_operator(copy, CAIRO_OPERATOR_SOURCE);
    cairo_paint(copy);
    cairo_destroy(copy);
    cairo_surface_flush(windowSurface);
}

void X11Window::resize(int newWidth, int newHeight)
{
    if (newWidth < 1 || newHeight < 1)
        return;
    XResizeWindow(display, window, unsigned(newWidth), unsigned(newHeight));
    width = newWidth;
    height = newHeight;
    destroySurfaces();
    createSurfaces();
    invalidate({0, 0, width, height});
}

void X11Window::showMenu(const MenuModel& model, Point where, MenuDone done)
{
    if (menu) {
        menu->finish({});
        retiredMenus.push_back(std::move(menu));
    }
    int rootX = 0, rootY = 0;
    ::Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), where.x, where.y, &rootX, &rootY, &child);
    menu = std::make_unique<X11PopupMenu>(display, model, rootX, rootY, std::move(done));
}

bool X11Window::beginTextEdit(const TextEditRequest& request, TextEditDone done)
{
    if (textBox)
        endTextEdit(true);
    textBox.emplace(TextBox{request, TextEditModel(request.text), std::move(done)});
    // Keys reach our window only while it has the focus; a failure (window not yet shown)
    // leaves the keys to the host, which forwards them through the editor.
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    takeTrappedError(display);
    invalidate(request.rect);
    return true;
}

void X11Window::endTextEdit(bool commit)
{
    if (!textBox)
        return;
    TextBox closing = std::move(*textBox);
    textBox.reset();
    invalidate(closing.request.rect);
    if (closing.done)
        closing.done(commit, closing.model.text());
}

bool X11Window::textBoxKey(const KeyEvent& key)
{
    if (!textBox)
        return false;
    switch (textBox->model.applyKey(key)) {
    case TextKeyResult::Commit:
        endTextEdit(true);
        return true;
    case TextKeyResult::Cancel:
        endTextEdit(false);
        return true;
    case TextKeyResult::Changed:
        invalidate(textBox->request.rect);
        return true;
    case TextKeyResult::Ignored:
        return true; // nothing typed into the box reaches the controls
    }
    return true;
}

size_t X11Window::caretIndexAt(int x)
{
    cairo_t* cr = cairo_create(backBuffer);
    CairoCanvas canvas(cr);
    const std::string& text = textBox->model.text();
    int start = textBox->request.rect.left + 3;
    size_t best = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        int caretX = start + canvas.textWidth(text.substr(0, i), textBox->request.font);
        if (caretX <= x)
            best = i;
    }
    cairo_destroy(cr);
    return best;
}

void X11Window::paintTextBox(CairoCanvas& canvas)
{
    const TextEditRequest& request = textBox->request;
    const TextEditModel& model = textBox->model;
    const Rect& r = request.rect;
    canvas.save();
    canvas.clip(r);
    canvas.fillRect(r, request.backColor);
    // Left-aligned while editing, so the caret stays where the typing happens.
    int x = r.left + 3;
    const std::string& text = model.text();
    int selectionLeft = x + canvas.textWidth(text.substr(0, model.selectionStart()), request.font);
    int selectionRight = x + canvas.textWidth(text.substr(0, model.selectionEnd()), request.font);
    if (model.hasSelection())
        canvas.fillRect({selectionLeft, r.top + 2, selectionRight, r.bottom - 2}, {51, 102, 204, 255});
    canvas.drawText(text, {x, r.top, r.right, r.bottom}, request.font, request.textColor, TextAlign::Left);
    int caretX = x + canvas.textWidth(text.substr(0, model.caret()), request.font);
    canvas.fillRect({caretX, r.top + 3, caretX + 1, r.bottom - 3}, request.textColor);
    canvas.frameRect(r, request.textColor);
    canvas.restore();
}

} // namespace

std::unique_ptr<Window> createChildWindow(void* parent, int width, int height, WindowClient& client, std::string& error)
{
    if (!parent) {
        error = "the host gave no parent window";
        return nullptr;
    }
    if (width < 1 || height < 1) {
        error = "the editor window has no area";
        return nullptr;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        error = "cannot open the X display (is DISPLAY set?)";
        return nullptr;
    }
    trapErrorsOn(display);
    ::Window parentWindow = ::Window(reinterpret_cast<uintptr_t>(parent));
    XWindowAttributes parentAttributes;
    if (!XGetWindowAttributes(display, parentWindow, &parentAttributes) || takeTrappedError(display)) {
        char text[96];
        std::snprintf(text, sizeof text, "the host's parent window 0x%lx does not exist",
                      static_cast<unsigned long>(parentWindow));
        error = text;
        stopTrappingErrorsOn(display);
        XCloseDisplay(display);
        return nullptr;
    }
    XSetWindowAttributes attributes{};
    attributes.event_mask = kEventMask;
    attributes.background_pixmap = None;
    ::Window window = XCreateWindow(display, parentWindow, 0, 0, unsigned(width), unsigned(height), 0, CopyFromParent,
                                    InputOutput, CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
    if (!window || takeTrappedError(display)) {
        error = "cannot create the editor window inside the host's window";
        stopTrappingErrorsOn(display);
        XCloseDisplay(display);
        return nullptr;
    }
    XMapWindow(display, window);
    XFlush(display);
    return std::make_unique<X11Window>(display, window, width, height, client);
}

} // namespace native
