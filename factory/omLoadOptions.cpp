#include "factory/omLoadOptions.h"

#include <stdexcept>

void omLoadOptions::add_external_schema(const syString& ns, const syPath& path) {
    m_external_namespaces.push_back(ns);
    m_external_schemas.push_back(path);
}

syString omLoadOptions::external_namespace(int index) const {
    if (index < 0)
        throw std::out_of_range("omLoadOptions::external_namespace: negative index");
    return m_external_namespaces.at(static_cast<std::size_t>(index));
}

syPath omLoadOptions::external_schema(int index) const {
    if (index < 0)
        throw std::out_of_range("omLoadOptions::external_schema: negative index");
    return m_external_schemas.at(static_cast<std::size_t>(index));
}
