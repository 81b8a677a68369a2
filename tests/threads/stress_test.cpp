// Threads sharing documents: readers of one loaded document (XPath, element
// lists, markup, saves, handle churn) beside workers that load, validate and
// save documents of their own. Each result is compared with the same work
// done on one thread first; libxml2 itself is not instrumented under
// ThreadSanitizer, so wrong results are the evidence there.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "support.h"

namespace {

// Namespaces, an inherited declaration, a namespace name that must be
// escaped when written, IDs, entity-free text beyond ASCII.
const char* const k_shared[] = {
    "<p:list xmlns:p=\"urn:p\" xmlns:q=\"urn:q\"><p:item xml:id=\"i1\" kind=\"a\">caf\xC3\xA9 &amp; co</p:item>"
    "<p:item xml:id=\"i2\" kind=\"b\" q:n=\"\xE2\x82\xAC\"><q:x>1</q:x><q:x>2</q:x></p:item>"
    "<!-- note --><p:item kind=\"b\"><?pi data?>tail</p:item></p:list>",
    "<r xmlns:e=\"urn:a&amp;b\"><e:s e:v=\"&lt;\"><t>x</t></e:s><e:s/><t>\xC3\xBC</t></r>",
};
const char* const k_xpath[] = {"//p:item[@kind='b']", "//*[local-name()='s' or local-name()='t']"};
const char* const k_tag[] = {"q:x", "t"};

const char* const k_schema = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"order\">"
                             "<xs:complexType><xs:sequence><xs:element name=\"line\" maxOccurs=\"unbounded\">"
                             "<xs:complexType><xs:simpleContent><xs:extension base=\"xs:string\">"
                             "<xs:attribute name=\"qty\" type=\"xs:int\"/></xs:extension></xs:simpleContent>"
                             "</xs:complexType></xs:element></xs:sequence></xs:complexType></xs:element></xs:schema>";
const char* const k_own[] = {"<order><line qty=\"2\">pen</line><line qty=\"1\">ink &amp; nib</line></order>",
                             "<order><line qty=\"two\">pen</line></order>"};

// Everything a reader checks of one shared document, as text.
std::string read_all(const std::shared_ptr<omDocument>& doc, const std::string& save_path) {
    std::string out = narrow(doc->get_xml());
    std::shared_ptr<omElement> root = doc->getDocumentElement();
    bool first = root->getNodeName() == SYSTRING("p:list");
    std::shared_ptr<omNodeList> found = root->selectNodes(wide(k_xpath[first ? 0 : 1]));
    for (int i = 0; i < found->length(); ++i)
        out += "|" + narrow(found->at(i)->get_xml());
    std::shared_ptr<omElement> single = root->selectSingleNode(wide(k_xpath[first ? 0 : 1]));
    out += "|" + (single ? narrow(single->getNodeName()) : std::string("-"));
    out += "|" + std::to_string(doc->getElementsByTagName(wide(k_tag[first ? 0 : 1]))->length());
    // Handle churn: every node and attribute by walking, each handle dropped at once.
    std::vector<std::shared_ptr<omNode>> stack{root};
    while (!stack.empty()) {
        std::shared_ptr<omNode> node = stack.back();
        stack.pop_back();
        out += "," + narrow(node->getNodeName()) + "=" + narrow(node->getNodeValue());
        if (std::shared_ptr<omNamedNodeMap> attributes = node->getAttributes())
            for (int i = 0; i < attributes->getLength(); ++i)
                out += "@" + narrow(attributes->item(i)->get_xml());
        for (std::shared_ptr<omNode> child = node->getLastChild(); child; child = child->getPreviousSibling())
            stack.push_back(child);
    }
    syByteArray bytes;
    if (!backend().saveDocument(doc, bytes))
        out += "|unsaved";
    std::string saved(bytes.data(), bytes.size());
    // Files are slow to replace (synced to disk): only some reads save one.
    if (!save_path.empty() &&
        (!backend().saveDocument(root->getOwnerDocument(), syPath(wide(save_path))) || read_bytes(save_path) != saved))
        out += "|file differs";
    return out + "|" + saved;
}

// A worker's own document: loaded (validated or not), saved, reloaded.
std::string own_work(int kind, const std::string& schema) {
    omLoadOptions options(kind & 2 ? omValidateOn : omValidateOff);
    options.set_no_namespace_schema(syPath(wide(schema)));
    Loaded own = load(k_own[kind & 1], options);
    if (!own.document)
        return "error: " + own.message();
    const std::shared_ptr<omDocument>& doc = own.document;
    omParseError error;
    syByteArray bytes;
    backend().saveDocument(doc, bytes);
    std::shared_ptr<omDocument> again = backend().loadDocument(bytes, omLoadOptions(), error);
    return std::string(bytes.data(), bytes.size()) + (again ? narrow(again->get_xml()) : "reload failed");
}

// A service whose destructor looks services up, as a plug-in's might.
class LookingService : public kuService {
public:
    ~LookingService() override {
        kuServiceName working;
        kuService::get_instance()->locate_service<omDocumentFactory>(kuServiceName(kuString("XMLService")), working);
    }
};

} // namespace

