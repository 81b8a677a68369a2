#pragma once

/// @file
/// Checking documents against their schemas without building them.

#include "omxmlExport.h"

#include <cstddef>
#include <memory>
#include <vector>

#include "factory/omLoadOptions.h"
#include "factory/omParseError.h"
#include "platform/syByteArray.h"
#include "platform/syPath.h"

class lxSchemaCache;

/// Checks documents without building them: each document streams through the
/// parser and the schema validator, and no tree is kept, so memory does not
/// grow with the document. A check follows the rules of a load with the same
/// options (entity expansion limit, no network, external entities only when
/// enabled) and reports what that load reports: the same verdict, and the
/// first problem in document order with the same message and position.
///
/// Threads: any number of checks may run at once on one validator; compiled
/// schema sets are shared between them as between a factory's loads.
class OMXML_BACKEND_API lxStreamValidator {
public:
    /// A validator with an empty schema cache and libxml2's limits in force.
    lxStreamValidator();
    ~lxStreamValidator();
    lxStreamValidator(const lxStreamValidator&) = delete;
    lxStreamValidator& operator=(const lxStreamValidator&) = delete;

    /// For trusted input only: lifts libxml2's limits of element depth (256)
    /// and of the size of one text (10 MB). Elements nested deeper than
    /// 100 000 levels (2048 with libxml2 2.11 and later) still end a check. Set it before checks run.
    void set_huge_input(bool huge) { m_huge_input = huge; }
    /// Whether set_huge_input lifted the limits.
    bool huge_input() const { return m_huge_input; }

    /// Compiles the schemas that options name, once for all later checks with
    /// the same schemas; false, with error filled against the schema file,
    /// when they cannot be read or compiled. True when options name none.
    bool prepare(const omLoadOptions& options, omParseError& error) const;

    /// True when the document is well-formed and meets the schemas; otherwise
    /// error holds the first problem and further, when given, receives the
    /// problems after it, up to max_errors in all.
    bool check(const syPath& path, const omLoadOptions& options, omParseError& error,
               std::vector<omParseError>* further = nullptr, std::size_t max_errors = 1) const;
    /// The same check of a document held in memory (UTF-8 or with its own
    /// declaration of encoding).
    bool check(const syByteArray& data, const omLoadOptions& options, omParseError& error,
               std::vector<omParseError>* further = nullptr, std::size_t max_errors = 1) const;

private:
    std::unique_ptr<lxSchemaCache> m_schemas;
    bool m_huge_input = false;
};
