#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Splits a fuzzer's input into the small decisions a target makes (taken
// from the front) and the document text (everything left over).
class omFuzzInput {
public:
    omFuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    // The next byte, or 0 once the input is used up.
    std::uint8_t byte() {
        if (m_pos >= m_size)
            return 0;
        return m_data[m_pos++];
    }
    // Up to n bytes as a string; fewer when the input runs out.
    std::string bytes(std::size_t n) {
        std::size_t take = n < remaining() ? n : remaining();
        std::string out(reinterpret_cast<const char*>(m_data + m_pos), take);
        m_pos += take;
        return out;
    }
    // A string whose length is given by the next byte, at most max_length.
    std::string short_string(std::size_t max_length) { return bytes(byte() % (max_length + 1)); }
    std::string rest() { return bytes(remaining()); }
    std::size_t remaining() const { return m_size - m_pos; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// A check that holds on every input; a failure aborts so the fuzzer keeps the input.
#define OM_FUZZ_CHECK(cond) ((cond) ? (void)0 : omFuzzCheckFailed(#cond, __FILE__, __LINE__))
[[noreturn]] void omFuzzCheckFailed(const char* expr, const char* file, int line);
