#include "backend/lxXPathQuery.h"

#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include "backend/lxCompat.h"
#include "backend/lxNode.h"
#include "backend/lxNodeList.h"
#include "backend/lxString.h"

namespace {

void ignore_message(void*, const char*, ...) {}

// libxml2 reports XPath errors through the thread's handlers; while a query
// uses a context they are the query's: the first error is kept, on one line,
// with where in the expression it was met, and nothing is printed.
class Context {
public:
    Context(xmlDocPtr doc, const lxXPathQuery::Bindings& bindings)
        : m_generic(xmlGenericError), m_generic_context(xmlGenericErrorContext), m_structured(xmlStructuredError),
          m_structured_context(xmlStructuredErrorContext), m_context(xmlXPathNewContext(doc)) {
        xmlSetGenericErrorFunc(nullptr, &ignore_message);
        xmlSetStructuredErrorFunc(this, &keep);
        if (!m_context)
            return;
        for (const auto& binding : bindings)
            xmlXPathRegisterNs(m_context, lxString::xml(binding.first), lxString::xml(binding.second));
    }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
    ~Context() {
        if (m_context)
            xmlXPathFreeContext(m_context);
        xmlSetStructuredErrorFunc(m_structured_context, m_structured);
        xmlSetGenericErrorFunc(m_generic_context, m_generic);
    }

    xmlXPathContextPtr get() const { return m_context; }

    // The first error's message, or otherwise when none came.
    std::string error(const char* otherwise) const { return m_error.empty() ? otherwise : m_error; }
    // The byte of the expression at which it was met; negative when not known.
    int offset() const { return m_offset; }

private:
    static void keep(void* self, lxCompat::Error error) {
        auto* context = static_cast<Context*>(self);
        if (!context->m_error.empty() || !error || !error->message)
            return;
        std::string text = error->message;
        for (char& c : text)
            if (c == '\n' || c == '\r')
                c = ' ';
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        context->m_error = text;
        context->m_offset = error->str1 ? error->int1 : -1;
    }

    xmlGenericErrorFunc m_generic;
    void* m_generic_context;
    xmlStructuredErrorFunc m_structured;
    void* m_structured_context;
    xmlXPathContextPtr m_context;
    std::string m_error;
    int m_offset = -1;
};

struct Evaluation {
    Evaluation() = default;
    Evaluation(const Evaluation&) = delete;
    Evaluation& operator=(const Evaluation&) = delete;
    ~Evaluation() {
        if (object)
            xmlXPathFreeObject(object);
    }

    xmlXPathObjectPtr object = nullptr;
    std::string error;
};

void evaluate_at(xmlDocPtr doc, xmlNodePtr node, const std::string& expression, const lxXPathQuery::Bindings& bindings,
                 Evaluation& result) {
    Context context(doc, bindings);
    if (!context.get()) {
        result.error = "out of memory";
        return;
    }
    context.get()->node = node;
    result.object = xmlXPathEval(lxString::xml(expression), context.get());
    if (!result.object)
        result.error = context.error("the expression cannot be evaluated");
}

// The number of characters of UTF-8 text in its first bytes bytes.
std::size_t characters(const std::string& text, std::size_t bytes) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < bytes && i < text.size(); ++i)
        count += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    return count;
}

} // namespace

lxXPathQuery::lxXPathQuery(std::string expression, Bindings bindings)
    : m_expression(std::move(expression)), m_bindings(std::move(bindings)) {
    {
        Context context(nullptr, m_bindings);
        xmlXPathCompExprPtr compiled =
            context.get() ? xmlXPathCtxtCompile(context.get(), lxString::xml(m_expression)) : nullptr;
        if (compiled) {
            xmlXPathFreeCompExpr(compiled);
        } else {
            m_error = context.error("the expression cannot be compiled");
            const int offset = context.offset();
            if (offset >= 0)
                m_position = characters(m_expression, static_cast<std::size_t>(offset)) + 1;
            return;
        }
    }
    xmlDocPtr doc = xmlNewDoc(lxString::xml("1.0"));
    xmlNodePtr root = doc ? xmlNewDocNode(doc, nullptr, lxString::xml("x"), nullptr) : nullptr;
    if (!root) {
        m_error = "out of memory";
    } else {
        xmlDocSetRootElement(doc, root);
        Evaluation trial;
        evaluate_at(doc, root, m_expression, m_bindings, trial);
        m_error = trial.error;
    }
    if (doc)
        xmlFreeDoc(doc);
}

lxXPathQuery::Result lxXPathQuery::evaluate(const std::shared_ptr<omNode>& context) const {
    Result result;
    const lxNodeRef* ref = lxNodeRef::of(context.get());
    if (!ref) {
        result.error = "the context node is not of the libxml2 back-end";
        return result;
    }
    Evaluation evaluation;
    evaluate_at(ref->owner()->doc(), ref->xml_node(), m_expression, m_bindings, evaluation);
    const xmlXPathObjectPtr object = evaluation.object;
    if (!object) {
        result.error = evaluation.error;
        return result;
    }
    switch (object->type) {
    case XPATH_NODESET: {
        std::vector<xmlNodePtr> nodes;
        for (int i = 0; object->nodesetval && i < object->nodesetval->nodeNr; ++i) {
            xmlNodePtr node = object->nodesetval->nodeTab[i];
            // Namespace nodes are copies that die with the result.
            if (node && node->type != XML_NAMESPACE_DECL)
                nodes.push_back(node);
        }
        result.type = Result::kNodes;
        result.nodes = std::make_shared<lxNodeList>(ref->owner(), std::move(nodes));
        break;
    }
    case XPATH_BOOLEAN:
        result.type = Result::kBoolean;
        result.boolean = object->boolval != 0;
        break;
    case XPATH_NUMBER:
        result.type = Result::kNumber;
        result.number = object->floatval;
        break;
    case XPATH_STRING:
        result.type = Result::kString;
        result.string = object->stringval ? reinterpret_cast<const char*>(object->stringval) : "";
        break;
    default:
        result.error = "the result is of a kind XPath 1.0 does not have";
        break;
    }
    return result;
}
