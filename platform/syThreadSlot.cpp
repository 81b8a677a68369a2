#include "platform/syThreadSlot.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

#ifdef _WIN32

namespace {

// What a fiber-local slot holds: the value and what frees it, since the
// system's callback receives the value alone.
struct Held {
    syThreadSlot::Cleanup cleanup;
    void* value;
};

void WINAPI release(void* data) {
    auto* held = static_cast<Held*>(data);
    if (held && held->value)
        held->cleanup(held->value);
    delete held;
}

} // namespace

syThreadSlot::syThreadSlot(Cleanup cleanup) : m_cleanup(cleanup) {
    DWORD index = ::FlsAlloc(&release);
    m_valid = index != FLS_OUT_OF_INDEXES;
    m_key = index;
}

syThreadSlot::~syThreadSlot() {
    if (!m_valid)
        return;
    release(::FlsGetValue(m_key));
    ::FlsSetValue(m_key, nullptr);
    ::FlsFree(m_key);
}

void* syThreadSlot::get() const {
    auto* held = m_valid ? static_cast<Held*>(::FlsGetValue(m_key)) : nullptr;
    return held ? held->value : nullptr;
}

void syThreadSlot::set(void* value) {
    if (!m_valid)
        return;
    auto* held = static_cast<Held*>(::FlsGetValue(m_key));
    if (!held) {
        held = new Held{m_cleanup, nullptr};
        ::FlsSetValue(m_key, held);
    }
    held->value = value;
}

#else

syThreadSlot::syThreadSlot(Cleanup cleanup) : m_cleanup(cleanup) {
    pthread_key_t key;
    m_valid = ::pthread_key_create(&key, cleanup) == 0;
    m_key = key;
}

syThreadSlot::~syThreadSlot() {
    if (!m_valid)
        return;
    auto key = static_cast<pthread_key_t>(m_key);
    if (void* value = ::pthread_getspecific(key))
        m_cleanup(value);
    ::pthread_setspecific(key, nullptr);
    ::pthread_key_delete(key);
}

void* syThreadSlot::get() const { return m_valid ? ::pthread_getspecific(static_cast<pthread_key_t>(m_key)) : nullptr; }

void syThreadSlot::set(void* value) {
    if (m_valid)
        ::pthread_setspecific(static_cast<pthread_key_t>(m_key), value);
}

#endif
