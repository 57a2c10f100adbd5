// Faces the themes name are rarely installed on Linux: each maps to a metrically close free face,
// then to a generic family that fontconfig always resolves.
#include "../NativeCanvas.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <strings.h>
#include <vector>

namespace native {

namespace {

std::vector<std::string> candidatesFor(const std::string& face)
{
    std::string lower = face;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (lower == "arial" || lower == "helvetica")
        return {face, "Liberation Sans", "Arimo", "DejaVu Sans", "sans-serif"};
    if (lower == "consolas" || lower == "courier new" || lower == "courier")
        return {face, "Liberation Mono", "DejaVu Sans Mono", "Cousine", "monospace"};
    if (lower == "trebuchet ms" || lower == "verdana" || lower == "tahoma")
        return {face, "DejaVu Sans", "Liberation Sans", "sans-serif"};
    if (lower.find("mono") != std::string::npos)
        return {face, "monospace"};
    if (face.empty())
        return {"Liberation Sans", "DejaVu Sans", "sans-serif"};
    return {face, "sans-serif"};
}

// The family fontconfig would draw name with, or empty when it has no font at all.
std::string matchedFamily(const std::string& name)
{
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str()));
    if (!pattern)
        return {};
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string family;
    FcChar8* value = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch && value)
        family = reinterpret_cast<const char*>(value);
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return family;
}

bool isGeneric(const std::string& name)
{
    return name == "sans-serif" || name == "monospace" || name == "serif";
}

std::string resolve(const std::string& face)
{
    if (!FcInit())
        return face.empty() ? "sans-serif" : face;
    for (const std::string& candidate : candidatesFor(face)) {
        std::string family = matchedFamily(candidate);
        if (family.empty())
            continue;
        // A named face counts only when fontconfig really has it, not a substitute for it.
        if (isGeneric(candidate) || strcasecmp(family.c_str(), candidate.c_str()) == 0)
            return family;
    }
    return "sans-serif";
}

} // namespace

std::string resolvedFontFamily(const std::string& face)
{
    static std::mutex lock;
    static std::map<std::string, std::string> cache;
    std::lock_guard<std::mutex> hold(lock);
    auto found = cache.find(face);
    if (found != cache.end())
        return found->second;
    return cache[face] = resolve(face);
}

} // namespace native
