// The language rule and the row classes.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "frame.h"
#include "testroot.h"

TEST(Frame, LanguageRule)
{
    using Opt = std::optional<std::string>;
    struct Case {
        bool node;
        Opt multi, language;
        int index;
    } cases[] = {
        {true, "Yes", "Turkey", 1},
        {true, "No", "Turkey", 0},
        {true, "yes", "Turkey", 0},
        {false, {}, {}, 0},
        {true, "Yes", "turkey", 0},
        {true, "Yes", "Turkey ", 0},
        {true, "Yes", {}, 0},
        {true, {}, "Turkey", 0},
        {true, "N/A", "Turkey", 0},
        {true, "Yes", "English", 0},
        {true, "Yes" + std::string(40, 's'), "Turkey", 0},
        {true, "Yes", "Turkey" + std::string(40, 'y'), 0},
    };
    for (const auto &c : cases) {
        testroot::TempRoot root;
        testroot::Store s{{"Other_Entry", {{"Language", "Turkey"}, {"Multi_Language", "Yes"}}}};
        if (c.node) {
            auto &g = s["GUI_Entry1"];
            g["Unrelated"] = "1";
            if (c.multi)
                g["Multi_Language"] = *c.multi;
            if (c.language)
                g["Language"] = *c.language;
        }
        root.write_store(s);
        EXPECT_EQ(frame_language_index(), c.index)
            << c.node << " " << c.multi.value_or("-") << " " << c.language.value_or("-");
    }
}
