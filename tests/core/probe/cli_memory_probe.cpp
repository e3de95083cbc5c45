// The tool with a watch on its heap: every block it frees is searched for the
// text in PELLUCORDA_MARKER before it goes back to the allocator. A find is
// reported on standard error and makes the exit status 99. The standard
// streams are closed at the end, so the C library frees their buffers under
// the same watch. With PELLUCORDA_PROBE_SELFTEST set, the probe first frees
// a copy of the marker itself, to show that the watch sees one.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/cli.h"

extern "C" {
// AddressSanitizer's allocator calls these; the hooks run before a block is
// released, while it can still be read.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the sanitizer's own interface
int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, std::size_t),
                                              void (*onFree)(const volatile void*));
// NOLINTNEXTLINE(bugprone-reserved-identifier): the sanitizer's own interface
std::size_t __sanitizer_get_allocated_size(const volatile void* block);
}

namespace {

char g_marker[64];
std::size_t g_markerLength = 0;
volatile int g_found = 0;

void OnMalloc(const volatile void*, std::size_t) {}

void OnFree(const volatile void* block) {
    if (block == nullptr || g_markerLength == 0) return;
    const std::size_t size = __sanitizer_get_allocated_size(block);
    const auto* bytes = static_cast<const unsigned char*>(const_cast<const void*>(block));
    for (std::size_t i = 0; i + g_markerLength <= size; ++i) {
        if (bytes[i] == static_cast<unsigned char>(g_marker[0]) &&
            std::memcmp(bytes + i, g_marker, g_markerLength) == 0) {
            ++g_found;
            static const char kReport[] = "probe: a freed block held the marker\n";
            if (write(2, kReport, sizeof kReport - 1) < 0) g_found = g_found + 1;
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* marker = std::getenv("PELLUCORDA_MARKER");
    if (marker == nullptr || std::strlen(marker) >= sizeof g_marker) return 98;
    std::strcpy(g_marker, marker);
    g_markerLength = std::strlen(g_marker);
    __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
    if (std::getenv("PELLUCORDA_PROBE_SELFTEST") != nullptr) {
        auto* copy = new std::string(std::string("a long enough text around ") + g_marker);
        delete copy;
    }
    int status = RunCli(argc, argv);
    // Closing frees the streams' buffers while the watch still runs; the
    // tool has already checked its output.
    (void)std::fclose(stdin);
    (void)std::fclose(stdout);
    return g_found != 0 ? 99 : status;
}
