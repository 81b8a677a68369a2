#include "platform/kuString.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>

kuRef* kuRef::make(int length) {
    void* raw = std::malloc(sizeof(kuRef) + static_cast<std::size_t>(length) + 1);
    if (!raw)
        throw std::bad_alloc();
    kuRef* ref = new (raw) kuRef;
    ref->count.store(1, std::memory_order_relaxed);
    ref->length = length;
    ref->chars()[length] = '\0';
    return ref;
}

void kuRef::release(kuRef* ref) {
    if (ref && ref->count.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        ref->~kuRef();
        std::free(ref);
    }
}

kuString::kuString(const char* text) {
    if (text)
        assign_new(text, static_cast<int>(std::strlen(text)), nullptr, 0);
}

kuString::kuString(kuStringArray, const char* text, int n) { assign_new(text, n < 0 ? 0 : n, nullptr, 0); }

kuString::kuString(kuStringLit, const char* literal)
    : m_data(literal), m_length(literal ? static_cast<int>(std::strlen(literal)) : 0), m_ref(nullptr) {}

kuString::kuString(const kuString& other) : m_data(other.m_data), m_length(other.m_length), m_ref(other.m_ref) {
    if (m_ref)
        m_ref->count.fetch_add(1, std::memory_order_relaxed);
}

kuString::kuString(kuString&& other) noexcept : m_data(other.m_data), m_length(other.m_length), m_ref(other.m_ref) {
    other.m_data = nullptr;
    other.m_length = 0;
    other.m_ref = nullptr;
}

kuString& kuString::operator=(const kuString& other) {
    if (this == &other)
        return *this;
    if (other.m_ref)
        other.m_ref->count.fetch_add(1, std::memory_order_relaxed);
    kuRef::release(m_ref);
    m_data = other.m_data;
    m_length = other.m_length;
    m_ref = other.m_ref;
    return *this;
}

kuString& kuString::operator=(kuString&& other) noexcept {
    if (this != &other) {
        kuRef::release(m_ref);
        m_data = other.m_data;
        m_length = other.m_length;
        m_ref = other.m_ref;
        other.m_data = nullptr;
        other.m_length = 0;
        other.m_ref = nullptr;
    }
    return *this;
}

kuString::~kuString() { kuRef::release(m_ref); }

void kuString::assign_new(const char* a, int na, const char* b, int nb) {
    kuRef* ref = kuRef::make(na + nb);
    if (na)
        std::memcpy(ref->chars(), a, static_cast<std::size_t>(na));
    if (nb)
        std::memcpy(ref->chars() + na, b, static_cast<std::size_t>(nb));
    kuRef::release(m_ref);
    m_ref = ref;
    m_data = ref->chars();
    m_length = na + nb;
}

kuString kuString::operator+(const kuString& other) const {
    kuString result;
    result.assign_new(c_str(), m_length, other.c_str(), other.m_length);
    return result;
}

kuString& kuString::operator+=(const kuString& other) {
    if (other.m_length == 0) {
        if (invalid() && !other.invalid())
            *this = other;
        return *this;
    }
    if (m_length == 0 && !other.invalid()) {
        *this = other;
        return *this;
    }
    assign_new(c_str(), m_length, other.c_str(), other.m_length);
    return *this;
}

int kuString::compare(const kuString& other) const {
    int n = m_length < other.m_length ? m_length : other.m_length;
    int c = n ? std::memcmp(c_str(), other.c_str(), static_cast<std::size_t>(n)) : 0;
    if (c)
        return c;
    return m_length < other.m_length ? -1 : (m_length > other.m_length ? 1 : 0);
}

int kuString::case_compare(const kuString& other) const {
    auto lower = [](char ch) {
        return (ch >= 'A' && ch <= 'Z') ? static_cast<unsigned char>(ch - 'A' + 'a') : static_cast<unsigned char>(ch);
    };
    int n = m_length < other.m_length ? m_length : other.m_length;
    const char* a = c_str();
    const char* b = other.c_str();
    for (int i = 0; i < n; ++i) {
        int d = lower(a[i]) - lower(b[i]);
        if (d)
            return d;
    }
    return m_length < other.m_length ? -1 : (m_length > other.m_length ? 1 : 0);
}

bool kuString::operator==(const kuString& other) const {
    return m_length == other.m_length &&
           (m_length == 0 || std::memcmp(m_data, other.m_data, static_cast<std::size_t>(m_length)) == 0);
}

int kuString::share_count() const { return m_ref ? m_ref->count.load(std::memory_order_relaxed) : 0; }

std::ostream& operator<<(std::ostream& out, const kuString& s) { return out.write(s.c_str(), s.length()); }
