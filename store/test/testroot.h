// Test helpers: a temporary system root (WY_SYSROOT) holding a store file.
// Tests only.
#ifndef WY_STORE_TEST_TESTROOT_H
#define WY_STORE_TEST_TESTROOT_H

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "wytest/run.h"
#include "wytest/temproot.h"

namespace testroot {

using Attrs = std::map<std::string, std::string>;
using Store = std::map<std::string, Attrs>;

inline constexpr const char *kStoreFile = "/tmp/var/romfile.cfg";

// The store stand-in's refresh (platform/store/wyapi_sim.h), when the test
// links it: a store file the test writes by itself is read afresh.
extern "C" void wyapi_sim_refresh(void) __attribute__((weak));
inline void refresh_store_reads()
{
    if (wyapi_sim_refresh)
        wyapi_sim_refresh();
}

// The temporary system root with the store file's helpers. The store's
// readers look again whenever the root or the file changes under them.
class TempRoot : public wytest::TempRoot {
public:
    TempRoot() { refresh_store_reads(); }
    ~TempRoot() { refresh_store_reads(); }

    // Writes `s` as the store file, by rename as the store itself does.
    void write_store(const Store &s) const
    {
        pugi::xml_document d;
        pugi::xml_node root = d.append_child("ROMFILE");
        for (const auto &[node, attrs] : s) {
            pugi::xml_node n = root.append_child(node.c_str());
            for (const auto &[a, v] : attrs)
                n.append_attribute(a.c_str()).set_value(v.c_str());
        }
        std::ostringstream out;
        d.save(out, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
        put(std::string(kStoreFile) + ".fixture", out.str());
        std::filesystem::rename(path(std::string(kStoreFile) + ".fixture"), path(kStoreFile));
        refresh_store_reads();
    }
    void write_store_text(const std::string &text) const
    {
        put(kStoreFile, text);
        refresh_store_reads();
    }

    // The store file parsed independently of the store library; `ok` false
    // when it is not a whole ROM file.
    Store read_store(bool *ok = nullptr) const { return parse_store(get(kStoreFile), ok); }

    static Store parse_store(const std::string &text, bool *ok = nullptr)
    {
        Store s;
        pugi::xml_document d;
        bool good = d.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8) &&
                    std::string(d.document_element().name()) == "ROMFILE";
        if (good)
            for (pugi::xml_node n : d.document_element().children()) {
                Attrs &a = s[n.name()];
                for (pugi::xml_attribute at : n.attributes())
                    a[at.name()] = at.value();
            }
        if (ok)
            *ok = good;
        return s;
    }

};

} // namespace testroot

#endif
