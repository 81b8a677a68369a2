#pragma once

/// @file
/// Marker and deleter of shared owners whose object is owned elsewhere.

#include "omxmlExport.h"

/// Marker of a shared owner's constructor for an object owned elsewhere.
enum qcPrfExternMarker { qcPrfExtern };

/// Deleter of shared owners whose object is owned elsewhere: when the last
/// share goes it is handed the pointer and leaves the object alone. Its type
/// tells such owners apart (std::get_deleter).
class OMXML_PLATFORM_API qcPrfExternalDeleter {
public:
    /// The deleter.
    qcPrfExternalDeleter() = default;
    /// A copy.
    qcPrfExternalDeleter(const qcPrfExternalDeleter&) = default;
    template <class T>
    /// Does nothing: the object is owned elsewhere.
    void operator()(T*) const noexcept {}
};
