// Peak memory of one scenario, run alone in this process. Prints one line:
//   scenario=<name> baseline_kib=<rss before the work> peak_kib=<peak rss> file_bytes=<input size> check=<what it saw>
// The peak is getrusage's ru_maxrss, so every scenario needs its own process.
//
// Usage: omxml_bench_memory <scenario> [--data=DIR]
//   reader-walk     the pull reader walks the catalog from its file
//   pugixml-walk    pugixml load_file of the catalog and the same walk
//   rapidxml-walk   the catalog read into memory, RapidXML parse and the same walk
//   backend-load    the back-end loads the catalog from memory
//   libxml2-load    plain libxml2: xmlReadMemory of the catalog, no options
//   libxml2-rules-load  libxml2 parses the catalog with the back-end's options and drops indentation
//   reader-deep     the pull reader enters 100 000 nested elements and steps over them
//   backend-check   the back-end checks the catalog file against its schema without building it

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <pugixml.hpp>

#include "backend/lxDocumentFactory.h"
#include "backend/lxStreamValidator.h"
#include "bench_common.h"
#include "bench_walk.h"
#include "dom/omDocument.h"
#include "factory/omLoadOptions.h"
#include "factory/omParseError.h"
#include "platform/kuString.h"
#include "platform/syByteArray.h"
#include "platform/syPath.h"
#include "reader/omXmlFactory.h"

namespace {

std::string g_dir;

long file_size(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return -1;
    }
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    return size;
}

std::string walk_text(const WalkResult& result) { return "items:" + std::to_string(result.items); }

std::string reader_walk() { return walk_text(walk_omxml_path(syPath(syString::from_utf8(g_dir + "/catalog.xml")))); }

std::string pugixml_walk() {
    pugi::xml_document doc;
    if (!doc.load_file((g_dir + "/catalog.xml").c_str())) {
        return "load-failed";
    }
    return walk_text(walk_pugixml_doc(doc));
}

std::string rapidxml_walk() {
    std::string bytes = bench_read_file(g_dir + "/catalog.xml");
    return walk_text(walk_rapidxml(&bytes[0]));
}

// The bytes of a file read straight into the array the back-end loads from.
syByteArray read_array(const std::string& path) {
    syByteArray bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) {
        std::fseek(file, 0, SEEK_END);
        bytes.resize(static_cast<std::size_t>(std::ftell(file)));
        std::fseek(file, 0, SEEK_SET);
        const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
        bytes.resize(got);
        std::fclose(file);
    }
    return bytes;
}

std::string backend_load() {
    const syByteArray bytes = read_array(g_dir + "/catalog.xml");
    const std::shared_ptr<omDocumentFactory> factory = std::make_shared<lxDocumentFactory>();
    omParseError error;
    const std::shared_ptr<omDocument> doc = factory->loadDocument(bytes, omLoadOptions(), error);
    return doc ? "loaded" : "load-failed";
}

std::string libxml2_load() {
    const syByteArray bytes = read_array(g_dir + "/catalog.xml");
    xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, 0);
    if (doc == nullptr) {
        return "load-failed";
    }
    xmlFreeDoc(doc);
    return "loaded";
}

std::string libxml2_rules_load() {
    const syByteArray bytes = read_array(g_dir + "/catalog.xml");
    xmlDocPtr doc = bench_raw_load(bytes.data(), bytes.size());
    if (doc == nullptr) {
        return "load-failed";
    }
    xmlFreeDoc(doc);
    return "loaded";
}

std::string backend_check() {
    omLoadOptions options(omValidateOn);
    options.set_no_namespace_schema(syPath(syString::from_utf8(g_dir + "/catalog.xsd")));
    const lxStreamValidator validator;
    omParseError error;
    if (validator.check(syPath(syString::from_utf8(g_dir + "/catalog.xml")), options, error))
        return "valid";
    return "check-failed:line-" + std::to_string(error.line_number());
}

// A crash here is the finding: the reader must not recurse per nesting level.
std::string reader_deep() {
    const omSimpleXmlFactory factory;
    const syPath path(syString::from_utf8(g_dir + "/deep.xml"));
    long depth = 0;
    std::string innermost;
    {
        const std::unique_ptr<omAbstractXmlReader> reader = factory.create_xml_reader_path(3, path);
        if (!reader->read_file() || !reader->down_to(ku_lit("deep"))) {
            return "read-failed";
        }
        while (reader->down_to(ku_lit("d"))) {
            ++depth;
        }
        innermost = reader->text_node().c_str();
    }
    // Stepping over the whole nest at once: text_node skips the child, up checks the root.
    const std::unique_ptr<omAbstractXmlReader> reader = factory.create_xml_reader_path(3, path);
    bool stepped = reader->read_file() && reader->down_to(ku_lit("deep"));
    if (stepped) {
        reader->text_node();
        reader->up();
        stepped = !reader->has_error_occurred();
    }
    return "depth:" + std::to_string(depth) + ",text:" + innermost + (stepped ? ",stepped-over" : ",step-failed");
}

struct Scenario {
    const char* name;
    const char* input;
    std::string (*run)();
};

const Scenario k_scenarios[] = {
    {"reader-walk", "catalog.xml", reader_walk},     {"pugixml-walk", "catalog.xml", pugixml_walk},
    {"rapidxml-walk", "catalog.xml", rapidxml_walk}, {"backend-load", "catalog.xml", backend_load},
    {"libxml2-load", "catalog.xml", libxml2_load},   {"libxml2-rules-load", "catalog.xml", libxml2_rules_load},
    {"reader-deep", "deep.xml", reader_deep},        {"backend-check", "catalog.xml", backend_check},
};

} // namespace

int main(int argc, char** argv) {
    g_dir = bench_data_dir(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <scenario> [--data=DIR]\n", argv[0]);
        return 2;
    }
    for (const Scenario& scenario : k_scenarios) {
        if (std::strcmp(argv[1], scenario.name) != 0) {
            continue;
        }
        const long input = file_size(g_dir + "/" + scenario.input);
        if (input < 0) {
            std::fprintf(stderr, "no data in %s: run omxml_bench_gen first\n", g_dir.c_str());
            return 1;
        }
        xmlInitParser();
        const long baseline = bench_peak_rss_kib();
        const std::string check = scenario.run();
        const long peak = bench_peak_rss_kib();
        std::printf("scenario=%s baseline_kib=%ld peak_kib=%ld file_bytes=%ld check=%s\n", scenario.name, baseline,
                    peak, input, check.c_str());
        return 0;
    }
    std::fprintf(stderr, "unknown scenario %s\n", argv[1]);
    return 2;
}
