#pragma once

/// @file
/// XPath expressions with compile errors, evaluation errors and scalar results.

#include "omxmlExport.h"

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dom/omNode.h"
#include "dom/omNodeList.h"

/// An XPath 1.0 expression for the documents of the libxml2 back-end, with what
/// omElement::selectNodes leaves out: why an expression cannot be used and
/// where, errors met while evaluating it, and results that are numbers, strings
/// or truth values. Prefixes in the expression mean what the bindings given
/// make them mean (and "xml" its own namespace), the same in every document.
///
/// Threads: a query is built on one thread; afterwards evaluate may be called
/// from many threads at once, on the same document or on others.
class OMXML_BACKEND_API lxXPathQuery {
public:
    /// Prefix bindings: pairs of prefix and namespace URI.
    using Bindings = std::vector<std::pair<std::string, std::string>>;

    /// Compiles expression (UTF-8) and tries it on an empty document, so an
    /// error that every document would meet (an unbound prefix, an unknown
    /// function, a wrong argument) is found once, here.
    explicit lxXPathQuery(std::string expression, Bindings bindings = {});

    /// Why the expression cannot be used; empty when it can.
    const std::string& error() const { return m_error; }
    /// The character (counted from 1) of the expression at which compiling
    /// stopped; 0 when it compiled or the place is not known.
    std::size_t error_position() const { return m_position; }

    /// What evaluate gives: a node list, a truth value, a number, a string or an error.
    struct Result {
        /// The kinds of result.
        enum Type {
            kError,   ///< the evaluation failed
            kNodes,   ///< a node set
            kBoolean, ///< a truth value
            kNumber,  ///< a number
            kString   ///< a string
        };
        /// Which member holds the result.
        Type type = kError;
        std::shared_ptr<omNodeList> nodes; ///< kNodes, in document order
        bool boolean = false;              ///< kBoolean
        double number = 0;                 ///< kNumber
        std::string string;                ///< kString, UTF-8
        std::string error;                 ///< kError: what went wrong, one line
    };

    /// Evaluates the expression with context, a node of a document this
    /// back-end made, as the context node.
    Result evaluate(const std::shared_ptr<omNode>& context) const;

private:
    std::string m_expression;
    Bindings m_bindings;
    std::string m_error;
    std::size_t m_position = 0;
};
