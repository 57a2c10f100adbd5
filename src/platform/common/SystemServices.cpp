#include "platform/SystemServices.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

namespace {
std::atomic<SystemServices*> replacement{nullptr};
struct FallbackSlot {
    std::mutex lock;
    const void* owner = nullptr;
    std::thread::id thread;
    MessageBoxFallback ask;
};

FallbackSlot& fallbackSlot()
{
    static FallbackSlot slot;
    return slot;
}
} // namespace

void setMessageBoxFallback(const void* owner, MessageBoxFallback fallback)
{
    FallbackSlot& slot = fallbackSlot();
    std::lock_guard<std::mutex> guard(slot.lock);
    slot.owner = owner;
    slot.thread = std::this_thread::get_id();
    slot.ask = std::move(fallback);
}

void clearMessageBoxFallback(const void* owner)
{
    FallbackSlot& slot = fallbackSlot();
    std::lock_guard<std::mutex> guard(slot.lock);
    if (slot.owner != owner)
        return; // another editor opened since and owns it now
    slot.owner = nullptr;
    slot.ask = nullptr;
}

MessageAnswer askUser(void* owner, const std::wstring& text, const std::wstring& title, MessageIcon icon,
                      MessageButtons buttons)
{
    MessageAnswer answer = systemServices().messageBox(owner, text, title, icon, buttons);
    if (answer != MessageAnswer::Unavailable)
        return answer;
    // A copy taken under the lock and called without it: the fallback runs a window loop and may
    // clear itself (the window closing while it asks).
    MessageBoxFallback fallback;
    {
        FallbackSlot& slot = fallbackSlot();
        std::lock_guard<std::mutex> guard(slot.lock);
        if (slot.thread == std::this_thread::get_id())
            fallback = slot.ask;
    }
    return fallback ? fallback(text, title, buttons) : answer;
}

SystemServices& systemServices()
{
    SystemServices* services = replacement.load();
    return services ? *services : nativeSystemServices();
}

void setSystemServices(SystemServices* services)
{
    replacement.store(services);
}

std::wstring widenFileName(const std::filesystem::path& name)
{
#if defined(_WIN32)
    return name.native();
#else
    return widenOneToOne(name.native());
#endif
}

std::filesystem::path fileNameToPath(const std::wstring& name)
{
#if defined(_WIN32)
    return std::filesystem::path(name);
#else
    return std::filesystem::path(narrowOneToOne(name));
#endif
}

std::string narrowOneToOne(const std::wstring& text)
{
    std::string result(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
        result[i] = char(static_cast<unsigned char>(text[i] & 0xff));
    return result;
}

std::wstring widenOneToOne(const std::string& text)
{
    std::wstring result(text.size(), L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        result[i] = wchar_t(static_cast<unsigned char>(text[i]));
    return result;
}
