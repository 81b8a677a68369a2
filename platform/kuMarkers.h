#pragma once

#include "omxmlExport.h"

// Marker arguments shared by the family's libraries.

// Says that ownership of a returned object passes to the caller; the value
// itself selects nothing (callers of this library always pass 3).
struct OMXML_PLATFORM_API kuPtrRelease {
    constexpr kuPtrRelease(int v) : value(v) {}
    int value;
};

// Selects the copying overload of a container's constructor or become().
struct OMXML_PLATFORM_API kuCopy {};
