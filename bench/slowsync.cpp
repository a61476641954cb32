// Preloaded (LD_PRELOAD), makes every fsync and fdatasync of the process take
// CORVALE_SLOW_SYNC_MS more milliseconds (100 when unset or not a number),
// as a sync on an SD card, a USB stick or a network share may.
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>

namespace {

using SyncCall = int (*)(int);

void Delay() {
    const char* text = std::getenv("CORVALE_SLOW_SYNC_MS");
    long ms = text ? std::strtol(text, nullptr, 10) : 0;
    if (ms <= 0)
        ms = 100;
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

SyncCall Next(const char* name) {
    return reinterpret_cast<SyncCall>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int fdatasync(int fd) {
    static const SyncCall real = Next("fdatasync");
    Delay();
    return real(fd);
}

extern "C" int fsync(int fd) {
    static const SyncCall real = Next("fsync");
    Delay();
    return real(fd);
}
