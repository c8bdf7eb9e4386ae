// fwservice_action ACTION INDEX: keeps the numbered user-defined firewall
// services dense when the web interface deletes one.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>


#include "service_index.h"
#include "owners.h"
#include "store.h"

namespace {

// Read from an entry that is being moved, and written in this order after
// "Protocol" and "ServiceName".
constexpr const char *kPortAttrs[] = {"ServicePortType", "StartPort", "EndPort"};

using Name = char[WYAPI_NAME_MAX + 1];
using Value = char[WYAPI_BUF_SIZE];

// Values travel in full-size buffers, so nothing is cut.
struct Service {
    Value name, protocol, ports[3];
};

void entry_name(long index, Name out)
{
    snprintf(out, sizeof(Name), "FWService_Entry%ld", index);
}

// Entry `index` exists when "ServiceName" reads as something other than
// "N/A" or "". Its name is then in s.name.
bool read_name(long index, Service &s)
{
    Name node;
    entry_name(index, node);
    return store_get(node, "ServiceName", s.name, sizeof s.name) == WYAPI_OK && s.name[0] &&
           strcmp(s.name, "N/A") != 0;
}

// Copies entry `from`, whose name is in s.name, onto `to`; unreadable
// attributes arrive as "N/A".
void copy_entry(long from, long to, Service &s)
{
    Name a, b;
    entry_name(from, a);
    entry_name(to, b);
    if (store_get(a, "Protocol", s.protocol, sizeof s.protocol) != WYAPI_OK)
        snprintf(s.protocol, sizeof s.protocol, "N/A");
    for (size_t k = 0; k < 3; ++k)
        if (store_get(a, kPortAttrs[k], s.ports[k], sizeof s.ports[k]) != WYAPI_OK)
            snprintf(s.ports[k], sizeof s.ports[k], "N/A");
    // Results of writes are not examined: there is nothing to roll back to.
    wyapi_set(b, "Protocol", s.protocol);
    wyapi_set(b, "ServiceName", s.name);
    for (size_t k = 0; k < 3; ++k)
        wyapi_set(b, kPortAttrs[k], s.ports[k]);
}

void do_delete(const char *index_text)
{
    char text[32];
    if (store_get("Firewall_Common", "ServiceNum", text, sizeof text) != WYAPI_OK)
        return;
    long count = service_counter(text);
    long p;
    // Only an existing position is deleted: a counter of 0 or an index
    // outside 0 .. count - 1 would remove a real service or write entry -1.
    if (!service_index(index_text, count, &p))
        return;
    wy::Heap<Service> s(static_cast<Service *>(calloc(1, sizeof(Service))));
    if (!s) {
        printf("fwservice_action: out of memory\n");
        return;
    }
    // A missing entry ends the shift; the last entry still goes, as the rule
    // action does it.
    for (long i = p + 1; i < count && read_name(i, *s); ++i)
        copy_entry(i, i - 1, *s);
    snprintf(text, sizeof text, "%ld", count - 1);
    wyapi_set("Firewall_Common", "ServiceNum", text);
    Name last;
    entry_name(count - 1, last);
    wyapi_unset(last);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        printf("usage: fwservice_action Add|Delete INDEX\n");
        return 0;
    }
    if (strcmp(argv[1], "Add") == 0)
        printf("Add action\n");
    else if (strcmp(argv[1], "Delete") == 0)
        do_delete(argv[2]);
    else
        printf("wrong Action");
    return 0;
}
