#pragma once

#include "omxmlExport.h"

#include <cstddef>

// Advice for a large buffer about to be filled at once: where the system
// offers huge pages, using them saves a page fault per 4 KiB. Only advice;
// the buffer is the same either way, and small buffers are left alone.
OMXML_PLATFORM_API void sy_advise_large_buffer(void* data, std::size_t size);
