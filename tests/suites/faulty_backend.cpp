#include "tests/suites/faulty_backend.h"

#include "dom/omCharacterData.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNamedNodeMap.h"
#include "dom/omNodeList.h"
#include "dom/omProcessingInstruction.h"

namespace {

using Faults = std::shared_ptr<const BackendFaults>;

class WrappedNode;
std::shared_ptr<WrappedNode> wrap(const std::shared_ptr<omNode>& inner, const Faults& faults);
std::shared_ptr<omNodeList> wrap_list(const std::shared_ptr<omNodeList>& inner, const Faults& faults);
std::shared_ptr<omNamedNodeMap> wrap_map(const std::shared_ptr<omNamedNodeMap>& inner, const Faults& faults);
std::shared_ptr<omNode> unwrap(const std::shared_ptr<omNode>& node);

// One wrapper for every kind of node; operations the inner node does not
// offer answer with empty results.
class WrappedNode : public omElement, public omDocument {
public:
    WrappedNode(std::shared_ptr<omNode> inner, Faults faults)
        : m_inner(std::move(inner)), m_faults(std::move(faults)) {}

    const std::shared_ptr<omNode>& inner() const { return m_inner; }

    syString getNodeName() override { return m_inner->getNodeName(); }
    syString getNodeValue() override { return m_inner->getNodeValue(); }
    std::shared_ptr<omNode> getParentNode() override { return wrap(m_inner->getParentNode(), m_faults); }
    std::shared_ptr<omNodeList> getChildNodes() override { return wrap_list(m_inner->getChildNodes(), m_faults); }
    std::shared_ptr<omNode> getFirstChild() override { return wrap(m_inner->getFirstChild(), m_faults); }
    std::shared_ptr<omNode> getLastChild() override { return wrap(m_inner->getLastChild(), m_faults); }
    std::shared_ptr<omNode> getPreviousSibling() override { return wrap(m_inner->getPreviousSibling(), m_faults); }
    std::shared_ptr<omNode> getNextSibling() override { return wrap(m_inner->getNextSibling(), m_faults); }
    std::shared_ptr<omDocument> getOwnerDocument() override { return wrap(m_inner->getOwnerDocument(), m_faults); }

    std::shared_ptr<omNode> insertBefore(std::shared_ptr<omNode> newChild, std::shared_ptr<omNode> refChild) override {
        if (m_faults->insert_appends_after_non_child && refChild && !is_child(refChild))
            return wrap(m_inner->appendChild(unwrap(newChild)), m_faults);
        return wrap(m_inner->insertBefore(unwrap(newChild), unwrap(refChild)), m_faults);
    }
    std::shared_ptr<omNode> replaceChild(std::shared_ptr<omNode> newChild, std::shared_ptr<omNode> oldChild) override {
        if (m_faults->replace_child_appends && is_child(oldChild) && m_inner->appendChild(unwrap(newChild)))
            return wrap(m_inner->removeChild(unwrap(oldChild)), m_faults);
        return wrap(m_inner->replaceChild(unwrap(newChild), unwrap(oldChild)), m_faults);
    }
    std::shared_ptr<omNode> removeChild(std::shared_ptr<omNode> oldChild) override {
        if (m_faults->remove_child_keeps_it && oldChild && is_child(oldChild))
            return oldChild;
        return wrap(m_inner->removeChild(unwrap(oldChild)), m_faults);
    }
    std::shared_ptr<omNode> appendChild(std::shared_ptr<omNode> newChild) override {
        return wrap(m_inner->appendChild(unwrap(newChild)), m_faults);
    }
    bool hasChildNodes() override { return m_inner->hasChildNodes(); }
    std::shared_ptr<omNode> cloneNode(bool deep) override { return wrap(m_inner->cloneNode(deep), m_faults); }
    bool hasAttributes() override { return m_inner->hasAttributes(); }
    std::shared_ptr<omNamedNodeMap> getAttributes() const override {
        return wrap_map(m_inner->getAttributes(), m_faults);
    }
    bool operator==(const omNode& other) const override {
        const auto* wrapped = dynamic_cast<const WrappedNode*>(&other);
        return *m_inner == (wrapped ? *wrapped->m_inner : other);
    }

    syString get_text() override { return m_inner->get_text(); }
    void set_text(const syString& text) override { m_inner->set_text(text); }
    syString get_xml() override {
        auto* data = dynamic_cast<omCharacterData*>(m_inner.get());
        return data && m_faults->character_xml_is_data ? data->getData() : m_inner->get_xml();
    }

