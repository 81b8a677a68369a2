#include "platform/syProcessControl.h"

#include "platform/syFileSystem.h"

int syProcessControl::getpid() const { return syFileSystem::process_id(); }
