#include "platform/qcPageArr.h"

kuString& kuStringqcPageArr::operator[](int i) {
    if (i >= size())
        m_items.resize(static_cast<std::size_t>(i) + 1);
    return m_items[static_cast<std::size_t>(i)];
}
