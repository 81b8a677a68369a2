#include "reader/omException.h"

omException::~omException() = default;

omTagException::omTagException(const kuString& tag) : m_tag(tag) {}
omTagException::omTagException(const omTagException& other) = default;
omTagException& omTagException::operator=(const omTagException& other) = default;
omTagException::~omTagException() = default;

kuString omTagException::explanation() {
    return ku_lit("omTagException:: Something wrong with tag ") + m_tag + ku_lit("\n");
}

omEndException::omEndException() = default;
omEndException::omEndException(const omEndException& other) = default;
omEndException& omEndException::operator=(const omEndException& other) = default;
omEndException::~omEndException() = default;

kuString omEndException::explanation() { return ku_lit("omEndException:: Xml reader moved of the end of the file\n"); }

omCharException::omCharException(char expected) : m_expected(expected) {}
omCharException::omCharException(const omCharException& other) = default;
omCharException& omCharException::operator=(const omCharException& other) = default;
omCharException::~omCharException() = default;

kuString omCharException::explanation() {
    const char expected[] = {m_expected, '\n'};
    return ku_lit("omCharException:: Xml file did not contain expected char ") + kuString(kuStringArray(), expected, 2);
}
