#include "platform/syMemory.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

void sy_advise_large_buffer(void* data, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const std::size_t huge = std::size_t{1} << 21;
    char* bytes = static_cast<char*>(data);
    const std::size_t lead = (huge - reinterpret_cast<std::uintptr_t>(bytes) % huge) % huge;
    if (size > lead && (size - lead) / huge > 0)
        ::madvise(bytes + lead, (size - lead) / huge * huge, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}
