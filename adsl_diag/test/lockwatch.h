// Test helpers that see POSIX record locks from outside: the kernel lists every
// lock and every blocked request in /proc/locks, so a test can wait until a
// process is really waiting for a lock instead of guessing how long it takes.
#ifndef WY_ADSL_TEST_LOCKWATCH_H
#define WY_ADSL_TEST_LOCKWATCH_H

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace lockwatch {

inline constexpr auto kDeadline = std::chrono::seconds(30);

inline ino_t inode_of(const std::string &path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// True when /proc/locks lists a blocked request ("->") on the file `ino`.
// Lines look like "3: -> POSIX  ADVISORY  WRITE 4711 00:2a:1234 0 EOF".
inline bool has_waiter(ino_t ino)
{
    std::ifstream in("/proc/locks");
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string id, arrow, kind, mode, type, pid, dev;
        if (!(words >> id >> arrow >> kind >> mode >> type >> pid >> dev) || arrow != "->")
            continue;
        size_t colon = dev.rfind(':');
        if (colon != std::string::npos && dev.substr(colon + 1) == std::to_string(ino))
            return true;
    }
    return false;
}

inline bool wait_for_waiter(ino_t ino)
{
    auto end = std::chrono::steady_clock::now() + kDeadline;
    while (std::chrono::steady_clock::now() < end) {
        if (has_waiter(ino))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// The next byte from `fd`, or '?' when none comes before the deadline.
inline char read_byte(int fd)
{
    pollfd p{fd, POLLIN, 0};
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(kDeadline).count();
    char c = '?';
    if (poll(&p, 1, static_cast<int>(ms)) == 1 && read(fd, &c, 1) != 1)
        c = '?';
    return c;
}

} // namespace lockwatch

#endif
