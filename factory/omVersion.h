#pragma once

/// @file
/// The library's version.

#include "omxmlExport.h"

/// The library's version, "MAJOR.MINOR.PATCH".
OMXML_API const char* om_version();
