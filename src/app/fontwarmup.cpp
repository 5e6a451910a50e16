#include "fontwarmup.h"

#include <fontconfig/fontconfig.h>

#include <dlfcn.h>

#include <thread>
#include <type_traits>

namespace orlam {

namespace {

// fontconfig's calls, looked up in the library once it is loaded: the program links no font
// library, so that the modes without a window do not load one.
struct Fontconfig {
    decltype(&FcInit) init = nullptr;
    decltype(&FcPatternCreate) patternCreate = nullptr;
    decltype(&FcPatternAddString) patternAddString = nullptr;
    decltype(&FcConfigSubstitute) configSubstitute = nullptr;
    decltype(&FcDefaultSubstitute) defaultSubstitute = nullptr;
    decltype(&FcFontMatch) fontMatch = nullptr;
    decltype(&FcPatternGetString) patternGetString = nullptr;
    decltype(&FcPatternGetInteger) patternGetInteger = nullptr;
    decltype(&FcPatternDestroy) patternDestroy = nullptr;

    bool load(void *library)
    {
        const auto find = [library](auto &call, const char *name) {
            call = reinterpret_cast<std::remove_reference_t<decltype(call)>>(dlsym(library, name));
            return call != nullptr;
        };
        return find(init, "FcInit") && find(patternCreate, "FcPatternCreate") &&
               find(patternAddString, "FcPatternAddString") && find(configSubstitute, "FcConfigSubstitute") &&
               find(defaultSubstitute, "FcDefaultSubstitute") && find(fontMatch, "FcFontMatch") &&
               find(patternGetString, "FcPatternGetString") &&
               find(patternGetInteger, "FcPatternGetInteger") && find(patternDestroy, "FcPatternDestroy");
    }

    // The installed family that the configuration gives for `family`, as Qt's own search would
    // find it first; empty when there is none.
    QString standIn(const char *family, bool *fixedPitch = nullptr) const
    {
        FcPattern *pattern = patternCreate();
        if (!pattern)
            return {};
        patternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(family));
        configSubstitute(nullptr, pattern, FcMatchPattern);
        defaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern *match = fontMatch(nullptr, pattern, &result);
        patternDestroy(pattern);
        if (!match)
            return {};
        QString name;
        FcChar8 *found = nullptr;
        if (patternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch && found)
            name = QString::fromUtf8(reinterpret_cast<const char *>(found));
        int spacing = FC_PROPORTIONAL;
        if (fixedPitch)
            *fixedPitch =
                patternGetInteger(match, FC_SPACING, 0, &spacing) == FcResultMatch && spacing >= FC_MONO;
        patternDestroy(match);
        return name;
    }
};

std::thread &warmUp()
{
    static std::thread thread;
    return thread;
}

DesktopFonts &found()
{
    static DesktopFonts fonts;
    return fonts;
}

} // namespace

void FontWarmUp::start()
{
    // Loaded here, before the module (which needs it anyway), so that the thread does not wait
    // for the loader while the module is being loaded.
    void *library = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return;
    Fontconfig fontconfig;
    if (!fontconfig.load(library))
        return;
    // FcInit loads the default configuration once, atomically: a second caller finds it loaded.
    warmUp() = std::thread([fontconfig] {
        if (!fontconfig.init())
            return;
        DesktopFonts &fonts = found();
        fonts.windowFamily = fontconfig.standIn(WindowFontFamily);
        fonts.viewFamily = fontconfig.standIn(ViewFontFamily, &fonts.viewFixedPitch);
    });
}

DesktopFonts FontWarmUp::wait()
{
    if (warmUp().joinable())
        warmUp().join();
    return found();
}

} // namespace orlam
