#pragma once

#include "omxmlExport.h"

#include <iosfwd>

#include "platform/kuString.h"

// The interface of every simple pull reader. The order of the virtual
// operations is fixed: callers and readers are built separately against it.
class OMXML_API omAbstractXmlReader {
public:
    virtual bool read_file() = 0;
    // The declared encoding; "Unknown" for a reader that knows none.
    virtual kuString encoding();
    virtual void up() = 0;
    virtual bool down_to(const kuString& tag) = 0;
    virtual kuString attribute(const kuString& name, const kuString& default_value) = 0;
    virtual kuString text_node() = 0;
    virtual bool has_error_occurred() const = 0;
    // Writes the recorded errors; this default has none to write.
    virtual void dump_error(std::ostream& out) const;
    virtual ~omAbstractXmlReader();

protected:
    omAbstractXmlReader() = default;
    omAbstractXmlReader(const omAbstractXmlReader&) = default;
    omAbstractXmlReader& operator=(const omAbstractXmlReader&) = default;

    // Exactly "UTF-8", "utf-8", "UTF8" or "utf8".
    virtual bool matches_utf8(const kuString& name);
    // Exactly "UTF-16", "utf-16", "UTF16" or "utf16".
    virtual bool matches_utf16(const kuString& name);
    // Every byte below 0x80 and none of '\\', '{', '}'; true for an empty text.
    virtual bool is_safe_ascii(const kuString& text);
};