    syString getTagName() override { return element() ? element()->getTagName() : syString(); }
    syString getAttribute(const syString& name) override {
        return element() ? element()->getAttribute(name) : syString();
    }
    void setAttribute(const syString& name, const syString& value) override {
        syString stored = value.empty() && m_faults->empty_attribute_takes_its_name ? name : value;
        if (m_faults->attribute_values_escaped_twice)
            stored = stored.replace_all(SYSTRING("&"), SYSTRING("&amp;")).replace_all(SYSTRING("<"), SYSTRING("&lt;"));
        if (element())
            element()->setAttribute(name, stored);
    }
    void removeAttribute(const syString& name) override {
        if (element())
            element()->removeAttribute(name);
    }
    bool hasAttribute(const syString& name) override { return element() && element()->hasAttribute(name); }
    std::shared_ptr<omNodeList> selectNodes(const syString& xpath) override {
        return element() ? wrap_list(element()->selectNodes(xpath), m_faults) : nullptr;
    }
    std::shared_ptr<omElement> selectSingleNode(const syString& xpath) override {
        if (!element())
            return nullptr;
        if (m_faults->select_single_returns_last) {
            std::shared_ptr<omNodeList> all = element()->selectNodes(xpath);
            return all && all->length() ? wrap(all->at(all->length() - 1), m_faults) : nullptr;
        }
        return wrap(element()->selectSingleNode(xpath), m_faults);
    }
    std::shared_ptr<omNode> getAttributeNode(const syString& name) override {
        return element() ? wrap(element()->getAttributeNode(name), m_faults) : nullptr;
    }
    std::shared_ptr<omNode> setAttributeNode(std::shared_ptr<omNode> attribute) override {
        return element() ? wrap(element()->setAttributeNode(unwrap(attribute)), m_faults) : nullptr;
    }
    std::shared_ptr<omNode> removeAttributeNode(std::shared_ptr<omNode> attribute) override {
        return element() ? wrap(element()->removeAttributeNode(unwrap(attribute)), m_faults) : nullptr;
    }
    // Overrides the operation of both interfaces: a document searches itself, an element its descendants.
    std::shared_ptr<omNodeList> getElementsByTagName(const syString& name) override {
        if (document())
            return wrap_list(document()->getElementsByTagName(name), m_faults);
        return element() ? wrap_list(element()->getElementsByTagName(name), m_faults) : nullptr;
    }
    void normalize() override {
        if (element())
            element()->normalize();
    }

    std::shared_ptr<omElement> createElement(const syString& tagName) override {
        return document() ? wrap(document()->createElement(tagName), m_faults) : nullptr;
    }
    std::shared_ptr<omTextNode> createTextNode(const syString& data) override;
    std::shared_ptr<omCommentNode> createComment(const syString& data) override;
    std::shared_ptr<omElement> getDocumentElement() override {
        return document() ? wrap(document()->getDocumentElement(), m_faults) : nullptr;
    }
    syString getDocumentURI() override { return document() ? document()->getDocumentURI() : syString(); }
    std::shared_ptr<omNode> createAttribute(const syString& name) override {
        return document() ? wrap(document()->createAttribute(name), m_faults) : nullptr;
    }
    std::shared_ptr<omProcessingInstruction> createProcessingInstruction(const syString& target,
                                                                         const syString& data) override {
        // Processing instructions have an omNode part of their own and cannot be wrapped here.
        return document() ? document()->createProcessingInstruction(target, data) : nullptr;
    }

private:
    omElement* element() const { return dynamic_cast<omElement*>(m_inner.get()); }
    omDocument* document() const { return dynamic_cast<omDocument*>(m_inner.get()); }

    bool is_child(const std::shared_ptr<omNode>& node) {
        std::shared_ptr<omNode> parent = unwrap(node)->getParentNode();
        return parent && *parent == *m_inner;
    }

    std::shared_ptr<omNode> m_inner;
    Faults m_faults;
};

template <class Data>
class WrappedData : public WrappedNode, public Data {
public:
    using WrappedNode::WrappedNode;
    syString getData() override { return dynamic_cast<omCharacterData&>(*inner()).getData(); }
};
using WrappedText = WrappedData<omTextNode>;
using WrappedComment = WrappedData<omCommentNode>;

std::shared_ptr<omTextNode> WrappedNode::createTextNode(const syString& data) {
    std::shared_ptr<omTextNode> node = document() ? document()->createTextNode(data) : nullptr;
    return node ? std::make_shared<WrappedText>(node, m_faults) : nullptr;
}

std::shared_ptr<omCommentNode> WrappedNode::createComment(const syString& data) {
    std::shared_ptr<omCommentNode> node = document() ? document()->createComment(data) : nullptr;
    return node ? std::make_shared<WrappedComment>(node, m_faults) : nullptr;
}

class WrappedList : public omNodeList {
public:
    WrappedList(std::shared_ptr<omNodeList> inner, Faults faults)
        : m_inner(std::move(inner)), m_faults(std::move(faults)) {}

    std::shared_ptr<omElement> at(int index) override { return wrap(m_inner->at(index), m_faults); }
    int length() const override { return m_inner->length() - (m_faults->list_drops_last && m_inner->length()); }
    bool operator++() override {
        if (!m_faults->list_stays_at_end)
            return omNodeList::operator++();
        if (current < length())
            ++current;
        return !invalid();
    }

private:
    std::shared_ptr<omNodeList> m_inner;
    Faults m_faults;
};

class WrappedMap : public omNamedNodeMap {
public:
    WrappedMap(std::shared_ptr<omNamedNodeMap> inner, Faults faults)
        : m_inner(std::move(inner)), m_faults(std::move(faults)) {}

