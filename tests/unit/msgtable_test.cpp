#include "framework/msgtable.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Target {
    std::vector<UINT> clicked, changed;
    void OnClick(UINT id) { clicked.push_back(id); }
    void OnChange(UINT id) { changed.push_back(id); }
    static const CommandEntry<Target> kCommands[];
};

const CommandEntry<Target> Target::kCommands[] = {
    {1008, 1018, BN_CLICKED, &Target::OnClick},
    {1021, 1021, BN_CLICKED, &Target::OnClick},
    {1021, 1021, EN_CHANGE, &Target::OnChange},
};

}  // namespace

TEST(CommandTable, NotificationCodeMustMatchAsWellAsTheId) {
    Target t;
    // Other notifications from a button, or an edit's, never reach a click handler.
    for (UINT code : {static_cast<UINT>(BN_DOUBLECLICKED), static_cast<UINT>(BN_SETFOCUS),
                      static_cast<UINT>(BN_KILLFOCUS), static_cast<UINT>(EN_CHANGE), 1u}) {
        EXPECT_FALSE(DispatchCommandTable(&t, Target::kCommands, 1010, code)) << code;
    }
    EXPECT_TRUE(t.clicked.empty());

    // The same id dispatches by its code.
    EXPECT_TRUE(DispatchCommandTable(&t, Target::kCommands, 1021, EN_CHANGE));
    EXPECT_TRUE(DispatchCommandTable(&t, Target::kCommands, 1021, BN_CLICKED));
    EXPECT_EQ(t.changed, std::vector<UINT>{1021});
    EXPECT_EQ(t.clicked, std::vector<UINT>{1021});

    // A range hands the handler the id, ends included, nothing beyond.
    t.clicked.clear();
    EXPECT_TRUE(DispatchCommandTable(&t, Target::kCommands, 1008, BN_CLICKED));
    EXPECT_TRUE(DispatchCommandTable(&t, Target::kCommands, 1018, BN_CLICKED));
    EXPECT_FALSE(DispatchCommandTable(&t, Target::kCommands, 1007, BN_CLICKED));
    EXPECT_FALSE(DispatchCommandTable(&t, Target::kCommands, 1019, BN_CLICKED));
    EXPECT_EQ(t.clicked, (std::vector<UINT>{1008, 1018}));
}
