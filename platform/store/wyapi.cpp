// libwyapi.so.1: the configuration store over the running configuration file.
//
// Readers take no lock: writers replace the file by rename, so a reader opens
// either the old or the new document, whole. Writers serialise on a lock file,
// re-read under the lock, write a temporary file in the same directory, fsync
// it, rename it over the file and fsync the directory.
//
// Each process reads from one snapshot of the document: taken at its first
// read, brought up to date by each of its own writes (which re-read the file
// under the lock), and otherwise not looked at again, so a page renders from
// one version of the store whatever writers do meanwhile. wyapi_sim_refresh
// lets a long-running test process look again. A look re-parses only when the
// file changed. The descriptor of the parsed file stays open: while it is held
// its inode number cannot be given to a new file, so a different inode on the
// path always means a different file.
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>
#include <string>

#include "owners.h"
#include "romdoc.h"
#include "sysroot.h"
#include "wyapi.h"
#include "wyapi_sim.h"

#define WYAPI_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr const char *kStoreFile = "/tmp/var/romfile.cfg";
constexpr const char *kLockFile = "/tmp/var/romfile.cfg.lock";
constexpr const char *kTempFile = "/tmp/var/romfile.cfg.tmp";
constexpr const char *kStoreDirs[] = {"/tmp", "/tmp/var"};
constexpr off_t kMaxFileSize = 8 << 20;
constexpr size_t kPathMax = 4096;

using wy::Fd;

struct Cache {
    std::string path;   // file the document came from ("" before the first look)
    Fd pin;             // the parsed file, held open (see above)
    struct stat st {};  // what it looked like when parsed
    bool valid = false; // document matches path as described by exists/st
    bool exists = false;
    bool broken = false; // the file exists but holds no readable ROM text
    bool snapshot = false; // reads use the document without looking at the file
    romdoc::Doc doc;

    void invalidate()
    {
        valid = false;
        snapshot = false;
        pin.reset();
    }
};

Cache &cache()
{
    static Cache c;
    return c;
}

bool same_file(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

bool read_all(int fd, off_t size_hint, std::string &out)
{
    out.clear();
    if (size_hint > 0)
        out.reserve(static_cast<size_t>(size_hint));
    char chunk[16384];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (out.size() + static_cast<size_t>(n) > static_cast<size_t>(kMaxFileSize))
            return false;
        out.append(chunk, static_cast<size_t>(n));
    }
}

