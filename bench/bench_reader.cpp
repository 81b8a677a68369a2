// The pull reader against pugixml and RapidXML, each doing a program's whole
// cycle on the same file, in one process.
//
//   walk/*    the whole catalog, from opening the file to the last check: for
//             every item its id and the text of its title; the reader leaves
//             the root with up() and checks has_error_occurred()
//   config/*  the configuration file: open, read, an entry found by its key
//             among many, a text two levels down, a service found by its name
//             in the last section, every element left, the root closed
//
// Run with --benchmark_enable_random_interleaving=true so the contenders'
// repetitions alternate, and compare medians. bench/run.sh runs this program
// twice: with glibc's default malloc and with a heap-keeping GLIBC_TUNABLES.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include "bench_common.h"
#include "bench_walk.h"
#include "platform/kuString.h"
#include "platform/syPath.h"
#include "reader/omXmlFactory.h"

namespace {

std::string g_dir;
std::string g_catalog; // the catalog's bytes, read once for the strchr floor
long g_catalog_size = 0;
std::string g_entry_key; // the key of an entry two thirds down the list

// No user counters: the CSV report needs the same columns in every run, and
// the configuration runs have no items. check_agreement() checks the items.
void finish_walk(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * g_catalog_size);
}

void walk_omxml_bench(benchmark::State& state) {
    const syPath path(syString::from_utf8(g_dir + "/catalog.xml"));
    WalkResult result;
    for (auto _ : state) {
        result = walk_omxml_path(path);
        benchmark::DoNotOptimize(result);
    }
    finish_walk(state);
}

void walk_pugixml_bench(benchmark::State& state) {
    const std::string path = g_dir + "/catalog.xml";
    WalkResult result;
    for (auto _ : state) {
        result = walk_pugixml_file(path);
        benchmark::DoNotOptimize(result);
    }
    finish_walk(state);
}

void walk_rapidxml_bench(benchmark::State& state) {
    const std::string path = g_dir + "/catalog.xml";
    WalkResult result;
    for (auto _ : state) {
        result = walk_rapidxml_file(path);
        benchmark::DoNotOptimize(result);
    }
    finish_walk(state);
}

// The floor: one pass over the bytes in memory looking for a byte they do not hold.
void walk_strchr_bench(benchmark::State& state) {
    for (auto _ : state) {
        const char* found = std::strchr(g_catalog.c_str(), '\x01');
        benchmark::DoNotOptimize(found);
    }
    finish_walk(state);
}

const char* const k_service = "svc-13";

// The three values a program reads from its configuration file.
struct ConfigValues {
    std::string entry;
    std::string port;
    std::string service_port;
    bool operator==(const ConfigValues& other) const {
        return entry == other.entry && port == other.port && service_port == other.service_port;
    }
};

// Enters, one after the other, the children named tag until one whose
// attribute name holds value: true and left entered, or false.
bool down_to_with(omAbstractXmlReader& reader, const kuString& tag, const kuString& name, const kuString& value) {
    const kuString none = ku_lit("");
    while (reader.down_to(tag)) {
        if (reader.attribute(name, none) == value) {
            return true;
        }
        reader.up();
    }
    return false;
}

ConfigValues config_omxml(const syPath& path) {
    ConfigValues values;
    const omSimpleXmlFactory factory;
    const std::unique_ptr<omAbstractXmlReader> reader = factory.create_xml_reader_path(3, path);
    if (!reader->read_file() || !reader->down_to(ku_lit("configuration"))) {
        return values;
    }
    const kuString none = ku_lit("");
    if (down_to_with(*reader, ku_lit("entry"), ku_lit("key"), kuString(g_entry_key.c_str()))) {
        values.entry = reader->attribute(ku_lit("value"), none).c_str();
        reader->up();
    }
    if (reader->down_to(ku_lit("section"))) {
        if (reader->down_to(ku_lit("port"))) {
            values.port = reader->text_node().c_str();
            reader->up();
        }
        reader->up();
    }
    if (down_to_with(*reader, ku_lit("section"), ku_lit("name"), ku_lit("services"))) {
        if (down_to_with(*reader, ku_lit("service"), ku_lit("name"), kuString(kuStringLit(), k_service))) {
            values.service_port = reader->attribute(ku_lit("port"), none).c_str();
            reader->up();
        }
        reader->up();
    }
    reader->up(); // leaves the root and checks its closing tag
    if (reader->has_error_occurred()) {
        values = ConfigValues();
    }
    return values;
}

