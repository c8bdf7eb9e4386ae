// The form glue's parser and planner over arbitrary request bodies.
#include "form.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<webform::Field> fields;
    if (!webform::parse_form(std::string_view(reinterpret_cast<const char *>(data), size), fields))
        return 0;
    if (fields.size() > webform::kMaxFields)
        std::abort();
    for (const auto &f : fields)
        if (f.name.size() > webform::kMaxText || f.value.size() > webform::kMaxText)
            std::abort();
    webform::Plan plan = webform::plan_for(fields);
    // An accepted form only ever sends the browser to a frame page.
    if (plan.error.empty() && (plan.back.empty() || plan.back[0] != '/' ||
                               plan.back.find("..") != std::string::npos))
        std::abort();
    return 0;
}
