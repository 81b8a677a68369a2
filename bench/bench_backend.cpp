// The libxml2 document back-end against raw libxml2, on the same bytes in one
// process. Every case has two raw contenders:
//
//   .../libxml2        the plain job: what a program using libxml2 directly
//                      would call (xmlReadMemory(data, size, 0, 0, 0) +
//                      xmlFreeDoc; xmlXPathEval; xmlDocDumpMemory, widened to
//                      syString for get_xml)
//   .../libxml2+rules  libxml2 doing the back-end's extra work as well:
//                      internal entities substituted, no network, white space
//                      that only indents dropped in a walk after the parse
//                      (only where there is extra work)
//
// so omxml/libxml2 is the whole price of the back-end, and omxml/libxml2+rules
// the price of the wrapper alone.
//
//   load/catalog/*      the 5 MB catalog from memory, then freed
//   load/attributes/*   5 MB of records with many attributes full of &amp;-style references
//   load/entities/*     5 MB that declares internal entities and uses them in
//                       text and attribute values (expansion limit raised)
//   xpath/*             "//item/title" over the loaded 64 MiB catalog
//   by_tag/*            every "title" element of the loaded catalog
//   get_xml/*           the loaded catalog as a wide string
//   save/*              the loaded catalog written to memory
//   validate/*          parse the 5 MB catalog, validate it against its
//                       (compiled) schema, free
//
// The read-only operations run on one tree: the raw side works on the libxml2
// document behind the back-end's handle, so where the nodes lie in memory
// (which alone moves a tree walk by half) is the same for both, and the ratio
// is the cost of the document model over the libxml2 calls. A separately
// loaded raw tree is only used to check that both loads built the same tree.
//
// --part=load runs load/*, --part=tree the four operations on a loaded tree,
// --part=validate validate/*, each part best in a process of its own: a
// fresh heap, not one that a 64 MiB catalog has been loaded into and freed
// from over and over, which slows every later allocation of both sides alike
// and buries the smaller operations in that noise. Without --part everything
// runs in one process. Run with --benchmark_enable_random_interleaving=true
// and compare medians.
//
// glibc's fast bins are turned off for the whole run. With them, freeing a
// tree of millions of small blocks leaves them unmerged, and the merge
// (malloc_consolidate) happens inside whichever load allocates next, often
// the other contender's: loads then took 0.4 s or 1.2 s depending on the
// order alone. Without them each free merges at once, so every contender
// pays for its own frees and the loads repeat within a few percent.

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>

#include "backend/lxDocumentFactory.h"
#include "backend/lxDocumentOwner.h"
#include "backend/lxNode.h"
#include "bench_common.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"
#include "factory/omLoadOptions.h"
#include "factory/omParseError.h"
#include "platform/syByteArray.h"
#include "platform/syPath.h"

