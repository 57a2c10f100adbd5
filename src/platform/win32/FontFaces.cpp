#include "FontFaces.h"

#include "GdiplusSession.h"
#include "Latin1Text.h"
#include "platform/NativeCanvas.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <map>
#include <mutex>

namespace {

std::wstring lowered(const std::wstring& text)
{
    std::wstring result = text;
    for (auto& c : result)
        c = wchar_t(std::towlower(c));
    return result;
}

bool isMonospaceFace(const std::wstring& face)
{
    static const wchar_t* const monospaceFaces[] = {L"consolas",        L"courier new", L"courier",
                                                    L"lucida console",  L"monospace",   L"liberation mono",
                                                    L"dejavu sans mono"};
    std::wstring name = lowered(face);
    return std::any_of(std::begin(monospaceFaces), std::end(monospaceFaces),
                       [&](const wchar_t* mono) { return name == mono; });
}

struct FaceSubstitutes {
    const wchar_t* face;
    const wchar_t* substitutes[3];
};

// Installed faces with close metrics, for the faces themes name.
const FaceSubstitutes knownSubstitutes[] = {
    {L"arial", {L"Liberation Sans", L"Arimo", L"DejaVu Sans"}},
    {L"helvetica", {L"Liberation Sans", L"Arimo", L"DejaVu Sans"}},
    {L"consolas", {L"Liberation Mono", L"Cousine", L"DejaVu Sans Mono"}},
    {L"courier new", {L"Liberation Mono", L"Cousine", L"DejaVu Sans Mono"}},
    {L"trebuchet ms", {L"DejaVu Sans", L"Liberation Sans", L"Arimo"}},
    {L"times new roman", {L"Liberation Serif", L"Tinos", L"DejaVu Serif"}},
};

bool familyInstalled(const std::wstring& name)
{
    Gdiplus::FontFamily family(name.c_str());
    return family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable();
}

// Through the flat interface: the C++ wrappers keep the generic family in a static that outlives
// GDI+, and GDI+ stops and starts again with the editor window.
std::wstring genericFamilyName(bool monospace)
{
    Gdiplus::GpFontFamily* generic = nullptr;
    Gdiplus::Status status = monospace ? Gdiplus::DllExports::GdipGetGenericFontFamilyMonospace(&generic)
                                       : Gdiplus::DllExports::GdipGetGenericFontFamilySansSerif(&generic);
    WCHAR name[LF_FACESIZE] = {};
    if (status == Gdiplus::Ok && generic &&
        Gdiplus::DllExports::GdipGetFamilyName(generic, name, LANG_NEUTRAL) == Gdiplus::Ok && name[0])
        return name;
    return monospace ? L"Courier New" : L"Tahoma";
}

std::wstring findInstalledFace(const std::wstring& face)
{
    for (const auto& candidate : fontFaceCandidates(face))
        if (familyInstalled(candidate))
            return candidate;
    return genericFamilyName(isMonospaceFace(face));
}

} // namespace

std::vector<std::wstring> fontFaceCandidates(const std::wstring& face)
{
    std::vector<std::wstring> candidates;
    if (!face.empty())
        candidates.push_back(face);
    std::wstring name = lowered(face);
    for (const auto& known : knownSubstitutes)
        if (name == known.face)
            candidates.insert(candidates.end(), std::begin(known.substitutes), std::end(known.substitutes));
    if (isMonospaceFace(face))
        candidates.insert(candidates.end(), {L"Liberation Mono", L"DejaVu Sans Mono", L"Courier New"});
    else
        candidates.insert(candidates.end(), {L"Liberation Sans", L"DejaVu Sans", L"Arial", L"Tahoma"});
    return candidates;
}

std::wstring resolveFontFace(const std::wstring& face)
{
    // Looking a face up enumerates the system's fonts, far too slow to repeat for every text.
    static std::mutex cacheMutex;
    static std::map<std::wstring, std::wstring> resolved;
    std::lock_guard<std::mutex> lock(cacheMutex);
    auto known = resolved.find(lowered(face));
    if (known != resolved.end())
        return known->second;
    std::wstring installed = findInstalledFace(face);
    resolved[lowered(face)] = installed;
    return installed;
}

std::unique_ptr<Gdiplus::Font> createFont(const native::FontSpec& fontSpec)
{
    Gdiplus::FontFamily family(resolveFontFace(widenLatin1(fontSpec.face)).c_str());
    double size = std::isfinite(fontSpec.sizePixels) ? std::clamp(fontSpec.sizePixels, 1.0, 1000.0) : 12.0;
    int style = fontSpec.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular;
    auto font = std::make_unique<Gdiplus::Font>(&family, Gdiplus::REAL(size), style, Gdiplus::UnitPixel);
    if (font->GetLastStatus() == Gdiplus::Ok)
        return font;
    // A face without a bold (or regular) style: take whatever style it has.
    font = std::make_unique<Gdiplus::Font>(&family, Gdiplus::REAL(size), Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    return font->GetLastStatus() == Gdiplus::Ok ? std::move(font) : nullptr;
}

std::string native::resolvedFontFamily(const std::string& face)
{
    GdiplusUse gdiplus;
    if (!gdiplus.ok())
        return "Sans";
    return narrowToLatin1(resolveFontFace(widenLatin1(face)));
}