// Brings the cached document up to date with the file. WYAPI_OK when the
// document is usable (an absent file is an empty store).
int refresh(Cache &c)
{
    char path[kPathMax];
    if (!wy_path(path, sizeof path, kStoreFile))
        return WYAPI_ERR_STORE;
    bool same_path = c.path == path;
    struct stat st;
    if (stat(path, &st) != 0) {
        if (errno != ENOENT)
            return WYAPI_ERR_STORE;
        if (!(c.valid && same_path && !c.exists)) {
            c.invalidate();
            c.doc.clear();
            c.path = path;
            c.exists = false;
            c.broken = false;
            c.valid = true;
        }
        c.snapshot = true;
        return WYAPI_OK;
    }
    if (c.valid && same_path && c.exists && same_file(st, c.st)) {
        c.snapshot = true;
        return c.broken ? WYAPI_ERR_STORE : WYAPI_OK;
    }

    c.invalidate();
    c.path = path;
    Fd fd(open(path, O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0 || fstat(fd.get(), &st) != 0)
        return WYAPI_ERR_STORE;
    std::string bytes;
    bool ok = st.st_size <= kMaxFileSize && read_all(fd.get(), st.st_size, bytes) &&
              c.doc.parse(bytes);
    if (!ok)
        c.doc.clear();
    c.st = st;
    c.pin.reset(fd.release());
    c.exists = true;
    c.broken = !ok;
    c.valid = true;
    c.snapshot = true;
    return ok ? WYAPI_OK : WYAPI_ERR_STORE;
}

bool write_all(int fd, const std::string &s)
{
    size_t done = 0;
    while (done < s.size()) {
        ssize_t n = write(fd, s.data() + done, s.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool make_store_dirs()
{
    char dir[kPathMax];
    for (const char *d : kStoreDirs) {
        if (!wy_path(dir, sizeof dir, d))
            return false;
        if (mkdir(dir, 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

bool fsync_dir(const char *file)
{
    char dir[kPathMax];
    snprintf(dir, sizeof dir, "%s", file);
    char *slash = strrchr(dir, '/');
    if (!slash)
        return false;
    *slash = '\0';
    Fd fd(open(dir[0] ? dir : "/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && fsync(fd.get()) == 0;
}

// Writes the cached document as the new file; the caller holds the lock.
bool replace_file(Cache &c)
{
    char tmp[kPathMax];
    if (!wy_path(tmp, sizeof tmp, kTempFile))
        return false;
    std::string text = c.doc.serialize();
    // A writer killed earlier may have left this name behind; it holds nothing
    // anyone reads, so it is simply overwritten.
    Fd fd(open(tmp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    struct stat st;
    bool ok = fd.get() >= 0 && write_all(fd.get(), text) && fsync(fd.get()) == 0 &&
              rename(tmp, c.path.c_str()) == 0;
    if (!ok) {
        if (fd.get() >= 0)
            unlink(tmp);
        return false;
    }
    // The rename is done; a failing directory sync only weakens durability.
    fsync_dir(c.path.c_str());
    if (fstat(fd.get(), &st) != 0)
        return false;
    c.st = st;
    c.pin.reset(fd.release());
    c.exists = true;
    c.broken = false;
    c.valid = true;
    c.snapshot = true;
    return true;
}

class StoreLock {
public:
    StoreLock()
    {
        char path[kPathMax];
        if (!make_store_dirs() || !wy_path(path, sizeof path, kLockFile))
            return;
        fd_.reset(open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0644));
        if (fd_.get() < 0)
            return;
        int r;
        do
            r = flock(fd_.get(), LOCK_EX);
        while (r != 0 && errno == EINTR);
        locked_ = r == 0;
    }
    bool locked() const { return locked_; }

private:
    Fd fd_; // closing it releases the lock
    bool locked_ = false;
};

// The snapshot, taken now when there is none for the current system root.
int snapshot(Cache &c)
{
    if (c.snapshot) {
        char path[kPathMax];
        if (wy_path(path, sizeof path, kStoreFile) && c.path == path)
            return c.broken ? WYAPI_ERR_STORE : WYAPI_OK;
    }
    return refresh(c);
}

// Runs `change` on the up-to-date document under the lock and stores the
// result when it changed something.
template <typename Change>
int modify(Change change)
{
    Cache &c = cache();
    StoreLock lock;
    if (!lock.locked())
        return WYAPI_ERR_STORE;
    int rc = refresh(c);
    if (rc != WYAPI_OK)
        return rc;
    bool changed = false;
    if (!change(c.doc, changed)) {
        c.invalidate();
        return WYAPI_ERR_STORE;
    }
    if (!changed)
        return WYAPI_OK;
    if (!replace_file(c)) {
        c.invalidate();
        return WYAPI_ERR_STORE;
    }
    return WYAPI_OK;
}

void put_text(char *buf, const char *text)
{
    // The failure texts are far shorter than WYAPI_BUF_SIZE.
    strcpy(buf, text);
}

} // namespace

WYAPI_EXPORT int wyapi_get(const char *node, const char *attr, char *buf)
{
    if (!node || !attr || !buf)
        return WYAPI_ERR_STORE;
    if (!romdoc::valid_name(node)) {
        put_text(buf, WYAPI_NO_NODE);
        return WYAPI_ERR_NODE;
    }
    try {
        Cache &c = cache();
        int rc = snapshot(c);
        if (rc != WYAPI_OK) {
            put_text(buf, WYAPI_NO_NODE);
            return rc;
        }
        if (!c.doc.has_node(node)) {
            put_text(buf, WYAPI_NO_NODE);
            return WYAPI_ERR_NODE;
        }
        const char *v = romdoc::valid_name(attr) ? c.doc.get(node, attr) : nullptr;
        if (!v) {
            put_text(buf, WYAPI_NO_ATTR);
            return WYAPI_ERR_ATTR;
        }
        // Values are checked on the way in, but the file may come from elsewhere.
        size_t len = strnlen(v, WYAPI_VALUE_MAX + 1);
        if (len > WYAPI_VALUE_MAX) {
            put_text(buf, WYAPI_NO_ATTR);
            return WYAPI_ERR_VALUE;
        }
        memcpy(buf, v, len + 1);
        return WYAPI_OK;
    } catch (const std::bad_alloc &) {
        cache().invalidate();
        put_text(buf, WYAPI_NO_NODE);
        return WYAPI_ERR_STORE;
    }
}

WYAPI_EXPORT int wyapi_set(const char *node, const char *attr, const char *value)
{
    if (!romdoc::valid_name(node))
        return WYAPI_ERR_NODE;
    if (!romdoc::valid_name(attr))
        return WYAPI_ERR_ATTR;
    if (!romdoc::valid_value(value))
        return WYAPI_ERR_VALUE;
    try {
        return modify([&](romdoc::Doc &d, bool &changed) {
            return d.set(node, attr, value, changed);
        });
    } catch (const std::bad_alloc &) {
        cache().invalidate();
        return WYAPI_ERR_STORE;
    }
}

WYAPI_EXPORT int wyapi_unset(const char *node)
{
    if (!romdoc::valid_name(node))
        return WYAPI_ERR_NODE;
    try {
        return modify([&](romdoc::Doc &d, bool &changed) {
            d.unset(node, changed);
            return true;
        });
    } catch (const std::bad_alloc &) {
        cache().invalidate();
        return WYAPI_ERR_STORE;
    }
}

WYAPI_EXPORT void wyapi_sim_refresh(void)
{
    cache().snapshot = false;
}

WYAPI_EXPORT int wydbg_printf(const char *format, ...)
{
    va_list ap;
    va_start(ap, format);
    int n = vprintf(format, ap);
    va_end(ap);
    return n;
}
