// Flash tool stand-in /userfs/bin/mtd: writes a file to, or erases, a named
// partition of the simulated gateway's flash image, with NOR rules.
//   mtd [-r] [-f] write FILE PARTITION   erase the covered blocks, program FILE
//                                        from the partition's start, verify
//   mtd [-f] erase PARTITION             erase the whole partition to 0xFF
// -f and -r are accepted as the real tool's flags and change nothing here.
// Any failure: message on stderr, status 1, flash unchanged.
#include "callrec.h"
#include "flashimg.h"
#include "layout.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

int fail(const std::string &msg)
{
    std::fprintf(stderr, "mtd: %s\n", msg.c_str());
    return 1;
}

int usage()
{
    return fail("usage: mtd [-r] [-f] write FILE PARTITION | mtd [-f] erase PARTITION");
}

// The partition /proc/mtd lists under exactly `name`.
const gwsim::Partition *find_partition(const std::string &root, const std::string &name,
                                       std::string &error)
{
    std::ifstream in(root + "/proc/mtd", std::ios::binary);
    std::string text(64 * 1024, '\0');
    if (!in) {
        error = "cannot read /proc/mtd";
        return nullptr;
    }
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    const gwsim::Partition *p = gwsim::partition_by_name(text, name);
    if (!p)
        error = "no partition named \"" + name + "\"";
    return p;
}

// Reads at most limit + 1 bytes, so that a file too large shows.
bool read_image_file(const std::string &path, size_t limit, std::vector<uint8_t> &data,
                     std::string &error)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    data.resize(limit + 1);
    size_t n = std::fread(data.data(), 1, data.size(), f);
    bool bad = std::ferror(f);
    std::fclose(f);
    if (bad) {
        error = path + ": read error";
        return false;
    }
    data.resize(n);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const char *root = gwsim::standin_root("mtd");
    if (!root)
        return 1;
    gwsim::record_call(root, "mtd", argc - 1, argv + 1);

    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i)
        if (std::string_view(argv[i]).find_first_not_of("rf", 1) != std::string_view::npos ||
            argv[i][1] == '\0')
            return usage();
    if (i >= argc)
        return usage();
    const std::string verb = argv[i];
    const int rest = argc - i - 1;
    if (!((verb == "write" && rest == 2) || (verb == "erase" && rest == 1)))
        return usage();
    const std::string part_name = argv[argc - 1];

    std::string error;
    const gwsim::Partition *part = find_partition(root, part_name, error);
    if (!part)
        return fail(error);
    gwsim::FlashImage image;
    if (!image.open(std::string(root) + "/../flash.bin", true, error))
        return fail(error);

    if (verb == "erase") {
        if (!image.erase(part->offset, part->size, error))
            return fail("erase " + part_name + ": " + error);
        return 0;
    }
    const std::string file = argv[i + 1];
    std::vector<uint8_t> data;
    if (!read_image_file(file, part->size, data, error))
        return fail(error);
    if (data.size() > part->size)
        return fail(file + " is larger than partition " + part_name + " (" +
                    std::to_string(part->size) + " bytes)");
    if (!image.write(part->offset, data, error))
        return fail("write " + part_name + ": " + error);
    return 0;
}