namespace {

std::string g_dir;
std::string g_catalog; // the 64 MiB catalog's bytes, for the operations on a loaded tree
syByteArray g_catalog_array;
std::shared_ptr<omDocumentFactory> g_factory;
std::shared_ptr<omDocument> g_om_doc; // the catalog, loaded once for the read-only operations
xmlDocPtr g_raw_doc = nullptr;        // the libxml2 document behind g_om_doc
xmlDocPtr g_separate_doc = nullptr;   // the catalog loaded by raw libxml2, kept to the end

// One document of the load cases, with the options the back-end loads it under.
struct LoadCase {
    const char* name;
    std::string bytes;
    syByteArray array;
    omLoadOptions options;
};
LoadCase g_cases[3];
LoadCase& g_small_catalog = g_cases[0]; // also the validated load's document

const std::size_t k_load_size = std::size_t{5} << 20;

// A small deterministic generator (the same bytes on every run).
struct Lcg {
    std::uint64_t state;
    unsigned below(unsigned n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>((state >> 33) % n);
    }
};

const char* const k_words[] = {"Smith", "Jones", "north", "south",   "alpha",  "omega",  "river", "stone",
                               "field", "maple", "cedar", "harbour", "signal", "copper", "amber", "violet"};

std::string word(Lcg& random) { return k_words[random.below(16)]; }

// Records whose attributes carry predefined references: names with "&amp;",
// comparisons with "&lt;" and "&gt;", quotations with "&quot;".
std::string make_attribute_document() {
    Lcg random{0xa77u};
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<records>\n";
    char id[32];
    for (unsigned long n = 1; out.size() < k_load_size; ++n) {
        std::snprintf(id, sizeof id, "r%07lu", n);
        out += std::string("  <record id=\"") + id + "\" owner=\"" + word(random) + " &amp; " + word(random) +
               "\" range=\"" + std::to_string(random.below(100)) + " &lt; x &lt; " +
               std::to_string(100 + random.below(900)) + "\" quote=\"&quot;" + word(random) + " " + word(random) +
               "&quot;\" flags=\"a&amp;b&amp;c\" note=\"" + word(random) + " &gt; " + word(random) + " &amp;&amp; " +
               word(random) + "\" kind=\"k" + std::to_string(random.below(8)) + "\"/>\n";
    }
    return out + "</records>\n";
}

// A catalog that declares its recurring texts as internal entities (one
// nested in another) and refers to them in text and in attribute values.
std::string make_entity_document() {
    Lcg random{0xe77u};
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE catalog [\n"
                      "<!ENTITY co \"Acme Instruments Ltd\">\n"
                      "<!ENTITY addr \"12 Harbour Road, &co; House\">\n"
                      "<!ENTITY lic \"Supplied under the standard terms of sale; see the price list\">\n";
    for (int i = 0; i < 16; ++i)
        out += "<!ENTITY w" + std::to_string(i) + " \"" + k_words[i] + "\">\n";
    out += "]>\n<catalog>\n";
    for (unsigned long n = 1; out.size() < k_load_size; ++n) {
        std::string w1 = "&w" + std::to_string(random.below(16)) + ";";
        std::string w2 = "&w" + std::to_string(random.below(16)) + ";";
        out += "  <item id=\"i" + std::to_string(n) + "\" vendor=\"&co;\" origin=\"" + w1 + "\">\n    <title>" + w1 +
               " " + w2 + " &amp; " + word(random) +
               "</title>\n    <from>&addr;</from>\n    <terms>&lic;</terms>\n"
               "  </item>\n";
    }
    return out + "</catalog>\n";
}

xmlDocPtr raw_load(const std::string& bytes) { return bench_raw_load(bytes.data(), bytes.size()); }

// The plain job: libxml2's own entry point with no options at all.
xmlDocPtr plain_parse(const std::string& bytes) {
    return xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, 0);
}

int raw_xpath_count(xmlDocPtr doc) {
    xmlXPathContextPtr context = xmlXPathNewContext(doc);
    xmlXPathObjectPtr result = xmlXPathEval(BAD_CAST "//item/title", context);
    const int count = result != nullptr && result->nodesetval != nullptr ? result->nodesetval->nodeNr : 0;
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    return count;
}

// Every element named name under root, root included, in document order.
// Parsed names live in the document's dictionary, so most compare by address.
std::vector<xmlNode*> raw_by_tag(xmlNode* root, const char* name) {
    std::vector<xmlNode*> found;
    const xmlChar* interned = root->doc != nullptr && root->doc->dict != nullptr
                                  ? xmlDictExists(root->doc->dict, BAD_CAST name, -1)
                                  : nullptr;
    xmlNode* node = root;
    while (node != nullptr) {
        if (node->type == XML_ELEMENT_NODE &&
            (node->name == interned || (interned == nullptr && xmlStrEqual(node->name, BAD_CAST name)))) {
            found.push_back(node);
        }
        if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
            node = node->children;
            continue;
        }
        while (node != root && node->next == nullptr) {
            node = node->parent;
        }
        node = node == root ? nullptr : node->next;
    }
    return found;
}

std::size_t raw_dump(xmlDocPtr doc) {
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &text, &size);
    xmlFree(text);
    return static_cast<std::size_t>(size);
}

