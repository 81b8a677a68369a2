#include "factory/omVersion.h"

const char* om_version() { return OMXML_VERSION; }
