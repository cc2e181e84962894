// Binding the host table in a program that is itself a host: the full one,
// and builds of it that lack one function (MISSING_SLOT names its slot).
#include <gtest/gtest.h>

#include "plugin/HostApi.h"

namespace {
#ifndef MISSING_SLOT
TEST(HostApiTable, BindsAllSlotsInOrder)
{
    CHostAPI table;
    ASSERT_NE(table.BindHostApi(), 0);
    EXPECT_EQ(table.HostModule, GetModuleHandleA(nullptr));
    for (int slot = 0; slot < HostApiSlotCount; ++slot)
        EXPECT_EQ(table.Slots[slot], GetProcAddress(GetModuleHandleA(nullptr), HostApiNames[slot])) << slot;
    EXPECT_STREQ(HostApiNames[2], "BKA_GetWindowHandles");
    EXPECT_STREQ(HostApiNames[14], "BKA_GetCurrentMail");
    EXPECT_STREQ(HostApiNames[28], "BKA_GetSpecifiedHeader");
    EXPECT_STREQ(HostApiNames[53], "BKA_Connect");
}

TEST(HostApiTable, ABoundTableIsNotLookedUpAgain)
{
    CHostAPI table;
    ASSERT_NE(table.BindHostApi(), 0);
    // Had it looked the names up again, the slots would be filled again.
    table.Slots[0] = nullptr;
    table.Slots[53] = nullptr;
    EXPECT_NE(table.BindHostApi(), 0);
    EXPECT_EQ(table.Slots[0], nullptr);
    EXPECT_EQ(table.Slots[53], nullptr);
}
#else
TEST(HostApiTable, AMissingFunctionFailsTheBindingAtItsSlot)
{
    CHostAPI table;
    EXPECT_EQ(table.BindHostApi(), 0);
    EXPECT_EQ(table.HostModule, nullptr);
    for (int slot = 0; slot < HostApiSlotCount; ++slot) {
        if (slot < MISSING_SLOT)
            EXPECT_NE(table.Slots[slot], nullptr) << "slot " << slot << " was looked up and found";
        else
            EXPECT_EQ(table.Slots[slot], nullptr) << "slot " << slot << " was not looked up";
    }
}
#endif
}