// The back-end compiles a schema once and reuses it while its file is
// unchanged, so the raw side compiles it once too (raw_schema).
xmlSchemaPtr g_raw_schema = nullptr;

xmlSchemaPtr compile_schema(const std::string& path) {
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(path.c_str());
    xmlSchemaPtr schema = parser != nullptr ? xmlSchemaParse(parser) : nullptr;
    xmlSchemaFreeParserCtxt(parser);
    return schema;
}

bool valid(xmlDocPtr doc) {
    xmlSchemaValidCtxtPtr validator = xmlSchemaNewValidCtxt(g_raw_schema);
    const bool ok = validator != nullptr && xmlSchemaValidateDoc(validator, doc) == 0;
    xmlSchemaFreeValidCtxt(validator);
    return ok;
}

// Parse, validate the tree, free.
bool plain_validated_load(const std::string& bytes) {
    xmlDocPtr doc = plain_parse(bytes);
    const bool ok = doc != nullptr && valid(doc);
    xmlFreeDoc(doc);
    return ok;
}

// The same with the back-end's parser options, and indentation dropped after.
bool rules_validated_load(const std::string& bytes) {
    xmlDocPtr doc = bench_raw_parse(bytes.data(), bytes.size());
    const bool ok = doc != nullptr && valid(doc);
    if (ok) {
        bench_drop_indentation(xmlDocGetRootElement(doc));
    }
    xmlFreeDoc(doc);
    return ok;
}

omLoadOptions validating_options() {
    omLoadOptions options(omValidateOn);
    options.set_no_namespace_schema(syPath(syString::from_utf8(g_dir + "/catalog.xsd")));
    return options;
}

void set_bytes(benchmark::State& state, std::size_t size) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(size));
}

void load_omxml(benchmark::State& state, const LoadCase* load) {
    for (auto _ : state) {
        omParseError error;
        std::shared_ptr<omDocument> doc = g_factory->loadDocument(load->array, load->options, error);
        benchmark::DoNotOptimize(doc.get());
    }
    set_bytes(state, load->bytes.size());
}

void load_plain(benchmark::State& state, const LoadCase* load) {
    for (auto _ : state) {
        xmlDocPtr doc = plain_parse(load->bytes);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
    set_bytes(state, load->bytes.size());
}

void load_rules(benchmark::State& state, const LoadCase* load) {
    for (auto _ : state) {
        xmlDocPtr doc = raw_load(load->bytes);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
    set_bytes(state, load->bytes.size());
}

void xpath_omxml(benchmark::State& state) {
    const std::shared_ptr<omElement> root = g_om_doc->getDocumentElement();
    const syString expression = SYSTRING("//item/title");
    for (auto _ : state) {
        benchmark::DoNotOptimize(root->selectNodes(expression)->length());
    }
}

void xpath_plain(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(raw_xpath_count(g_raw_doc));
    }
}

void by_tag_omxml(benchmark::State& state) {
    const syString name = SYSTRING("title");
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_om_doc->getElementsByTagName(name)->length());
    }
}

void by_tag_plain(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(raw_by_tag(xmlDocGetRootElement(g_raw_doc), "title").size());
    }
}

void get_xml_omxml(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_om_doc->get_xml().length());
    }
}

// The same result from libxml2: the dumped text widened to syString by the
// platform's decoder.
void get_xml_plain(benchmark::State& state) {
    for (auto _ : state) {
        xmlChar* text = nullptr;
        int size = 0;
        xmlDocDumpMemory(g_raw_doc, &text, &size);
        const syString wide = syString::from_utf8(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
        xmlFree(text);
        benchmark::DoNotOptimize(wide.length());
    }
}

void save_omxml(benchmark::State& state) {
    for (auto _ : state) {
        syByteArray output;
        benchmark::DoNotOptimize(g_factory->saveDocument(g_om_doc, output));
        benchmark::DoNotOptimize(output.size());
    }
}

void save_plain(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(raw_dump(g_raw_doc));
    }
}

