#include <gtest/gtest.h>

#include "platform/shared_region.h"
#include "platform/shared_sync.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using SharedSyncTest = PlatformTest;

std::unique_ptr<SharedRegion> AttachSync(std::size_t size = sizeof(SharedSync), bool mayCreate = true) {
    return SharedRegion::Attach("test", "state", size, mayCreate,
                                [](void* data) { return InitSharedSync(*static_cast<SharedSync*>(data)); });
}
SharedSync& Sync(SharedRegion& region) { return *static_cast<SharedSync*>(region.Data()); }

TEST_F(SharedSyncTest, TheLockOfAProcessKilledInsideIsHandedOn) {
    auto region = AttachSync();
    ASSERT_TRUE(region && region->First());
    ChildProcess child({"shared-lock", "state"});
    ASSERT_EQ(child.ReadLine(), "locked");
    child.Kill();
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(SharedLock(Sync(*region)).Held()) << "again and again";
}

TEST_F(SharedSyncTest, ALastHolderGoneLeavesAZeroedStateToTheNext) {
    {
        auto region = AttachSync();
        ASSERT_TRUE(region);
        Sync(*region).changes = 41;
        auto other = AttachSync(sizeof(SharedSync), false);
        ASSERT_TRUE(other);
        EXPECT_FALSE(other->First());
        EXPECT_EQ(Sync(*other).changes, 41u);
        EXPECT_FALSE(AttachSync(sizeof(SharedSync) + 8)) << "a state of another layout is not joined";
    }
    auto next = AttachSync();
    ASSERT_TRUE(next);
    EXPECT_TRUE(next->First());
    EXPECT_EQ(Sync(*next).changes, 0u);
}

}  // namespace
}  // namespace kt::test
