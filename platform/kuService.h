#pragma once

/// @file
/// Service names and the process-wide service registry.

#include "omxmlExport.h"

#include <memory>

#include "platform/kuString.h"

/// A service name. Qualifications are separated by '.'; dequalify() drops the
/// last one ("a.b.c" -> "a.b" -> "a" -> invalid).
class OMXML_PLATFORM_API kuServiceName {
public:
    /// An invalid name.
    kuServiceName() = default;
    /// The name name, qualifications separated by '.'.
    explicit kuServiceName(const kuString& name) : m_name(name) {}

    /// True for a name never given or empty, and after the last qualification has been dropped.
    bool invalid() const { return m_name.invalid() || m_name.length() == 0; }
    /// Drops the last qualification ("a.b" becomes "a"); a name without one becomes invalid.
    void dequalify();
    /// The name's text.
    const kuString& name() const { return m_name; }

private:
    kuString m_name;
};

/// Base class of every service object. kuService::get_instance() is the
/// process-wide registry: register_service stores a service under a name and
/// do_locate_service finds what was stored under exactly that name. On any
/// other service the two operations store and find nothing.
/// Threads: the registry may be used from any thread; a service it replaces or
/// removes is destroyed after its lock is released, so a destructor may use
/// the registry.
class OMXML_PLATFORM_API kuService {
public:
    /// A service object not registered anywhere.
    kuService() = default;
    /// Services are shared, never copied.
    kuService(const kuService&) = delete;
    /// Services are shared, never copied.
    kuService& operator=(const kuService&) = delete;

    /// Virtual slots, in order: register_service, destructor, do_locate_service.
    /// On the registry: stores service under name, replacing (and, outside the lock, destroying) what was
    /// stored there; a null service removes the entry. On any other service: nothing.
    virtual void register_service(const kuServiceName& name, std::shared_ptr<kuService> service);
    /// Destroys the service.
    virtual ~kuService();

    /// The process-wide registry; never null. Safe from any thread.
    static kuService* get_instance();

    /// Finds a service of type T under name, dropping qualifications of the
    /// working copy until one is found. Instantiated by the libraries that
    /// define the service types.
    template <class T>
    /// Finds a service of type T under name, dropping the last qualification of working (set to name first)
    /// until one is found: the service, or an empty handle when none of the names holds one of type T. Declared
    /// for each service type by the library that defines it (omDocumentFactory).
    std::shared_ptr<T> locate_service(const kuServiceName& name, kuServiceName& working);

protected:
    /// On the registry: what is stored under exactly name, or an empty handle. On any other service: an empty
    /// handle.
    virtual std::shared_ptr<kuService> do_locate_service(const kuServiceName& name);
};
