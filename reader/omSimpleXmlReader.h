#pragma once

/// @file
/// The pull reader omSimpleXmlReader.

#include "omxmlExport.h"

#include <iosfwd>
#include <memory>
#include <vector>

#include "platform/qcDynArr.h"
#include "platform/qcPageArr.h"
#include "platform/syQfsFile.h"
#include "reader/omAbstractXmlReader.h"
#include "reader/omPositionX.h"
#include "reader/omXmlOwners.h"

class omSimpleXmlFactory;

/// The pull reader for simple XML files. It reads a whole file into one buffer,
/// reads its declaration, and walks the element tree by name: down_to enters a
/// child, attribute and text_node read the innermost entered element, up leaves
/// it. Its public operations never throw: a cursor's exception is recorded and
/// from then on the reader is failed for good and answers every walking
/// operation with false, the caller's default or an empty string.
/// Readers are made by omSimpleXmlFactory.
class OMXML_API omSimpleXmlReader : public omAbstractXmlReader {
public:
    /// True when the file is read and its declaration accepted. A second call
    /// first leaves every entered element; the error state stays.
    bool read_file() override;
    kuString encoding() override;
    void up() override;
    bool down_to(const kuString& tag) override;
    kuString attribute(const kuString& name, const kuString& default_value) override;
    kuString text_node() override;
    bool has_error_occurred() const override;
    /// Writes the recorded texts, oldest first, with nothing between them.
    void dump_error(std::ostream& out) const override;
    /// Destroys the reader, its buffer and cursors; a file the reader owns alone is closed.
    ~omSimpleXmlReader() override;

    /// Records text as an error and puts the reader in its failed state for good.
    void error_has_occurred(const kuString& text);

private:
    friend class omSimpleXmlFactory;
    explicit omSimpleXmlReader(const syIQfsFileqcPrf& file);
    omSimpleXmlReader(const omSimpleXmlReader&) = delete;
    omSimpleXmlReader& operator=(const omSimpleXmlReader&) = delete;

    /// The innermost entered element's cursor; null when none is entered.
    omPositionX* innermost() const;
    bool fill_buffer();

    kuString m_encoding;
    omInitialPositionXqcPrg m_initial_position;
    /// The entered elements' cursors, outermost first: m_entered of them. A
    /// cursor beyond them is one an up() left, kept to be entered again.
    std::vector<std::unique_ptr<omPositionX>> m_cursors;
    int m_entered = 0;
    omValueBuffer m_values;
    kuStringqcPageArr m_errors;
    syIQfsFileqcPrf m_file;
    charqcDynArr m_buffer;
    bool m_error_occurred = false;
};
