// The libxml2 document back-end against raw libxml2 doing the same work, on
// the same bytes in one process:
//
//   load/*        parse the catalog from memory, drop indentation, free
//   xpath/*       "//item/title" over the loaded catalog
//   by_tag/*      every "title" element of the loaded catalog
//   get_xml/*     the loaded catalog as text (libxml2+wide: the raw text widened
//                 to syString, for scale)
//   save/*        the loaded catalog written to memory
//   validate/*    parse the 5 MB catalog, validate it against its (compiled) schema,
//                 drop indentation, free
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

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
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
std::string g_catalog;       // the catalog's bytes
std::string g_small_catalog; // the 5 MB catalog's bytes
syByteArray g_catalog_array;
syByteArray g_small_array;
std::shared_ptr<omDocumentFactory> g_factory;
std::shared_ptr<omDocument> g_om_doc; // the catalog, loaded once for the read-only operations
xmlDocPtr g_raw_doc = nullptr;        // the libxml2 document behind g_om_doc
xmlDocPtr g_separate_doc = nullptr;   // the catalog loaded by raw libxml2, kept to the end

xmlDocPtr raw_load(const std::string& bytes) { return bench_raw_load(bytes.data(), bytes.size()); }

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
// unchanged, so the raw side compiles it once too (raw_schema) and each load
// parses, validates against it and then drops indentation, in that order.
xmlSchemaPtr g_raw_schema = nullptr;

xmlSchemaPtr compile_schema(const std::string& path) {
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(path.c_str());
    xmlSchemaPtr schema = parser != nullptr ? xmlSchemaParse(parser) : nullptr;
    xmlSchemaFreeParserCtxt(parser);
    return schema;
}

bool raw_validated_load(const std::string& bytes) {
    xmlDocPtr doc = bench_raw_parse(bytes.data(), bytes.size());
    bool valid = false;
    if (doc != nullptr && g_raw_schema != nullptr) {
        xmlSchemaValidCtxtPtr validator = xmlSchemaNewValidCtxt(g_raw_schema);
        valid = xmlSchemaValidateDoc(validator, doc) == 0;
        xmlSchemaFreeValidCtxt(validator);
        if (valid) {
            bench_drop_indentation(xmlDocGetRootElement(doc));
        }
    }
    xmlFreeDoc(doc);
    return valid;
}

omLoadOptions validating_options() {
    omLoadOptions options(omValidateOn);
    options.set_no_namespace_schema(syPath(syString::from_utf8(g_dir + "/catalog.xsd")));
    return options;
}

void set_bytes(benchmark::State& state, std::size_t size) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(size));
}

void load_omxml(benchmark::State& state) {
    const omLoadOptions options;
    for (auto _ : state) {
        omParseError error;
        std::shared_ptr<omDocument> doc = g_factory->loadDocument(g_catalog_array, options, error);
        benchmark::DoNotOptimize(doc.get());
    }
    set_bytes(state, g_catalog.size());
}

void load_raw(benchmark::State& state) {
    for (auto _ : state) {
        xmlDocPtr doc = raw_load(g_catalog);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
    set_bytes(state, g_catalog.size());
}

void xpath_omxml(benchmark::State& state) {
    const std::shared_ptr<omElement> root = g_om_doc->getDocumentElement();
    const syString expression = SYSTRING("//item/title");
    for (auto _ : state) {
        benchmark::DoNotOptimize(root->selectNodes(expression)->length());
    }
}

void xpath_raw(benchmark::State& state) {
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

void by_tag_raw(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(raw_by_tag(xmlDocGetRootElement(g_raw_doc), "title").size());
    }
}

void get_xml_omxml(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_om_doc->get_xml().length());
    }
}

void get_xml_raw(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(raw_dump(g_raw_doc));
    }
}

// Not a target, a yardstick: the raw text widened to the model's string type
// by the platform's decoder, the least any get_xml must do.
void get_xml_wide_raw(benchmark::State& state) {
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

void save_raw(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(raw_dump(g_raw_doc));
    }
}