void validate_omxml(benchmark::State& state) {
    const omLoadOptions options = validating_options();
    for (auto _ : state) {
        omParseError error;
        std::shared_ptr<omDocument> doc = g_factory->loadDocument(g_small_catalog.array, options, error);
        benchmark::DoNotOptimize(doc.get());
    }
    set_bytes(state, g_small_catalog.bytes.size());
}

void validate_plain(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(plain_validated_load(g_small_catalog.bytes));
    }
    set_bytes(state, g_small_catalog.bytes.size());
}

void validate_rules(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(rules_validated_load(g_small_catalog.bytes));
    }
    set_bytes(state, g_small_catalog.bytes.size());
}

// The text libxml2 writes for doc, for comparing trees.
std::string dumped(xmlDocPtr doc) {
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &text, &size);
    std::string out(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size > 0 ? size : 0));
    xmlFree(text);
    return out;
}

// The back-end and libxml2 doing the same work must build the same tree.
bool check_load(const LoadCase& load) {
    omParseError error;
    std::shared_ptr<omDocument> doc = g_factory->loadDocument(load.array, load.options, error);
    if (!doc) {
        std::fprintf(stderr, "the back-end did not load %s: %s\n", load.name, error.message().to_utf8().c_str());
        return false;
    }
    const lxNodeRef* ref = lxNodeRef::of(doc.get());
    xmlDocPtr raw = raw_load(load.bytes);
    xmlDocPtr plain = plain_parse(load.bytes);
    const bool same = ref != nullptr && raw != nullptr && dumped(ref->owner()->doc()) == dumped(raw);
    if (!same || plain == nullptr) {
        std::fprintf(stderr, "%s: the back-end's tree differs from raw libxml2's, or libxml2 failed\n", load.name);
    }
    xmlFreeDoc(raw);
    xmlFreeDoc(plain);
    return same && plain != nullptr;
}

// Both sides must have built the same trees before any timing counts.
bool check_catalog() {
    omParseError error;
    g_om_doc = g_factory->loadDocument(g_catalog_array, omLoadOptions(), error);
    if (!g_om_doc) {
        std::fprintf(stderr, "the back-end did not load the catalog: %s\n", error.message().to_utf8().c_str());
        return false;
    }
    const lxNodeRef* ref = lxNodeRef::of(g_om_doc.get());
    g_raw_doc = ref != nullptr ? ref->owner()->doc() : nullptr;
    // Kept, not freed, until the end: freeing a tree this size before the
    // timing would leave the heap in the state described at the top.
    g_separate_doc = raw_load(g_catalog);
    if (g_raw_doc == nullptr || g_separate_doc == nullptr) {
        std::fprintf(stderr, "libxml2 did not load the catalog\n");
        return false;
    }
    const std::string ours = dumped(g_raw_doc);
    const std::string theirs = dumped(g_separate_doc);
    bool ok = !ours.empty() && ours == theirs;
    if (!ok) {
        std::fprintf(stderr, "the back-end's tree differs from raw libxml2's (%zu / %zu bytes written)\n", ours.size(),
                     theirs.size());
    }
    const int om_xpath = g_om_doc->getDocumentElement()->selectNodes(SYSTRING("//item/title"))->length();
    const int raw_xpath = raw_xpath_count(g_raw_doc);
    const int om_tags = g_om_doc->getElementsByTagName(SYSTRING("title"))->length();
    const auto raw_tags = static_cast<int>(raw_by_tag(xmlDocGetRootElement(g_raw_doc), "title").size());
    if (om_xpath <= 0 || om_xpath != raw_xpath || om_tags != raw_tags || om_tags != om_xpath) {
        std::fprintf(stderr, "node counts disagree: xpath %d/%d, by tag %d/%d\n", om_xpath, raw_xpath, om_tags,
                     raw_tags);
        ok = false;
    }
    return ok;
}

