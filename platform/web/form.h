// The simulated web interface's form glue: what a submitted form of a frame
// page asks for, as command lines to run inside the device. Host tool code.
#ifndef WY_PLATFORM_WEB_FORM_H
#define WY_PLATFORM_WEB_FORM_H

#include <string>
#include <string_view>
#include <vector>

namespace webform {

inline constexpr size_t kMaxBody = 4096;    // a form's fields are a few short words
inline constexpr size_t kMaxFields = 16;
inline constexpr size_t kMaxText = 128;     // one name or value, decoded

struct Field {
    std::string name, value;
};

// Parses "a=b&c=d" (application/x-www-form-urlencoded). False, with `out`
// undefined, for text longer than kMaxBody, more than kMaxFields fields, a name
// or value longer than kMaxText, a bad %-escape, or a decoded control byte.
bool parse_form(std::string_view text, std::vector<Field> &out);

// The value of the first field called `name`, or nullptr.
const std::string *field(const std::vector<Field> &fields, std::string_view name);

struct Plan {
    // Device command lines, run in order; argv[0] is a device path.
    std::vector<std::vector<std::string>> commands;
    std::string back;   // where the browser goes next: "/PAGE_main.html"
    std::string error;  // non-empty: the form is refused for this reason
};

// What a submitted form asks for. Only pages and actions the glue knows are
// accepted; every index must be 1 to 3 decimal digits.
Plan plan_for(const std::vector<Field> &fields);

// Frame pages whose list needs files in place first: the trusted CA page
// reads certificates the web interface writes from the store just before.
bool needs_certificates(std::string_view page);

} // namespace webform

#endif
