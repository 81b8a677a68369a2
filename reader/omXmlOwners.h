#pragma once

/// @file
/// Single and shared owners of readers and cursors.

#include "omxmlExport.h"

#include <memory>
#include <utility>

#include "platform/qcPrf.h"
#include "reader/omAbstractXmlReader.h"
#include "reader/omInitialPositionX.h"

/// Single owner of one object. A pointer it is given, even one to const,
/// becomes its own: it deletes the object when replaced, reset or destroyed,
/// unless release() handed it back first.
template <class T>
class omSingleOwner {
public:
    /// Owns nothing.
    omSingleOwner() = default;
    /// Owns p.
    explicit omSingleOwner(T* p) : m_p(p) {}
    /// Single owner: not copied.
    omSingleOwner(const omSingleOwner&) = delete;
    /// Single owner: not assigned.
    omSingleOwner& operator=(const omSingleOwner&) = delete;
    /// Deletes the object owned.
    ~omSingleOwner() { delete m_p; }

    /// become(p).
    omSingleOwner& operator=(const T* p) { return become(p); }
    /// Taking over the pointer already held keeps the object alive.
    omSingleOwner& become(const T* p) {
        if (p != m_p) {
            delete m_p;
            m_p = const_cast<T*>(p);
        }
        return *this;
    }
    /// Deletes the object owned and owns nothing.
    void reset() { become(nullptr); }
    /// Hands the object back to the caller, who owns it now; owns nothing after.
    T* release() { return std::exchange(m_p, nullptr); }
    /// Exchanges the objects owned.
    void swap(omSingleOwner& other) { std::swap(m_p, other.m_p); }

    /// The object owned, or null.
    T* operator->() const { return m_p; }
    /// The object owned, or null.
    T* get() const { return m_p; }

private:
    T* m_p = nullptr;
};

/// The reader's document-level cursor.
using omInitialPositionXqcPrg = omSingleOwner<omInitialPositionX>;
/// A reader, deleted whole through its virtual destructor.
using omAbstractXmlReaderqcPrg = omSingleOwner<omAbstractXmlReader>;

/// Shared, counted owner of a reader. A reader owned elsewhere is shared with
/// the qcPrfExtern constructor: its last share hands the pointer to a
/// qcPrfExternalDeleter instead of deleting it.
class OMXML_API omAbstractXmlReaderqcPrf {
public:
    /// Shares nothing.
    omAbstractXmlReaderqcPrf() = default;
    /// The first share of p, which the last share deletes.
    explicit omAbstractXmlReaderqcPrf(omAbstractXmlReader* p) : m_p(p) {}
    /// Joins the shares of p.
    omAbstractXmlReaderqcPrf(std::shared_ptr<omAbstractXmlReader> p) : m_p(std::move(p)) {}
    /// Shares p, owned elsewhere: no share ever deletes it.
    omAbstractXmlReaderqcPrf(qcPrfExternMarker, omAbstractXmlReader* p) : m_p(p, qcPrfExternalDeleter()) {}

    /// The shares as a std::shared_ptr.
    operator std::shared_ptr<omAbstractXmlReader>() const { return m_p; }
    /// The reader, or null.
    omAbstractXmlReader* operator->() const { return m_p.get(); }
    /// The reader, or null.
    omAbstractXmlReader* get() const { return m_p.get(); }

private:
    /// Lets the tests reach external(), which stays private to users.
    friend class omAbstractXmlReaderqcPrfTestAccess;

    /// True when the count block's deleter is a qcPrfExternalDeleter.
    bool external() const { return std::get_deleter<qcPrfExternalDeleter>(m_p) != nullptr; }

    std::shared_ptr<omAbstractXmlReader> m_p;
};