void validate_omxml(benchmark::State& state) {
    const omLoadOptions options = validating_options();
    for (auto _ : state) {
        omParseError error;
        std::shared_ptr<omDocument> doc = g_factory->loadDocument(g_small_array, options, error);
        benchmark::DoNotOptimize(doc.get());
    }
    set_bytes(state, g_small_catalog.size());
}

void validate_raw(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(raw_validated_load(g_small_catalog));
    }
    set_bytes(state, g_small_catalog.size());
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
    xmlDocPtr separate = g_separate_doc;
    if (g_raw_doc == nullptr || separate == nullptr) {
        std::fprintf(stderr, "libxml2 did not load the catalog\n");
        return false;
    }
    // Both loads must have built the same tree: the same text when written out.
    xmlChar* ours = nullptr;
    xmlChar* theirs = nullptr;
    int ours_size = 0;
    int theirs_size = 0;
    xmlDocDumpMemory(g_raw_doc, &ours, &ours_size);
    xmlDocDumpMemory(separate, &theirs, &theirs_size);
    bool ok = ours_size > 0 && ours_size == theirs_size &&
              std::memcmp(ours, theirs, static_cast<std::size_t>(ours_size)) == 0;
    xmlFree(ours);
    xmlFree(theirs);
    if (!ok) {
        std::fprintf(stderr, "the back-end's tree differs from raw libxml2's (%d / %d bytes written)\n", ours_size,
                     theirs_size);
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
    bool ok = true;
    omParseError validation_error;
    const bool om_valid =
        static_cast<bool>(g_factory->loadDocument(g_small_array, validating_options(), validation_error));
    g_raw_schema = compile_schema(g_dir + "/catalog.xsd");
    const bool raw_valid = raw_validated_load(g_small_catalog);
    if (!om_valid || !raw_valid) {
        std::fprintf(stderr, "validated load failed: omxml %d (%s), raw %d\n", om_valid ? 1 : 0,
                     validation_error.message().to_utf8().c_str(), raw_valid ? 1 : 0);
        ok = false;
    }
    return ok;
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
    if (load || tree) {
        g_catalog = bench_read_file(g_dir + "/catalog.xml");
        g_catalog_array.assign(g_catalog.data(), g_catalog.size());
        if (!check_catalog()) {
            return 1;
        }
    }
    if (load && !tree) {
        // Only the loads run: the checked trees need not hold a gigabyte meanwhile.
        g_om_doc.reset();
        g_raw_doc = nullptr;
        xmlFreeDoc(g_separate_doc);
        g_separate_doc = nullptr;
    }
    if (load) {
        benchmark::RegisterBenchmark("load/omxml", load_omxml)->Unit(ms);
        benchmark::RegisterBenchmark("load/libxml2", load_raw)->Unit(ms);
    }
    if (tree) {
        benchmark::RegisterBenchmark("xpath/omxml", xpath_omxml)->Unit(ms);
        benchmark::RegisterBenchmark("xpath/libxml2", xpath_raw)->Unit(ms);
        benchmark::RegisterBenchmark("by_tag/omxml", by_tag_omxml)->Unit(ms);
        benchmark::RegisterBenchmark("by_tag/libxml2", by_tag_raw)->Unit(ms);
        benchmark::RegisterBenchmark("get_xml/omxml", get_xml_omxml)->Unit(ms);
        benchmark::RegisterBenchmark("get_xml/libxml2", get_xml_raw)->Unit(ms);
        benchmark::RegisterBenchmark("get_xml/libxml2+wide", get_xml_wide_raw)->Unit(ms);
        benchmark::RegisterBenchmark("save/omxml", save_omxml)->Unit(ms);
        benchmark::RegisterBenchmark("save/libxml2", save_raw)->Unit(ms);
    }
    if (validate) {
        g_small_catalog = bench_read_file(g_dir + "/catalog-5mb.xml");
        g_small_array.assign(g_small_catalog.data(), g_small_catalog.size());
        if (!check_validation()) {
            return 1;
        }
        benchmark::RegisterBenchmark("validate/omxml", validate_omxml)->Unit(ms);
        benchmark::RegisterBenchmark("validate/libxml2", validate_raw)->Unit(ms);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_om_doc.reset();
    xmlFreeDoc(g_separate_doc);
    xmlSchemaFree(g_raw_schema);
    xmlCleanupParser();
    return 0;
}
