#pragma once

#include "omxmlExport.h"

// Process control of the platform: what the library needs is the process id.
class OMXML_PLATFORM_API syProcessControl {
public:
    int getpid() const;
};
