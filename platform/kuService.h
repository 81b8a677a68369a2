#pragma once

#include "omxmlExport.h"

#include <memory>

#include "platform/kuString.h"

// A service name. Qualifications are separated by '.'; dequalify() drops the
// last one ("a.b.c" -> "a.b" -> "a" -> invalid).
class OMXML_PLATFORM_API kuServiceName {
public:
    kuServiceName() = default;
    explicit kuServiceName(const kuString& name) : m_name(name) {}

    bool invalid() const { return m_name.invalid() || m_name.length() == 0; }
    void dequalify();
    const kuString& name() const { return m_name; }

private:
    kuString m_name;
};

// Base class of every service object. kuService::get_instance() is the
// process-wide registry: register_service stores a service under a name and
// do_locate_service finds what was stored under exactly that name. On any
// other service the two operations store and find nothing.
// Threads: the registry may be used from any thread; a service it replaces or
// removes is destroyed after its lock is released, so a destructor may use
// the registry.
class OMXML_PLATFORM_API kuService {
public:
    kuService() = default;
    kuService(const kuService&) = delete;
    kuService& operator=(const kuService&) = delete;

    // Virtual slots, in order: register_service, destructor, do_locate_service.
    virtual void register_service(const kuServiceName& name, std::shared_ptr<kuService> service);
    virtual ~kuService();

    static kuService* get_instance();

    // Finds a service of type T under name, dropping qualifications of the
    // working copy until one is found. Instantiated by the libraries that
    // define the service types.
    template <class T>
    std::shared_ptr<T> locate_service(const kuServiceName& name, kuServiceName& working);

protected:
    virtual std::shared_ptr<kuService> do_locate_service(const kuServiceName& name);
};
