// The running configuration in memory: a ROM file ("<ROMFILE>" ... "</ROMFILE>")
// whose child elements are the store's nodes and whose attributes are theirs,
// with hash indexes from node name and from node plus attribute name.
// Part of the store stand-in; not a deliverable, so the standard library is fine.
#ifndef WY_PLATFORM_STORE_ROMDOC_H
#define WY_PLATFORM_STORE_ROMDOC_H

#include <stddef.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include <pugixml.hpp>

namespace romdoc {

// Names of 1 to WYAPI_NAME_MAX characters of [A-Za-z0-9_], the first a letter.
bool valid_name(const char *name);
// Values of at most WYAPI_VALUE_MAX bytes (NUL ends them).
bool valid_value(const char *value);

class Doc {
public:
    Doc();
    Doc(const Doc &) = delete;
    Doc &operator=(const Doc &) = delete;

    // An empty store.
    void clear();
    // Takes the ROM text out of `bytes`: from the first "<ROMFILE>" through the
    // first "</ROMFILE>" after it. Bytes that are empty or only white space are
    // an empty store. Returns false (and leaves an empty store) when there is no
    // ROM text, it is not well-formed XML, or an element below the root of the
    // root's own name holds anything (its end tag, written back, would end the
    // ROM text early).
    bool parse(std::string_view bytes);

    bool has_node(const char *node) const;
    // The value, or nullptr when node or attribute is missing.
    const char *get(const char *node, const char *attr) const;
    // Returns false only when memory runs out. `changed` tells whether the
    // document differs afterwards.
    bool set(const char *node, const char *attr, const char *value, bool &changed);
    // Removes every element of that name; `changed` as above.
    void unset(const char *node, bool &changed);

    // The ROM file text: "<ROMFILE>\n", one line per node, "</ROMFILE>\n".
    std::string serialize() const;

    size_t node_count() const { return nodes_.size(); }

private:
    void index();
    static std::string attr_key(std::string_view node, std::string_view attr);

    pugi::xml_document doc_;
    pugi::xml_node root_;
    std::unordered_map<std::string, pugi::xml_node> nodes_;
    std::unordered_map<std::string, pugi::xml_attribute> attrs_;
};

} // namespace romdoc

#endif
