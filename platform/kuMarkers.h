#pragma once

/// @file
/// Marker arguments: kuPtrRelease, kuCopy.

#include "omxmlExport.h"

// Marker arguments shared by the family's libraries.

/// Says that ownership of a returned object passes to the caller; the value
/// itself selects nothing (callers of this library always pass 3).
struct OMXML_PLATFORM_API kuPtrRelease {
    /// The marker; v is kept but means nothing.
    constexpr kuPtrRelease(int v) : value(v) {}
    /// The value given; nothing reads it.
    int value;
};

/// Selects the copying overload of a container's constructor or become().
struct OMXML_PLATFORM_API kuCopy {};
