#pragma once

/// @file
/// Options of one load: validation and entity handling.

#include "omxmlExport.h"

#include <cstdint>
#include <vector>

#include "platform/syPath.h"
#include "platform/syString.h"

/// Whether a load validates against the schemas named in its options.
enum omValidateMode {
    omValidateOn = 0,  ///< a document that breaks the schemas is not loaded
    omValidateOff = 1, ///< no schema validation (the default)
};

/// Options of one load request: schema validation and entity handling.
class OMXML_API omLoadOptions {
public:
    /// No validation, no schema, an entity expansion limit of 50000, entity resolution disabled.
    omLoadOptions() = default;
    /// The defaults with validation mode.
    omLoadOptions(omValidateMode mode) : m_validate_mode(mode) {}
    /// A copy.
    omLoadOptions(const omLoadOptions& other) = default;
    /// Copies other.
    omLoadOptions& operator=(const omLoadOptions& other) = default;
    /// Destroys the options.
    ~omLoadOptions() = default;

    /// Whether loads validate.
    omValidateMode validate_mode() const { return m_validate_mode; }
    /// Sets whether loads validate.
    void set_validate_mode(omValidateMode mode) { m_validate_mode = mode; }

    /// The schema for elements in no namespace; an empty path for none.
    syPath no_namespace_schema() const { return m_no_namespace_schema; }
    /// Sets the schema for elements in no namespace.
    void set_no_namespace_schema(const syPath& path) { m_no_namespace_schema = path; }

    /// The schema at path applies to elements of namespace ns.
    void add_external_schema(const syString& ns, const syPath& path);
    /// The number of namespace schemas added.
    int num_external_schemas() const { return static_cast<int>(m_external_namespaces.size()); }
    /// The namespace of schema index; throws std::out_of_range outside 0 .. num_external_schemas() - 1.
    syString external_namespace(int index) const;
    /// The path of namespace schema index; throws std::out_of_range outside 0 .. num_external_schemas() - 1.
    syPath external_schema(int index) const;

    /// The most entity references a load may expand, counting those inside replacement texts; the five
    /// predefined escapes count nothing. A document that needs more is refused.
    int entity_expansion_limit() const { return m_entity_expansion_limit; }
    /// Sets the entity expansion limit.
    void set_entity_expansion_limit(int limit) { m_entity_expansion_limit = limit; }

    /// When true (the default) no external entity or DTD is read.
    bool disable_entity_resolution() const { return m_disable_entity_resolution; }
    /// Sets whether external entities and DTDs are kept unread (true) or may be read from files (false); the
    /// network is never used.
    void set_disable_entity_resolution(bool disable) { m_disable_entity_resolution = disable; }

private:
    omValidateMode m_validate_mode = omValidateOff;
    std::vector<syString> m_external_namespaces;
    std::vector<syPath> m_external_schemas;
    syPath m_no_namespace_schema;
    std::int32_t m_entity_expansion_limit = 50000;
    bool m_disable_entity_resolution = true;
};