TEST(ThreadStress, SharedReadersBesideOwnLoadsGiveTheResultsOfOneThread) {
    TempDir dir;
    const std::string schema = dir.write("order.xsd", k_schema);
    std::vector<std::shared_ptr<omDocument>> shared;
    std::vector<std::string> shared_expected;
    for (const char* text : k_shared) {
        shared.push_back(load(text).document);
        ASSERT_TRUE(shared.back());
        shared_expected.push_back(read_all(shared.back(), dir.file("alone.xml")));
    }
    std::vector<std::string> own_expected;
    for (int kind = 0; kind < 4; ++kind)
        own_expected.push_back(own_work(kind, schema));
    ASSERT_NE(own_expected[2].find("<line qty=\"1\">ink &amp; nib</line>"), std::string::npos);
    ASSERT_EQ(own_expected[3].rfind("error: ", 0), 0u);
    const syString converted = wide("caf\xC3\xA9 \xF0\x9F\x98\x80");

    const char* stress_ms = std::getenv("OMXML_STRESS_MS");
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(stress_ms ? std::atoi(stress_ms) : 1500);
    std::mutex mutex;
    std::string first_failure;
    long reads = 0, own = 0, failures = 0;
    auto run = [&](int thread, bool reader, std::vector<std::shared_ptr<omDocument>> docs) {
        long done = 0, failed = 0;
        std::string failure;
        for (int i = 0; std::chrono::steady_clock::now() < deadline; ++i, ++done) {
            std::string got, expected;
            if (reader) {
                std::size_t d = static_cast<std::size_t>(i + thread) % docs.size();
                got = read_all(docs[d], i % 8 ? std::string() : dir.file("r" + std::to_string(thread) + ".xml"));
                expected = shared_expected[d];
                if (std::strcmp(converted.convert(syStringUTF8), "caf\xC3\xA9 \xF0\x9F\x98\x80") != 0)
                    got += "|converted";
            } else {
                int kind = (i + thread) % 4;
                got = own_work(kind, schema);
                expected = own_expected[static_cast<std::size_t>(kind)];
            }
            if (got != expected && failed++ == 0)
                failure = "expected\n" + expected + "\ngot\n" + got;
        }
        docs.clear();
        std::lock_guard<std::mutex> lock(mutex);
        (reader ? reads : own) += done;
        failures += failed;
        if (first_failure.empty())
            first_failure = failure;
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back(run, t, t < 4, t < 4 ? shared : decltype(shared)());
    // The documents' last handles may go on any thread: here they go while readers run.
    shared.clear();
    for (std::thread& thread : threads)
        thread.join();
    std::printf("shared-document reads: %ld, own loads: %ld, wrong results: %ld\n", reads, own, failures);
    EXPECT_EQ(failures, 0) << first_failure;
    EXPECT_GT(reads, 0);
    EXPECT_GT(own, 0);
}

TEST(ThreadStress, ReplacedOrRemovedServiceIsDestroyedOutsideTheRegistryLock) {
    kuService* registry = kuService::get_instance();
    const kuServiceName name(kuString("test.looking"));
    // Run aside: a destructor that waited on the registry's lock would never return.
    std::promise<void> finished;
    std::future<void> done = finished.get_future();
    std::thread([registry, name, finished = std::move(finished)]() mutable {
        registry->register_service(name, std::make_shared<LookingService>());
        registry->register_service(name, std::make_shared<LookingService>()); // replaces
        registry->register_service(name, nullptr);                            // removes
        finished.set_value();
    }).detach();
    ASSERT_EQ(done.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "deadlock in the registry";
}
