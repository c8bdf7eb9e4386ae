// Runs a program as a child process: argv[0] is its path; the caller's
// environment plus `env` ("NAME=value"); `input` on its standard input; its
// standard output and error collected whole. Test code only.
#ifndef WYTEST_RUN_H
#define WYTEST_RUN_H

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace wytest {

struct RunResult {
    int status = -1;  // exit status of the program (128 + signal when killed)
    std::string out;  // its standard output, byte for byte
    std::string err;  // its standard error
};

inline RunResult run(const std::vector<std::string> &argv, const std::string &input = "",
                     const std::vector<std::string> &env = {})
{
    RunResult r;
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + strerror(errno));
    fflush(stdout);
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork: ") + strerror(errno));
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (const auto &e : env)
            putenv(const_cast<char *>(e.c_str()));
        std::vector<char *> args;
        for (const auto &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        fprintf(stderr, "exec %s: %s\n", args[0], strerror(errno));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // A program that ignores its input must not stop us with SIGPIPE.
    struct sigaction ign {}, old {};
    ign.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ign, &old);
    size_t written = 0;
    if (input.empty()) {
        close(in[1]);
        in[1] = -1;
    }
    int open_outputs = 2;
    while (open_outputs > 0 || in[1] >= 0) {
        pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                (i == 0 ? out[0] : err[0]) = -1;
                --open_outputs;
            }
        }
        if (in[1] >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t n = write(in[1], input.data() + written, input.size() - written);
            if (n > 0)
                written += static_cast<size_t>(n);
            if (n < 0 && errno != EINTR && errno != EAGAIN)
                written = input.size();
            if (written == input.size()) {
                close(in[1]);
                in[1] = -1;
            }
        }
    }
    sigaction(SIGPIPE, &old, nullptr);
    int st = 0;
    while (waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    r.status = WIFSIGNALED(st) ? 128 + WTERMSIG(st) : WEXITSTATUS(st);
    return r;
}

} // namespace wytest

#endif
