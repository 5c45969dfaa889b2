#include <gtest/gtest.h>

#include "platform/named_mutex.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using NamedMutexTest = PlatformTest;
constexpr const char* kName = "KTUpdateDLL_MainUpdateFnc";

// Whether the mutex existed when this handle was made; the handle goes to `kept`.
bool Existed(const std::string& name, std::vector<std::unique_ptr<NamedMutex>>& kept) {
    bool existed = false;
    auto mutex = NamedMutex::Create(name, existed);
    EXPECT_TRUE(mutex) << name;
    if (mutex) kept.push_back(std::move(*mutex));
    return existed;
}

TEST_F(NamedMutexTest, ExistsWhileAnyHandleLivesUnderItsExactName) {
    std::vector<std::unique_ptr<NamedMutex>> handles;
    EXPECT_FALSE(Existed(kName, handles));
    EXPECT_TRUE(Existed(kName, handles));
    handles.front().reset();
    EXPECT_TRUE(Existed(kName, handles)) << "the second handle still holds it";
    handles.clear();
    EXPECT_FALSE(Existed(kName, handles));
    // Names with path characters are objects of their own.
    EXPECT_FALSE(Existed("Global\\Run/Lock", handles));
    EXPECT_FALSE(Existed("Global_Run_Lock", handles));
    EXPECT_TRUE(Existed("Global\\Run/Lock", handles));
}

// Two processes taking it 500 times each are never both its first holder,
// and one killed while holding it blocks nobody: a crashed run must not
// block the next one.
TEST_F(NamedMutexTest, ProcessesNeverHoldItTogetherAndAKilledHolderFreesIt) {
    const std::string marker = (tree / "holder").string();
    {
        ChildProcess first({"mutex", kName, "500", marker}), second({"mutex", kName, "500", marker});
        int held = 0;
        for (ChildProcess* child : {&first, &second}) {
            const auto line = child->ReadLine(60s);
            ASSERT_TRUE(line && line->starts_with("held=")) << line.value_or("no answer in time");
            held += std::stoi(line->substr(5));
        }
        EXPECT_GT(held, 0);
    }
    ChildProcess holder({"mutex", kName, "0", marker});
    ASSERT_EQ(holder.ReadLine(), "held=0");
    ASSERT_EQ(holder.ReadLine(), "holding");
    std::vector<std::unique_ptr<NamedMutex>> handles;
    EXPECT_TRUE(Existed(kName, handles)) << "seen from here too";
    handles.clear();
    holder.Kill();
    EXPECT_EQ(ChildProcess({"mutex", kName, "1", marker}).ReadLine(), "held=1");
}

}  // namespace
}  // namespace kt::test
