#include <gtest/gtest.h>

#include "child_process.h"
#include "platform/shared_region.h"
#include "platform/shared_sync.h"
#include "support/temp_tree.h"

namespace kt::platform {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

constexpr auto kPatience = 10s;

std::unique_ptr<SharedRegion> AttachSync(const std::string& name) {
    return SharedRegion::Attach("test", name, sizeof(SharedSync), true,
                                [](void* data) { return InitSharedSync(*static_cast<SharedSync*>(data)); });
}

TEST(SharedSyncTest, TheLockOfAProcessKilledInsideIsHandedOn) {
    test::TempTree tree;
    auto region = AttachSync("state");
    ASSERT_TRUE(region);
    ASSERT_TRUE(region->First());

    ChildProcess first({"shared-lock", "state"});
    ASSERT_EQ(first.ReadLine(kPatience), "locked");
    first.Kill();

    // Taken over by another process, which dies holding it too...
    ChildProcess second({"shared-lock", "state"});
    ASSERT_EQ(second.ReadLine(kPatience), "locked");
    second.Kill();

    // ...and still usable here, again and again.
    auto& sync = *static_cast<SharedSync*>(region->Data());
    for (int i = 0; i < 2; ++i) {
        SharedLock lock(sync);
        EXPECT_TRUE(lock.Held());
    }
}

TEST(SharedSyncTest, ALastHolderGoneLeavesAZeroedStateToTheNext) {
    test::TempTree tree;
    {
        auto region = AttachSync("state");
        ASSERT_TRUE(region);
        static_cast<SharedSync*>(region->Data())->changes = 41;
        auto other = SharedRegion::Attach("test", "state", sizeof(SharedSync), false, [](void*) { return false; });
        ASSERT_TRUE(other);
        EXPECT_FALSE(other->First());
        EXPECT_EQ(static_cast<SharedSync*>(other->Data())->changes, 41u);
    }
    auto next = AttachSync("state");
    ASSERT_TRUE(next);
    EXPECT_TRUE(next->First());
    EXPECT_EQ(static_cast<SharedSync*>(next->Data())->changes, 0u);
}

TEST(SharedSyncTest, AStateOfAnotherLayoutIsNotJoined) {
    test::TempTree tree;
    auto region = AttachSync("state");
    ASSERT_TRUE(region);
    EXPECT_FALSE(SharedRegion::Attach("test", "state", sizeof(SharedSync) + 8, true, [](void*) { return true; }));
}

}  // namespace
}  // namespace kt::platform