ConfigValues config_pugixml(const char* path) {
    ConfigValues values;
    pugi::xml_document doc;
    if (doc.load_file(path)) {
        const pugi::xml_node root = doc.child("configuration");
        values.entry = root.find_child_by_attribute("entry", "key", g_entry_key.c_str()).attribute("value").value();
        values.port = root.child("section").child("port").child_value();
        values.service_port = root.find_child_by_attribute("section", "name", "services")
                                  .find_child_by_attribute("service", "name", k_service)
                                  .attribute("port")
                                  .value();
    }
    return values;
}

void config_omxml_bench(benchmark::State& state) {
    const syPath path(syString::from_utf8(g_dir + "/config.xml"));
    for (auto _ : state) {
        ConfigValues values = config_omxml(path);
        benchmark::DoNotOptimize(values);
    }
}

void config_pugixml_bench(benchmark::State& state) {
    const std::string path = g_dir + "/config.xml";
    for (auto _ : state) {
        ConfigValues values = config_pugixml(path.c_str());
        benchmark::DoNotOptimize(values);
    }
}

// Every contender must have seen the same document before any timing counts.
bool check_agreement() {
    const std::string catalog = g_dir + "/catalog.xml";
    const WalkResult pugi = walk_pugixml_file(catalog);
    const WalkResult rapid = walk_rapidxml_file(catalog);
    const WalkResult om = walk_omxml_path(syPath(syString::from_utf8(catalog)));
    bool ok = pugi.items > 0 && pugi.items == rapid.items && pugi.items == om.items && pugi.id_bytes == om.id_bytes &&
              rapid.id_bytes == om.id_bytes;
    if (!ok) {
        std::fprintf(stderr, "walks disagree: items omxml %ld, pugixml %ld, rapidxml %ld\n", om.items, pugi.items,
                     rapid.items);
    }
    const std::string config = g_dir + "/config.xml";
    pugi::xml_document doc;
    if (doc.load_file(config.c_str())) {
        // An entry two thirds down the list.
        pugi::xml_node entry = doc.child("configuration").child("entry");
        for (int i = 0; i < 150 && entry.next_sibling("entry"); ++i) {
            entry = entry.next_sibling("entry");
        }
        g_entry_key = entry.attribute("key").value();
    }
    const ConfigValues om_config = config_omxml(syPath(syString::from_utf8(config)));
    const ConfigValues pugi_config = config_pugixml(config.c_str());
    if (!(om_config == pugi_config) || om_config.entry.empty() || om_config.port.empty() ||
        om_config.service_port.empty()) {
        std::fprintf(stderr, "configuration values disagree: omxml '%s' '%s' '%s', pugixml '%s' '%s' '%s'\n",
                     om_config.entry.c_str(), om_config.port.c_str(), om_config.service_port.c_str(),
                     pugi_config.entry.c_str(), pugi_config.port.c_str(), pugi_config.service_port.c_str());
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
    g_catalog = bench_read_file(g_dir + "/catalog.xml");
    g_catalog_size = static_cast<long>(g_catalog.size());
    if (!check_agreement()) {
        return 1;
    }
    benchmark::RegisterBenchmark("walk/omxml", walk_omxml_bench)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("walk/pugixml", walk_pugixml_bench)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("walk/rapidxml", walk_rapidxml_bench)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("walk/strchr", walk_strchr_bench)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("config/omxml", config_omxml_bench)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("config/pugixml", config_pugixml_bench)->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
