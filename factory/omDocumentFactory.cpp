#include "factory/omDocumentFactory.h"

template <>
std::shared_ptr<omDocumentFactory> kuService::locate_service<omDocumentFactory>(const kuServiceName& name,
                                                                                kuServiceName& working) {
    working = name;
    while (!working.invalid()) {
        std::shared_ptr<kuService> service = do_locate_service(working);
        if (std::shared_ptr<omDocumentFactory> factory = std::dynamic_pointer_cast<omDocumentFactory>(service))
            return factory;
        working.dequalify();
    }
    return nullptr;
}
