// Runs on the Linux host, beside a pinned Wine session, on another processor:
// does a fixed piece of arithmetic over and over and counts the pieces in
// the first eight bytes of a file. module_bench reads the count before and
// after each module run: the rate at which the host did the same work
// meanwhile. On a virtual machine both processors speed up and slow down
// together, so the rate shows how fast the machine itself was during a run.
// Usage: host_probe FILE CPU   (ends when its parent does)
#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: host_probe FILE CPU\n");
        return 2;
    }
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(std::atoi(argv[2]), &set);
    if (sched_setaffinity(0, sizeof set, &set) != 0) {
        std::perror("host_probe: sched_setaffinity");
        return 1;
    }
    int fd = open(argv[1], O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ftruncate(fd, 4096) != 0) {
        std::perror("host_probe: file");
        return 1;
    }
    void* map = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) {
        std::perror("host_probe: mmap");
        return 1;
    }
    auto* count = static_cast<volatile uint64_t*>(map);
    const pid_t parent = getppid();
    volatile uint32_t x = 1;
    for (uint64_t n = 1;; ++n) {
        // About a tenth of a millisecond per piece.
        for (uint32_t i = 0; i < 20000u; ++i) x = x * 1664525u + 1013904223u;
        *count = n;  // one aligned store: a reader never sees half of it
        if ((n & 1023) == 0 && getppid() != parent) return 0;
    }
}
