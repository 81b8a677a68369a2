#pragma once

#include "omxmlExport.h"

#include <cstdint>
#include <vector>

#include "platform/syPath.h"
#include "platform/syString.h"

// Whether a load validates against the schemas named in its options.
enum omValidateMode {
    omValidateOn = 0,  // a document that breaks the schemas is not loaded
    omValidateOff = 1, // no schema validation (the default)
};

// Options of one load request: schema validation and entity handling.
class OMXML_API omLoadOptions {
public:
    omLoadOptions() = default;
    omLoadOptions(omValidateMode mode) : m_validate_mode(mode) {}
    omLoadOptions(const omLoadOptions& other) = default;
    omLoadOptions& operator=(const omLoadOptions& other) = default;
    ~omLoadOptions() = default;

    omValidateMode validate_mode() const { return m_validate_mode; }
    void set_validate_mode(omValidateMode mode) { m_validate_mode = mode; }

    syPath no_namespace_schema() const { return m_no_namespace_schema; }
    void set_no_namespace_schema(const syPath& path) { m_no_namespace_schema = path; }

    // The schema at path applies to elements of namespace ns.
    void add_external_schema(const syString& ns, const syPath& path);
    int num_external_schemas() const { return static_cast<int>(m_external_namespaces.size()); }
    // Throw std::out_of_range for an index outside 0 .. num_external_schemas() - 1.
    syString external_namespace(int index) const;
    syPath external_schema(int index) const;

    int entity_expansion_limit() const { return m_entity_expansion_limit; }
    void set_entity_expansion_limit(int limit) { m_entity_expansion_limit = limit; }

    // When true (the default) no external entity or DTD is read.
    bool disable_entity_resolution() const { return m_disable_entity_resolution; }
    void set_disable_entity_resolution(bool disable) { m_disable_entity_resolution = disable; }

private:
    omValidateMode m_validate_mode = omValidateOff;
    std::vector<syString> m_external_namespaces;
    std::vector<syPath> m_external_schemas;
    syPath m_no_namespace_schema;
    std::int32_t m_entity_expansion_limit = 50000;
    bool m_disable_entity_resolution = true;
};
