// Preloaded into a program under X11 (LD_PRELOAD), reports on stderr how long after
// BVBENCH_START_NS (nanoseconds of the real-time clock, set just before the program was
// started) it first sent window contents to the X server: the time to its first painted
// window. Qt's xcb back end flushes a painted window with one of these three requests.

#include <dlfcn.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

struct TCookie
{
    unsigned int Sequence;
};

std::atomic_bool Reported{false};
long long StartNs = 0;

// Read before main, and hidden from the program's children.
__attribute__((constructor)) void ReadStart()
{
    if (const char *start = std::getenv("BVBENCH_START_NS"))
        StartNs = std::atoll(start);
    unsetenv("BVBENCH_START_NS");
}

void ReportFirst()
{
    if (Reported.exchange(true))
        return;
    if (StartNs == 0)
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long nanoseconds = (long long)now.tv_sec * 1000000000LL + now.tv_nsec - StartNs;
    std::fprintf(stderr, "bvbench first-paint-ms %.1f\n", double(nanoseconds) / 1e6);
}

// The real function. Qt's xcb plugin is loaded with its libraries out of the global
// scope, where RTLD_NEXT does not look: then ask the library itself, already loaded.
template <typename TFunction>
TFunction Next(const char *name, const char *library)
{
    void *function = dlsym(RTLD_NEXT, name);
    if (!function) {
        if (void *handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD))
            function = dlsym(handle, name);
    }
    if (!function) {
        std::fprintf(stderr, "bvbench: %s not found\n", name);
        std::abort();
    }
    return reinterpret_cast<TFunction>(function);
}

} // namespace

extern "C" {

TCookie xcb_shm_put_image(void *c, uint32_t drawable, uint32_t gc, uint16_t totalWidth, uint16_t totalHeight,
                          uint16_t srcX, uint16_t srcY, uint16_t srcWidth, uint16_t srcHeight, int16_t dstX,
                          int16_t dstY, uint8_t depth, uint8_t format, uint8_t sendEvent, uint32_t shmseg,
                          uint32_t offset)
{
    ReportFirst();
    static const auto next = Next<decltype(&xcb_shm_put_image)>("xcb_shm_put_image", "libxcb-shm.so.0");
    return next(c, drawable, gc, totalWidth, totalHeight, srcX, srcY, srcWidth, srcHeight, dstX, dstY, depth, format,
                sendEvent, shmseg, offset);
}

TCookie xcb_put_image(void *c, uint8_t format, uint32_t drawable, uint32_t gc, uint16_t width, uint16_t height,
                      int16_t dstX, int16_t dstY, uint8_t leftPad, uint8_t depth, uint32_t dataLength,
                      const uint8_t *data)
{
    ReportFirst();
    static const auto next = Next<decltype(&xcb_put_image)>("xcb_put_image", "libxcb.so.1");
    return next(c, format, drawable, gc, width, height, dstX, dstY, leftPad, depth, dataLength, data);
}

TCookie xcb_copy_area(void *c, uint32_t srcDrawable, uint32_t dstDrawable, uint32_t gc, int16_t srcX, int16_t srcY,
                      int16_t dstX, int16_t dstY, uint16_t width, uint16_t height)
{
    ReportFirst();
    static const auto next = Next<decltype(&xcb_copy_area)>("xcb_copy_area", "libxcb.so.1");
    return next(c, srcDrawable, dstDrawable, gc, srcX, srcY, dstX, dstY, width, height);
}

} // extern "C"
