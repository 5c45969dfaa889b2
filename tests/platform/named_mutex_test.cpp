#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "child_process.h"
#include "platform/named_mutex.h"
#include "support/temp_tree.h"

namespace kt::platform {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

constexpr const char* kName = "KTUpdateDLL_MainUpdateFnc";
constexpr auto kPatience = 10s;

TEST(NamedMutexTest, ExistsWhileAnyHandleOfThisProcessLives) {
    test::TempTree tree;
    bool existed = true;
    auto first = NamedMutex::Create(kName, existed);
    ASSERT_TRUE(first);
    EXPECT_FALSE(existed);

    auto second = NamedMutex::Create(kName, existed);
    ASSERT_TRUE(second);
    EXPECT_TRUE(existed);

    first.reset();
    auto third = NamedMutex::Create(kName, existed);
    EXPECT_TRUE(existed) << "the second handle still holds it";

    second.reset();
    third.reset();
    auto again = NamedMutex::Create(kName, existed);
    ASSERT_TRUE(again);
    EXPECT_FALSE(existed);
}

TEST(NamedMutexTest, NamesWithPathCharactersAreDistinctObjects) {
    test::TempTree tree;
    bool existed = false;
    auto slashed = NamedMutex::Create("Global\\Run/Lock", existed);
    ASSERT_TRUE(slashed);
    EXPECT_FALSE(existed);
    auto plain = NamedMutex::Create("Global_Run_Lock", existed);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(existed);
    auto same = NamedMutex::Create("Global\\Run/Lock", existed);
    EXPECT_TRUE(existed);
}

TEST(NamedMutexTest, AnotherProcessSeesItAndAKilledHolderIsForgotten) {
    test::TempTree tree;
    ChildProcess holder({"mutex", kName});
    ASSERT_EQ(holder.ReadLine(kPatience), "existed=0");
    {
        bool existed = false;
        auto mine = NamedMutex::Create(kName, existed);
        ASSERT_TRUE(mine);
        EXPECT_TRUE(existed);
    }

    holder.Kill();
    bool existed = true;
    auto mine = NamedMutex::Create(kName, existed);
    ASSERT_TRUE(mine);
    EXPECT_FALSE(existed) << "a crashed run must not block the next one";

    ChildProcess next({"mutex", kName});
    EXPECT_EQ(next.ReadLine(kPatience), "existed=1");
}

TEST(NamedMutexTest, OfProcessesCreatingItAtOnceExactlyOneIsFirst) {
    test::TempTree tree;
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (int i = 0; i < 6; ++i) children.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{"mutex", kName}));
    int firsts = 0;
    for (auto& child : children) {
        const auto line = child->ReadLine(kPatience);
        ASSERT_TRUE(line);
        if (*line == "existed=0") ++firsts;
    }
    EXPECT_EQ(firsts, 1);
}

}  // namespace
}  // namespace kt::platform
