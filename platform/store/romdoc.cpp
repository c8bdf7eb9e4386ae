#include "romdoc.h"

#include <string.h>

#include "wyapi.h"

namespace romdoc {

namespace {

constexpr std::string_view kOpen = "<ROMFILE>";
constexpr std::string_view kClose = "</ROMFILE>";
constexpr const char *kRoot = "ROMFILE";

// pugixml's defaults keep escaped tabs, line ends and every byte 1..255 intact;
// UTF-8 is named so no transcoding happens to bytes that are not valid UTF-8.
constexpr unsigned kParseFlags = pugi::parse_default;
constexpr pugi::xml_encoding kEncoding = pugi::encoding_utf8;

bool name_char(char c, bool first)
{
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (first)
        return letter;
    return letter || (c >= '0' && c <= '9') || c == '_';
}

bool only_space(std::string_view s)
{
    for (char c : s)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

// Written back, an element of the root's name that holds anything gets an end
// tag, and the first end tag of that name ends the ROM text: everything after
// it would be lost and the rest no longer parse. Such a document is refused.
bool closes_only_at_end(pugi::xml_node root)
{
    return !root.find_node([](pugi::xml_node n) {
        return n.type() == pugi::node_element && strcmp(n.name(), kRoot) == 0 && n.first_child();
    });
}

struct StringWriter : pugi::xml_writer {
    std::string &out;
    explicit StringWriter(std::string &o) : out(o) {}
    void write(const void *data, size_t size) override
    {
        out.append(static_cast<const char *>(data), size);
    }
};

} // namespace

bool valid_name(const char *name)
{
    if (!name || !name[0])
        return false;
    size_t i = 0;
    for (; name[i]; ++i)
        if (i >= WYAPI_NAME_MAX || !name_char(name[i], i == 0))
            return false;
    return true;
}

bool valid_value(const char *value)
{
    return value && strnlen(value, WYAPI_VALUE_MAX + 1) <= WYAPI_VALUE_MAX;
}

Doc::Doc() { clear(); }

void Doc::clear()
{
    nodes_.clear();
    attrs_.clear();
    doc_.reset();
    root_ = doc_.append_child(kRoot);
}

bool Doc::parse(std::string_view bytes)
{
    clear();
    if (only_space(bytes))
        return true;
    size_t start = bytes.find(kOpen);
    if (start == std::string_view::npos)
        return false;
    size_t end = bytes.find(kClose, start + kOpen.size());
    if (end == std::string_view::npos)
        return false;
    std::string_view text = bytes.substr(start, end + kClose.size() - start);
    doc_.reset();
    pugi::xml_parse_result r = doc_.load_buffer(text.data(), text.size(), kParseFlags, kEncoding);
    root_ = doc_.document_element();
    if (!r || strcmp(root_.name(), kRoot) != 0 || !closes_only_at_end(root_)) {
        clear();
        return false;
    }
    index();
    return true;
}

std::string Doc::attr_key(std::string_view node, std::string_view attr)
{
    // '/' never occurs in a name, so the key is unambiguous.
    std::string key;
    key.reserve(node.size() + 1 + attr.size());
    key.append(node).append(1, '/').append(attr);
    return key;
}

void Doc::index()
{
    // The first element of a name wins, as does the first attribute of a name.
    for (pugi::xml_node n = root_.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element || !valid_name(n.name()))
            continue;
        if (!nodes_.emplace(n.name(), n).second)
            continue;
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
            if (valid_name(a.name()))
                attrs_.emplace(attr_key(n.name(), a.name()), a);
    }
}

bool Doc::has_node(const char *node) const
{
    return nodes_.find(node) != nodes_.end();
}

const char *Doc::get(const char *node, const char *attr) const
{
    auto it = attrs_.find(attr_key(node, attr));
    return it == attrs_.end() ? nullptr : it->second.value();
}

bool Doc::set(const char *node, const char *attr, const char *value, bool &changed)
{
    changed = false;
    auto key = attr_key(node, attr);
    auto ait = attrs_.find(key);
    if (ait != attrs_.end()) {
        if (strcmp(ait->second.value(), value) == 0)
            return true;
        changed = true;
        return ait->second.set_value(value);
    }
    pugi::xml_node n;
    auto nit = nodes_.find(node);
    if (nit != nodes_.end()) {
        n = nit->second;
    } else {
        n = root_.append_child(node);
        if (!n)
            return false;
        nodes_.emplace(node, n);
    }
    pugi::xml_attribute a = n.append_attribute(attr);
    changed = true;
    if (!a || !a.set_value(value))
        return false;
    attrs_.emplace(std::move(key), a);
    return true;
}

void Doc::unset(const char *node, bool &changed)
{
    changed = false;
    auto nit = nodes_.find(node);
    if (nit == nodes_.end())
        return;
    for (pugi::xml_attribute a = nit->second.first_attribute(); a; a = a.next_attribute())
        attrs_.erase(attr_key(node, a.name()));
    nodes_.erase(nit);
    for (pugi::xml_node n = root_.child(node); n; n = root_.child(node))
        root_.remove_child(n);
    changed = true;
}

std::string Doc::serialize() const
{
    std::string out;
    out.append(kOpen).append(1, '\n');
    StringWriter w(out);
    for (pugi::xml_node n = root_.first_child(); n; n = n.next_sibling())
        n.print(w, "\t", pugi::format_indent | pugi::format_no_declaration, kEncoding, 1);
    out.append(kClose).append(1, '\n');
    return out;
}

} // namespace romdoc
