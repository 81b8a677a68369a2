#include "platform/syProcessControl.h"

#include <unistd.h>

int syProcessControl::getpid() const { return static_cast<int>(::getpid()); }
