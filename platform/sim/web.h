// gwsim web: the device's web interface served by lighttpd on a loopback
// address, running the firmware tree's CGI programs with the device's root.
#ifndef WY_PLATFORM_WEB_H
#define WY_PLATFORM_WEB_H

#include "layout.h"

#include <string>

namespace gwsim {

struct WebOptions {
    std::string address = "127.0.0.1";
    int port = 0;  // 0: a free port
};

// Only the two loopback addresses are ever bound.
bool loopback_address(const std::string &address);

// Where the web server's files live in a device directory.
std::string web_dir(const DevicePaths &d);
// The device's web tree, the server's document root.
std::string web_docroot(const DevicePaths &d);

// Starts the server for a running device and prints its URL; 0 on success,
// 1 on failure, 2 when the options are refused.
int start_web(const DevicePaths &d, const WebOptions &opt);
// Stops the device's server, if one runs; harmless otherwise.
int stop_web(const DevicePaths &d);

} // namespace gwsim

#endif
