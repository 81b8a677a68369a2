// The pull reader against pugixml and RapidXML, on the same bytes in one process.
//
//   walk/*    the whole catalog: for every item its id and the text of its title
//   config/*  the full cycle on the configuration file: open, read, three values, close
//
// Run with --benchmark_enable_random_interleaving=true so the contenders'
// repetitions alternate, and compare medians.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include "bench_common.h"
#include "bench_walk.h"
#include "platform/kuString.h"
#include "platform/syPath.h"
#include "reader/omXmlFactory.h"

namespace {

std::string g_dir;
std::string g_catalog; // the catalog's bytes, read once

// No user counters: the CSV report needs the same columns in every run, and
// the configuration runs have no items. check_agreement() checks the items.
void finish_walk(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(g_catalog.size()));
}

void walk_omxml_bench(benchmark::State& state) {
    WalkResult result;
    for (auto _ : state) {
        result = walk_omxml_bytes(g_catalog);
        benchmark::DoNotOptimize(result);
    }
    finish_walk(state);
}

void walk_pugixml_bench(benchmark::State& state) {
    std::vector<char> work(g_catalog.size() + 1);
    WalkResult result;
    for (auto _ : state) {
        // The parse is in place: each round gets a fresh copy, outside the timing.
        state.PauseTiming();
        std::memcpy(work.data(), g_catalog.c_str(), g_catalog.size() + 1);
        state.ResumeTiming();
        result = walk_pugixml_inplace(work.data(), g_catalog.size());
        benchmark::DoNotOptimize(result);
    }
    finish_walk(state);
}

void walk_rapidxml_bench(benchmark::State& state) {
    std::vector<char> work(g_catalog.size() + 1);
    WalkResult result;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work.data(), g_catalog.c_str(), g_catalog.size() + 1);
        state.ResumeTiming();
        result = walk_rapidxml(work.data());
        benchmark::DoNotOptimize(result);
    }
    finish_walk(state);
}

// The floor: one pass over the buffer looking for a byte it does not hold.
void walk_strchr_bench(benchmark::State& state) {
    for (auto _ : state) {
        const char* found = std::strchr(g_catalog.c_str(), '\x01');
        benchmark::DoNotOptimize(found);
    }
    finish_walk(state);
}

// The three values a program reads from its configuration file.
struct ConfigValues {
    std::string version;
    std::string first_value;
    std::string host;
    bool operator==(const ConfigValues& other) const {
        return version == other.version && first_value == other.first_value && host == other.host;
    }
};

ConfigValues config_omxml(const syPath& path) {
    ConfigValues values;
    const omSimpleXmlFactory factory;
    const std::unique_ptr<omAbstractXmlReader> reader = factory.create_xml_reader_path(3, path);
    if (reader->read_file() && reader->down_to(ku_lit("configuration"))) {
        values.version = reader->attribute(ku_lit("version"), ku_lit("")).c_str();
        if (reader->down_to(ku_lit("entry"))) {
            values.first_value = reader->attribute(ku_lit("value"), ku_lit("")).c_str();
            reader->up();
        }
        if (reader->down_to(ku_lit("section")) && reader->down_to(ku_lit("host"))) {
            values.host = reader->text_node().c_str();
        }
    }
    return values;
}

ConfigValues config_pugixml(const char* path) {
    ConfigValues values;
    pugi::xml_document doc;
    if (doc.load_file(path)) {
        const pugi::xml_node root = doc.child("configuration");
        values.version = root.attribute("version").value();
        values.first_value = root.child("entry").attribute("value").value();
        values.host = root.child("section").child("host").child_value();
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
    std::vector<char> work(g_catalog.size() + 1);
    std::memcpy(work.data(), g_catalog.c_str(), g_catalog.size() + 1);
    const WalkResult pugi = walk_pugixml_inplace(work.data(), g_catalog.size());
    std::memcpy(work.data(), g_catalog.c_str(), g_catalog.size() + 1);
    const WalkResult rapid = walk_rapidxml(work.data());
    const WalkResult om = walk_omxml_bytes(g_catalog);
    bool ok = pugi.items > 0 && pugi.items == rapid.items && pugi.items == om.items && pugi.id_bytes == om.id_bytes &&
              rapid.id_bytes == om.id_bytes;
    if (!ok) {
        std::fprintf(stderr, "walks disagree: items omxml %ld, pugixml %ld, rapidxml %ld\n", om.items, pugi.items,
                     rapid.items);
    }
    const ConfigValues om_config = config_omxml(syPath(syString::from_utf8(g_dir + "/config.xml")));
    const ConfigValues pugi_config = config_pugixml((g_dir + "/config.xml").c_str());
    if (!(om_config == pugi_config) || om_config.host.empty()) {
        std::fprintf(stderr, "configuration values disagree: omxml '%s' '%s' '%s', pugixml '%s' '%s' '%s'\n",
                     om_config.version.c_str(), om_config.first_value.c_str(), om_config.host.c_str(),
                     pugi_config.version.c_str(), pugi_config.first_value.c_str(), pugi_config.host.c_str());
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
