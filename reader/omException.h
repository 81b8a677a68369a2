#pragma once

/// @file
/// The pull reader's error objects.

#include "omxmlExport.h"

#include "platform/kuString.h"

/// The reader's error objects. The cursor throws them by value when it meets
/// malformed or truncated input; the reader catches them by reference to
/// omException and records explanation(), which always ends in one line feed.
class OMXML_API omException {
public:
    /// The error's text for the reader's error list, ending in one line feed.
    virtual kuString explanation() = 0;
    /// Destroys the error object.
    virtual ~omException();

protected:
    /// Only the subclasses are made.
    omException() = default;
    /// Copies the base part.
    omException(const omException&) = default;
    /// Copies the base part.
    omException& operator=(const omException&) = default;
};

/// A closing tag that does not match, or no start tag where one must be.
class OMXML_API omTagException : public omException {
public:
    /// An error about tag; the string's buffer is shared, not copied.
    explicit omTagException(const kuString& tag);
    /// A copy sharing the tag's buffer.
    omTagException(const omTagException& other);
    /// Takes other's tag.
    omTagException& operator=(const omTagException& other);
    kuString explanation() override;
    /// Releases the tag.
    ~omTagException() override;

private:
    kuString m_tag;
};

/// The scan would consume the buffer's last character or stand on its NUL.
class OMXML_API omEndException : public omException {
public:
    /// The end-of-buffer error.
    omEndException();
    /// A copy.
    omEndException(const omEndException& other);
    /// Assigns (nothing to copy).
    omEndException& operator=(const omEndException& other);
    kuString explanation() override;
    /// Destroys the error.
    ~omEndException() override;
};

/// Another character stood where m_expected was required.
class OMXML_API omCharException : public omException {
public:
    /// An error saying that expected was required.
    explicit omCharException(char expected);
    /// A copy.
    omCharException(const omCharException& other);
    /// Takes other's expected character.
    omCharException& operator=(const omCharException& other);
    kuString explanation() override;
    /// Destroys the error.
    ~omCharException() override;

private:
    char m_expected;
};
