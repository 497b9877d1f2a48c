#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "HistoryLabels.h"

namespace {

TEST(HistoryLabels, AnEntryIsNamedByNumberAndNameElseByLocalTimeAndActionInTheUsersLanguage)
{
    // The clock the user read: local time, here a zone east of UTC.
    setenv("TZ", "JST-9", 1);
    tzset();
    const int64_t time = 1796714552000;  // 2026-12-08 07:22:32 UTC
    EXPECT_EQ(HistoryLabels::Time(time), "2026-12-08 16:22:32");
    EXPECT_EQ(HistoryLabels::Time(-1), "1970-01-01 08:59:59");

    struct Case {
        int64_t id;
        std::string name;
        HistoryEntry::Action action;
        int model;
        int language;
        std::string label;
    };
    const std::vector<Case> cases = {
        {12, "Tsukuba, wet", HistoryEntry::Action::Read, -1, 1, "#12 Tsukuba, wet"},
        {3, "", HistoryEntry::Action::Read, -1, 1, "#3 2026-12-08 16:22:32 " + HistoryEntry::ActionText(HistoryEntry::Action::Read, -1, 1)},
        {4, "", HistoryEntry::Action::BeforeWrite, 2, 0,
         "#4 2026-12-08 16:22:32 " + HistoryEntry::ActionText(HistoryEntry::Action::BeforeWrite, 2, 0)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HistoryLabels::Entry(c.id, c.name, time, c.action, c.model, c.language), c.label);
    // Japanese action words in a Japanese label, never the stored English name.
    EXPECT_EQ(cases[2].label.find("before-write"), std::string::npos);
    EXPECT_NE(cases[2].label.find("(MODEL3)"), std::string::npos);

    EXPECT_EQ(HistoryLabels::Models(0b10011), "1,2,5");
    EXPECT_EQ(HistoryLabels::Models(0), "-");
    unsetenv("TZ");
    tzset();
}

}  // namespace
