#pragma once

#include "omxmlExport.h"

// One pointer per thread, handed to cleanup when its thread ends (and, for
// the thread that destroys the slot, then). Unlike a thread_local object with
// a destructor, it is safe in a Windows DLL built with MinGW, whose emulated
// thread-local storage may be gone before such destructors run.
class OMXML_PLATFORM_API syThreadSlot {
public:
    using Cleanup = void (*)(void*);
    explicit syThreadSlot(Cleanup cleanup);
    ~syThreadSlot();
    syThreadSlot(const syThreadSlot&) = delete;
    syThreadSlot& operator=(const syThreadSlot&) = delete;

    // The calling thread's pointer; null until it sets one.
    void* get() const;
    void set(void* value);

private:
    Cleanup m_cleanup;
    unsigned long m_key = 0;
    bool m_valid = false;
};
