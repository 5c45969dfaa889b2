#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/named_mutex.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
constexpr const char* kName = "KTUpdateDLL_MainUpdateFnc";

class NamedMutexTest : public test::PlatformTest {
protected:
    // Creates or opens the mutex, keeping the handle; tells whether it existed.
    bool Existed(const std::string& name) {
        bool existed = false;
        auto mutex = NamedMutex::Create(name, existed);
        EXPECT_TRUE(mutex) << name;
        if (mutex) handles.push_back(std::move(*mutex));
        return existed;
    }
    std::vector<std::unique_ptr<NamedMutex>> handles;
};

TEST_F(NamedMutexTest, ExistsWhileAnyHandleLivesUnderItsExactName) {
    EXPECT_FALSE(Existed(kName));
    EXPECT_TRUE(Existed(kName));
    handles.front().reset();
    EXPECT_TRUE(Existed(kName)) << "the second handle still holds it";
    handles.clear();
    EXPECT_FALSE(Existed(kName));
    // Names with path characters are objects of their own.
    EXPECT_FALSE(Existed("Global\\Run/Lock"));
    EXPECT_FALSE(Existed("Global_Run_Lock"));
    EXPECT_TRUE(Existed("Global\\Run/Lock"));
}

// Two processes taking and dropping it 500 times each are never both its
// first holder, and one killed while holding it blocks nobody afterwards: a
// crashed run must not block the next one.
TEST_F(NamedMutexTest, TwoProcessesTakingItInTurnNeverHoldItTogether) {
    const std::string marker = (tree / "holder").string();
    ChildProcess first({"mutex-rounds", kName, "500", marker, "stay"});
    ChildProcess second({"mutex-rounds", kName, "500", marker});
    int held = 0;
    for (ChildProcess* child : {&first, &second}) {
        const auto line = child->ReadLine(60s);
        ASSERT_TRUE(line && line->starts_with("held=")) << line.value_or("no answer in time");
        held += std::stoi(line->substr(5));
    }
    EXPECT_GT(held, 0);
    ASSERT_EQ(first.ReadLine(), "holding");
    EXPECT_TRUE(Existed(kName)) << "seen from here too";
    handles.clear();
    first.Kill();
    ChildProcess next({"mutex-rounds", kName, "1", marker});
    EXPECT_EQ(next.ReadLine(), "held=1");
}

}  // namespace
}  // namespace kt::test
