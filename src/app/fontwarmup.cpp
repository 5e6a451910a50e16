#include "fontwarmup.h"

#include <dlfcn.h>

#include <thread>

namespace orlam {

namespace {

std::thread &warmUp()
{
    static std::thread thread;
    return thread;
}

} // namespace

void FontWarmUp::start()
{
    // Loaded here, before the module (which needs it anyway), so that the thread does not wait
    // for the loader while the module is being loaded.
    void *library = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return;
    using Init = int (*)();
    const auto init = reinterpret_cast<Init>(dlsym(library, "FcInit"));
    if (!init)
        return;
    // FcInit loads the default configuration once, atomically: a second caller finds it loaded.
    warmUp() = std::thread([init] { init(); });
}

void FontWarmUp::wait()
{
    if (warmUp().joinable())
        warmUp().join();
}

} // namespace orlam
