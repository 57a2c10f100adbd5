// GDI+ runs only while something needs it: the first editor window or image starts it, the last
// one to go stops it. Never started from DllMain, where GDI+ must not be initialised.
#pragma once

class GdiplusSession {
public:
    // False when GDI+ could not start; the caller then has nothing to draw with.
    static bool acquire();
    static void release();
    static int users();
};

// Holds GDI+ running for its lifetime.
class GdiplusUse {
public:
    GdiplusUse() : running(GdiplusSession::acquire()) {}
    ~GdiplusUse()
    {
        if (running)
            GdiplusSession::release();
    }
    GdiplusUse(const GdiplusUse&) = delete;
    GdiplusUse& operator=(const GdiplusUse&) = delete;
    bool ok() const { return running; }

private:
    bool running;
};
