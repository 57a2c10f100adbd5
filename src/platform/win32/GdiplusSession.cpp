#include "GdiplusSession.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <mutex>

namespace {

std::mutex sessionMutex;
int userCount = 0;
ULONG_PTR gdiplusToken = 0;

} // namespace

bool GdiplusSession::acquire()
{
    std::lock_guard<std::mutex> lock(sessionMutex);
    if (userCount == 0) {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr) != Gdiplus::Ok)
            return false;
    }
    ++userCount;
    return true;
}

void GdiplusSession::release()
{
    std::lock_guard<std::mutex> lock(sessionMutex);
    if (userCount == 0)
        return;
    if (--userCount == 0)
        Gdiplus::GdiplusShutdown(gdiplusToken);
}

int GdiplusSession::users()
{
    std::lock_guard<std::mutex> lock(sessionMutex);
    return userCount;
}