bool check_validation() {
    omParseError validation_error;
    const bool om_valid =
        static_cast<bool>(g_factory->loadDocument(g_small_catalog.array, validating_options(), validation_error));
    g_raw_schema = compile_schema(g_dir + "/catalog.xsd");
    const bool plain_valid = plain_validated_load(g_small_catalog.bytes);
    const bool rules_valid = rules_validated_load(g_small_catalog.bytes);
    if (!om_valid || !plain_valid || !rules_valid) {
        std::fprintf(stderr, "validated load failed: omxml %d (%s), libxml2 %d, libxml2+rules %d\n", om_valid ? 1 : 0,
                     validation_error.message().to_utf8().c_str(), plain_valid ? 1 : 0, rules_valid ? 1 : 0);
        return false;
    }
    return true;
}

void set_case(LoadCase& load, const char* name, std::string bytes, const omLoadOptions& options) {
    load.name = name;
    load.bytes = std::move(bytes);
    load.array.assign(load.bytes.data(), load.bytes.size());
    load.options = options;
}

} // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    mallopt(M_MXFAST, 0);
#endif
    benchmark::Initialize(&argc, argv);
    g_dir = bench_data_dir(argc, argv);
    std::string part = "all";
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--part=", 7) == 0) {
            part = argv[i] + 7;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const bool load = part == "all" || part == "load";
    const bool tree = part == "all" || part == "tree";
    const bool validate = part == "all" || part == "validate";
    if (!load && !tree && !validate) {
        std::fprintf(stderr, "--part must be load, tree or validate\n");
        return 2;
    }
    xmlInitParser();
    g_factory = std::make_shared<lxDocumentFactory>();
    const auto ms = benchmark::kMillisecond;
    if (load || validate) {
        set_case(g_cases[0], "catalog", bench_read_file(g_dir + "/catalog-5mb.xml"), omLoadOptions());
    }
    if (load) {
        omLoadOptions raised;
        raised.set_entity_expansion_limit(INT_MAX);
        set_case(g_cases[1], "attributes", make_attribute_document(), omLoadOptions());
        set_case(g_cases[2], "entities", make_entity_document(), raised);
        for (const LoadCase& c : g_cases) {
            if (!check_load(c)) {
                return 1;
            }
            const std::string prefix = std::string("load/") + c.name;
            benchmark::RegisterBenchmark((prefix + "/omxml").c_str(), load_omxml, &c)->Unit(ms);
            benchmark::RegisterBenchmark((prefix + "/libxml2").c_str(), load_plain, &c)->Unit(ms);
            benchmark::RegisterBenchmark((prefix + "/libxml2+rules").c_str(), load_rules, &c)->Unit(ms);
        }
    }
    if (tree) {
        g_catalog = bench_read_file(g_dir + "/catalog.xml");
        g_catalog_array.assign(g_catalog.data(), g_catalog.size());
        if (!check_catalog()) {
            return 1;
        }
        benchmark::RegisterBenchmark("xpath/omxml", xpath_omxml)->Unit(ms);
        benchmark::RegisterBenchmark("xpath/libxml2", xpath_plain)->Unit(ms);
        benchmark::RegisterBenchmark("by_tag/omxml", by_tag_omxml)->Unit(ms);
        benchmark::RegisterBenchmark("by_tag/libxml2", by_tag_plain)->Unit(ms);
        benchmark::RegisterBenchmark("get_xml/omxml", get_xml_omxml)->Unit(ms);
        benchmark::RegisterBenchmark("get_xml/libxml2", get_xml_plain)->Unit(ms);
        benchmark::RegisterBenchmark("save/omxml", save_omxml)->Unit(ms);
        benchmark::RegisterBenchmark("save/libxml2", save_plain)->Unit(ms);
    }
    if (validate) {
        if (!check_validation()) {
            return 1;
        }
        benchmark::RegisterBenchmark("validate/omxml", validate_omxml)->Unit(ms);
        benchmark::RegisterBenchmark("validate/libxml2", validate_plain)->Unit(ms);
        benchmark::RegisterBenchmark("validate/libxml2+rules", validate_rules)->Unit(ms);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_om_doc.reset();
    xmlFreeDoc(g_separate_doc);
    xmlSchemaFree(g_raw_schema);
    xmlCleanupParser();
    return 0;
}
