// Preloaded with the first-paint probe: when BVBENCH_HEAP_FIFO names a FIFO, a thread
// waits on it and, each time a writer opens and closes it, reports on stderr the bytes
// the program holds from malloc (in use in its arenas plus mapped blocks). The thread
// sleeps in open() between reports, so it wakes nothing else.

#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

void *Serve(void *fifo)
{
    for (;;) {
        const int fd = open(static_cast<const char *>(fifo), O_RDONLY);
        if (fd < 0)
            return nullptr;
        char buffer[64];
        while (read(fd, buffer, sizeof buffer) > 0) {
        }
        close(fd);
        const struct mallinfo2 info = mallinfo2();
        std::fprintf(stderr, "bvbench heap-bytes %zu\n", info.uordblks + info.hblkhd);
    }
}

__attribute__((constructor)) void StartHeapProbe()
{
    static char fifo[4096];
    const char *name = std::getenv("BVBENCH_HEAP_FIFO");
    if (name)
        std::snprintf(fifo, sizeof fifo, "%s", name);
    // The program's children (a D-Bus daemon started on demand) must neither load the
    // probes nor answer for the program.
    unsetenv("BVBENCH_HEAP_FIFO");
    unsetenv("LD_PRELOAD");
    pthread_t thread;
    if (*fifo && pthread_create(&thread, nullptr, Serve, fifo) == 0)
        pthread_detach(thread);
}

} // namespace
