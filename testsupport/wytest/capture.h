// Standard output of the code under test, byte for byte, descriptor 1 itself
// redirected, so output written by printf, write(1, ...) and child processes
// all land in it. Test code only.
#ifndef WYTEST_CAPTURE_H
#define WYTEST_CAPTURE_H

#include <stdio.h>
#include <unistd.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace wytest {

class Capture {
public:
    Capture()
    {
        fflush(stdout);
        file_ = tmpfile();
        saved_ = dup(1);
        if (!file_ || saved_ < 0 || dup2(fileno(file_), 1) < 0)
            throw std::runtime_error("cannot capture standard output");
    }
    ~Capture()
    {
        if (file_)
            text();
    }
    Capture(const Capture &) = delete;
    Capture &operator=(const Capture &) = delete;

    // Ends the capture and returns what was written.
    std::string text()
    {
        fflush(stdout);
        dup2(saved_, 1);
        close(saved_);
        std::string out;
        rewind(file_);
        for (int c; (c = fgetc(file_)) != EOF;)
            out += char(c);
        fclose(file_);
        file_ = nullptr;
        return out;
    }

private:
    FILE *file_ = nullptr;
    int saved_ = -1;
};

// The same, for a capture that starts in one statement and ends in another.
inline std::optional<Capture> &current_capture()
{
    static std::optional<Capture> c;
    return c;
}
inline void CaptureStdout() { current_capture().emplace(); }
inline std::string GetCapturedStdout()
{
    std::string s = current_capture() ? current_capture()->text() : std::string();
    current_capture().reset();
    return s;
}

} // namespace wytest

#endif
