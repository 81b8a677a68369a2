#pragma once

#include "omxmlExport.h"

#include "platform/kuString.h"

// The reader's error objects. The cursor throws them by value when it meets
// malformed or truncated input; the reader catches them by reference to
// omException and records explanation(), which always ends in one line feed.
class OMXML_API omException {
public:
    virtual kuString explanation() = 0;
    virtual ~omException();

protected:
    omException() = default;
    omException(const omException&) = default;
    omException& operator=(const omException&) = default;
};

// A closing tag that does not match, or no start tag where one must be.
class OMXML_API omTagException : public omException {
public:
    explicit omTagException(const kuString& tag);
    omTagException(const omTagException& other);
    omTagException& operator=(const omTagException& other);
    kuString explanation() override;
    ~omTagException() override;

private:
    kuString m_tag;
};

// The scan would consume the buffer's last character or stand on its NUL.
class OMXML_API omEndException : public omException {
public:
    omEndException();
    omEndException(const omEndException& other);
    omEndException& operator=(const omEndException& other);
    kuString explanation() override;
    ~omEndException() override;
};

// Another character stood where m_expected was required.
class OMXML_API omCharException : public omException {
public:
    explicit omCharException(char expected);
    omCharException(const omCharException& other);
    omCharException& operator=(const omCharException& other);
    kuString explanation() override;
    ~omCharException() override;

private:
    char m_expected;
};
