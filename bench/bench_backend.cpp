// The libxml2 document back-end against raw libxml2 doing the same work, on
// the same bytes in one process:
//
//   load/*        parse the catalog from memory, drop indentation, free
//   xpath/*       "//item/title" over the loaded catalog
//   by_tag/*      every "title" element of the loaded catalog
//   get_xml/*     the loaded catalog as text
//   save/*        the loaded catalog written to memory
//   validate/*    parse the 5 MB catalog, validate it against its (compiled) schema,
//                 drop indentation, free
//
// Run with --benchmark_enable_random_interleaving=true and compare medians.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>

#include "backend/lxDocumentFactory.h"
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
xmlDocPtr g_raw_doc = nullptr;

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
std::vector<xmlNode*> raw_by_tag(xmlNode* root, const char* name) {
    std::vector<xmlNode*> found;
    xmlNode* node = root;
    while (node != nullptr) {
        if (node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, BAD_CAST name)) {
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
bool check_agreement() {
    omParseError error;
    g_om_doc = g_factory->loadDocument(g_catalog_array, omLoadOptions(), error);
    g_raw_doc = raw_load(g_catalog);
    if (!g_om_doc || g_raw_doc == nullptr) {
        std::fprintf(stderr, "the catalog did not load: %s\n", error.message().to_utf8().c_str());
        return false;
    }
    const int om_xpath = g_om_doc->getDocumentElement()->selectNodes(SYSTRING("//item/title"))->length();
    const int raw_xpath = raw_xpath_count(g_raw_doc);
    const int om_tags = g_om_doc->getElementsByTagName(SYSTRING("title"))->length();
    const auto raw_tags = static_cast<int>(raw_by_tag(xmlDocGetRootElement(g_raw_doc), "title").size());
    bool ok = om_xpath > 0 && om_xpath == raw_xpath && om_tags == raw_tags && om_tags == om_xpath;
    if (!ok) {
        std::fprintf(stderr, "node counts disagree: xpath %d/%d, by tag %d/%d\n", om_xpath, raw_xpath, om_tags,
                     raw_tags);
    }
    omParseError validation_error;
    const bool om_valid = static_cast<bool>(g_factory->loadDocument(g_small_array, validating_options(), validation_error));
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
    benchmark::Initialize(&argc, argv);
    g_dir = bench_data_dir(argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    xmlInitParser();
    g_catalog = bench_read_file(g_dir + "/catalog.xml");
    g_small_catalog = bench_read_file(g_dir + "/catalog-5mb.xml");
    g_catalog_array.assign(g_catalog.data(), g_catalog.size());
    g_small_array.assign(g_small_catalog.data(), g_small_catalog.size());
    g_factory = std::make_shared<lxDocumentFactory>();
    if (!check_agreement()) {
        return 1;
    }
    const auto ms = benchmark::kMillisecond;
    benchmark::RegisterBenchmark("load/omxml", load_omxml)->Unit(ms);
    benchmark::RegisterBenchmark("load/libxml2", load_raw)->Unit(ms);
    benchmark::RegisterBenchmark("xpath/omxml", xpath_omxml)->Unit(ms);
    benchmark::RegisterBenchmark("xpath/libxml2", xpath_raw)->Unit(ms);
    benchmark::RegisterBenchmark("by_tag/omxml", by_tag_omxml)->Unit(ms);
    benchmark::RegisterBenchmark("by_tag/libxml2", by_tag_raw)->Unit(ms);
    benchmark::RegisterBenchmark("get_xml/omxml", get_xml_omxml)->Unit(ms);
    benchmark::RegisterBenchmark("get_xml/libxml2", get_xml_raw)->Unit(ms);
    benchmark::RegisterBenchmark("save/omxml", save_omxml)->Unit(ms);
    benchmark::RegisterBenchmark("save/libxml2", save_raw)->Unit(ms);
    benchmark::RegisterBenchmark("validate/omxml", validate_omxml)->Unit(ms);
    benchmark::RegisterBenchmark("validate/libxml2", validate_raw)->Unit(ms);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_om_doc.reset();
    xmlFreeDoc(g_raw_doc);
    xmlSchemaFree(g_raw_schema);
    xmlCleanupParser();
    return 0;
}
