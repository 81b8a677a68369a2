#include "bench_common.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <sys/resource.h>

std::string bench_data_dir(int& argc, char** argv) {
    std::string dir = "bench-data";
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--data=", 7) == 0) {
            dir = argv[i] + 7;
        } else {
            argv[out++] = argv[i];
        }
    }
    argc = out;
    return dir;
}

std::string bench_read_file(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::string bytes;
    char chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, n);
    }
    std::fclose(file);
    return bytes;
}

namespace {

bool is_blank(const xmlChar* text) {
    if (text == nullptr) {
        return true;
    }
    for (; *text != 0; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r') {
            return false;
        }
    }
    return true;
}

void trim_children(xmlNode* element) {
    bool has_element = false;
    for (xmlNode* child = element->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            has_element = true;
        } else if (child->type == XML_TEXT_NODE && !is_blank(child->content)) {
            return;
        }
    }
    if (!has_element) {
        return;
    }
    xmlNode* child = element->children;
    while (child != nullptr) {
        xmlNode* next = child->next;
        if (child->type == XML_TEXT_NODE) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        }
        child = next;
    }
}

} // namespace

void bench_drop_indentation(xmlNode* root) {
    if (root == nullptr) {
        return;
    }
    // Pre-order walk by links: trim an element's children before entering them.
    xmlNode* node = root;
    for (;;) {
        if (node->type == XML_ELEMENT_NODE) {
            trim_children(node);
            if (node->children != nullptr) {
                node = node->children;
                continue;
            }
        }
        while (node != root && node->next == nullptr) {
            node = node->parent;
        }
        if (node == root) {
            return;
        }
        node = node->next;
    }
}

long bench_peak_rss_kib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
