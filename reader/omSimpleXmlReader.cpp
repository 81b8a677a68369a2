#include "reader/omSimpleXmlReader.h"

#include <climits>
#include <cstdint>
#include <ostream>

#include "platform/syMemory.h"
#include "reader/omException.h"

namespace {

kuString nesting_error() { return ku_lit("Incorrect xml nesting"); }

} // namespace

omSimpleXmlReader::omSimpleXmlReader(const syIQfsFileqcPrf& file)
    : m_encoding(omAbstractXmlReader::encoding()), m_file(file) {}

omSimpleXmlReader::~omSimpleXmlReader() = default;

omPositionX* omSimpleXmlReader::innermost() const {
    return m_entered ? m_cursors[static_cast<std::size_t>(m_entered - 1)].get() : nullptr;
}

// The whole file and a NUL in one buffer. A size that cannot be had, or that
// leaves no room for the NUL in a 32-bit count, is refused like a short read.
bool omSimpleXmlReader::fill_buffer() {
    if (!m_file || m_file->seek(0, 2) != 0)
        return false;
    long long size = m_file->position();
    if (size < 0 || size > INT_MAX - 1 || m_file->rewind() != 0)
        return false;
    int n = static_cast<int>(size);
    if (!m_buffer.expand(n + 1))
        return false;
    sy_advise_large_buffer(m_buffer.data(), static_cast<std::size_t>(n) + 1);
    if (m_file->read(m_buffer.data(), 1, static_cast<std::size_t>(n)) != static_cast<std::size_t>(n))
        return false;
    m_buffer[n] = '\0';
    return true;
}

bool omSimpleXmlReader::read_file() {
    // No cursor may point into the buffer that is about to be refilled.
    m_cursors.clear();
    m_entered = 0;
    m_initial_position.reset();
    if (!fill_buffer())
        return false;
    try {
        m_initial_position = new omInitialPositionX(m_buffer.data());
        m_initial_position->use_values(&m_values);
        m_encoding = m_initial_position->encoding();
    } catch (omException& e) {
        error_has_occurred(e.explanation());
        return false;
    }
    return m_encoding.case_compare(ku_lit("utf-16")) != 0;
}

kuString omSimpleXmlReader::encoding() { return m_encoding; }

bool omSimpleXmlReader::down_to(const kuString& tag) {
    if (m_error_occurred)
        return false;
    omPositionX* from = innermost();
    if (!from)
        from = m_initial_position.get();
    // Before a successful read_file there is nothing to search; read_file has
    // already answered false, so no nesting error is recorded on top of it.
    if (!from)
        return false;
    try {
        if (!from->next_sub_tag(tag))
            return false;
        // A cursor an earlier up() left in the new slot is made the child's
        // cursor again: entering an element allocates nothing once the depth
        // has been reached before.
        auto slot = static_cast<std::size_t>(m_entered);
        if (slot == m_cursors.size())
            m_cursors.push_back(std::make_unique<omPositionX>(nullptr));
        m_cursors[slot]->enter(*from);
        ++m_entered;
        return true;
    } catch (omException& e) {
        error_has_occurred(e.explanation());
        return false;
    }
}

void omSimpleXmlReader::up() {
    if (m_error_occurred)
        return;
    if (m_entered == 0) {
        error_has_occurred(nesting_error());
        return;
    }
    try {
        if (m_entered == 1) {
            m_cursors[0]->end_object();
            m_entered = 0;
        } else {
            --m_entered;
            // The popped cursor stays in its slot, so the parent can step over
            // the child from where the child's own scan stands.
            auto child = static_cast<std::size_t>(m_entered);
            m_cursors[child - 1]->skip_entered_object(*m_cursors[child]);
        }
    } catch (omException& e) {
        error_has_occurred(e.explanation());
    }
}

// Reading with no element entered is a nesting mistake, recorded as up() records it.
kuString omSimpleXmlReader::attribute(const kuString& name, const kuString& default_value) {
    if (m_error_occurred)
        return default_value;
    omPositionX* element = innermost();
    if (!element) {
        error_has_occurred(nesting_error());
        return default_value;
    }
    try {
        return element->attribute(name, default_value);
    } catch (omException& e) {
        error_has_occurred(e.explanation());
        return default_value;
    }
}

kuString omSimpleXmlReader::text_node() {
    if (m_error_occurred)
        return ku_lit("");
    omPositionX* element = innermost();
    if (!element) {
        error_has_occurred(nesting_error());
        return ku_lit("");
    }
    try {
        return element->text_node();
    } catch (omException& e) {
        error_has_occurred(e.explanation());
        return ku_lit("");
    }
}

bool omSimpleXmlReader::has_error_occurred() const { return m_error_occurred; }

void omSimpleXmlReader::error_has_occurred(const kuString& text) {
    m_errors.append(text);
    m_error_occurred = true;
}

void omSimpleXmlReader::dump_error(std::ostream& out) const {
    for (int i = 0; i < m_errors.size(); ++i)
        out << m_errors[i];
}