    int getLength() override { return m_inner->getLength(); }
    std::shared_ptr<omNode> item(int index) override { return wrap(m_inner->item(index), m_faults); }
    std::shared_ptr<omNode> getNamedItem(const syString& name) override {
        return wrap(m_inner->getNamedItem(name), m_faults);
    }
    std::shared_ptr<omNode> removeNamedItem(const syString& name) override {
        if (m_faults->remove_absent_name_quietly && !m_inner->getNamedItem(name))
            return nullptr;
        if (m_faults->remove_named_item_keeps_it)
            return wrap(m_inner->getNamedItem(name), m_faults);
        return wrap(m_inner->removeNamedItem(name), m_faults);
    }
    std::shared_ptr<omNode> setNamedItem(std::shared_ptr<omNode> node) override {
        return wrap(m_inner->setNamedItem(unwrap(node)), m_faults);
    }

private:
    std::shared_ptr<omNamedNodeMap> m_inner;
    Faults m_faults;
};

std::shared_ptr<WrappedNode> wrap(const std::shared_ptr<omNode>& inner, const Faults& faults) {
    if (!inner)
        return nullptr;
    if (dynamic_cast<omTextNode*>(inner.get()))
        return std::make_shared<WrappedText>(inner, faults);
    if (dynamic_cast<omCommentNode*>(inner.get()))
        return std::make_shared<WrappedComment>(inner, faults);
    return std::make_shared<WrappedNode>(inner, faults);
}

std::shared_ptr<omNodeList> wrap_list(const std::shared_ptr<omNodeList>& inner, const Faults& faults) {
    return inner ? std::make_shared<WrappedList>(inner, faults) : nullptr;
}

std::shared_ptr<omNamedNodeMap> wrap_map(const std::shared_ptr<omNamedNodeMap>& inner, const Faults& faults) {
    return inner ? std::make_shared<WrappedMap>(inner, faults) : nullptr;
}

std::shared_ptr<omNode> unwrap(const std::shared_ptr<omNode>& node) {
    if (std::shared_ptr<WrappedNode> wrapped = std::dynamic_pointer_cast<WrappedNode>(node))
        return wrapped->inner();
    return node;
}

class FaultyFactory : public omDocumentFactory {
public:
    FaultyFactory(std::shared_ptr<omDocumentFactory> real, BackendFaults faults)
        : m_real(std::move(real)), m_faults(std::make_shared<const BackendFaults>(faults)) {}

    std::shared_ptr<omDocument> createDocument(const syString& rootName) const override {
        return wrap(m_real->createDocument(rootName), m_faults);
    }
    std::shared_ptr<omDocument> loadDocument(const syPath& path, const omLoadOptions& options,
                                             omParseError& error) const override {
        return wrap(m_real->loadDocument(path, options, error), m_faults);
    }
    std::shared_ptr<omDocument> loadDocument(const syByteArray& data, const omLoadOptions& options,
                                             omParseError& error) const override {
        std::shared_ptr<omDocument> document = m_real->loadDocument(data, options, error);
        if (document && m_faults->loaded_root_gains_child)
            document->getDocumentElement()->appendChild(document->createTextNode(SYSTRING("extra")));
        return wrap(document, m_faults);
    }
    bool saveDocument(std::shared_ptr<omDocument> document, syByteArray& output) override {
        return m_real->saveDocument(real_document(document), output);
    }
    bool saveDocument(std::shared_ptr<omDocument> document, const syPath& path) override {
        return m_real->saveDocument(real_document(document), path);
    }

private:
    static std::shared_ptr<omDocument> real_document(const std::shared_ptr<omDocument>& document) {
        return std::dynamic_pointer_cast<omDocument>(unwrap(document));
    }

    std::shared_ptr<omDocumentFactory> m_real;
    Faults m_faults;
};

class EmptyFactory : public omDocumentFactory {
public:
    std::shared_ptr<omDocument> createDocument(const syString&) const override { return nullptr; }
    std::shared_ptr<omDocument> loadDocument(const syPath&, const omLoadOptions&, omParseError& error) const override {
        error = omParseError(SYSTRING("nothing can be loaded"));
        return nullptr;
    }
    std::shared_ptr<omDocument> loadDocument(const syByteArray&, const omLoadOptions&,
                                             omParseError& error) const override {
        error = omParseError(SYSTRING("nothing can be loaded"));
        return nullptr;
    }
    bool saveDocument(std::shared_ptr<omDocument>, syByteArray&) override { return false; }
    bool saveDocument(std::shared_ptr<omDocument>, const syPath&) override { return false; }
};

} // namespace

std::shared_ptr<omDocumentFactory> make_faulty_factory(std::shared_ptr<omDocumentFactory> real, BackendFaults faults) {
    return std::make_shared<FaultyFactory>(std::move(real), faults);
}

std::shared_ptr<omDocumentFactory> make_empty_factory() { return std::make_shared<EmptyFactory>(); }
