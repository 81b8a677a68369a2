#include "platform/kuService.h"

#include <map>
#include <mutex>
#include <string>

void kuServiceName::dequalify() {
    const char* s = m_name.c_str();
    for (int i = m_name.length() - 1; i >= 0; --i) {
        if (s[i] == '.') {
            m_name = kuString(kuStringArray(), s, i);
            return;
        }
    }
    m_name = kuString();
}

kuService::~kuService() = default;

void kuService::register_service(const kuServiceName&, std::shared_ptr<kuService>) {}

std::shared_ptr<kuService> kuService::do_locate_service(const kuServiceName&) { return nullptr; }

namespace {

class kuServiceRegistry : public kuService {
public:
    void register_service(const kuServiceName& name, std::shared_ptr<kuService> service) override {
        std::string key(name.name().c_str(), static_cast<std::size_t>(name.name().length()));
        // The service replaced or removed is dropped after the lock is released:
        // its destructor may use the registry.
        std::shared_ptr<kuService> old;
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_services.find(key);
        if (it != m_services.end()) {
            old = std::move(it->second);
            if (service)
                it->second = std::move(service);
            else
                m_services.erase(it);
        } else if (service) {
            m_services.emplace(std::move(key), std::move(service));
        }
    }

protected:
    std::shared_ptr<kuService> do_locate_service(const kuServiceName& name) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_services.find(std::string(name.name().c_str(), static_cast<std::size_t>(name.name().length())));
        return it == m_services.end() ? nullptr : it->second;
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<kuService>> m_services;
};

} // namespace

kuService* kuService::get_instance() {
    // Never destroyed: services may be looked up from other static destructors.
    static kuService* registry = new kuServiceRegistry;
    return registry;
}
