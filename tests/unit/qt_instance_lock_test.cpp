#include "platform/qt/instance_lock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using ruvia::platform::qt::InstanceLock;
using ruvia::platform::qt::LockClaim;

namespace {

// Each test gets a runtime directory of its own, so a mascot running on the same machine
// (or a parallel test) is not in the way.
class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ruvia-lock-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old != nullptr) oldRuntime_ = old;
        hadRuntime_ = old != nullptr;
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        if (hadRuntime_)
            setenv("XDG_RUNTIME_DIR", oldRuntime_.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        std::filesystem::remove_all(dir_);
    }

    std::string dir_;
    std::string oldRuntime_;
    bool hadRuntime_ = false;
};

}  // namespace

TEST_F(InstanceLockTest, OneHolderAtATimeUntilItGoes) {
    auto first = std::make_unique<InstanceLock>();
    EXPECT_EQ(first->path(), dir_ + "/ruvia-mascot.lock");
    EXPECT_EQ(first->claim(), LockClaim::Claimed);
    EXPECT_EQ(first->claim(), LockClaim::Claimed) << "asking again keeps the lock";

    InstanceLock second;
    EXPECT_EQ(second.claim(), LockClaim::HeldElsewhere) << "held by a live holder";
    first.reset();
    EXPECT_EQ(second.claim(), LockClaim::Claimed) << "released when the holder goes";
}

TEST_F(InstanceLockTest, ALockLeftByAKilledCopyDoesNotBlockTheNext) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock lock;
        if (lock.claim() != LockClaim::Claimed) _exit(3);
        raise(SIGKILL);  // dies holding it, as after kill -9
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child could not claim the lock";
    ASSERT_TRUE(std::filesystem::exists(dir_ + "/ruvia-mascot.lock"));

    InstanceLock next;
    EXPECT_EQ(next.claim(), LockClaim::Claimed);
}

// Only a live holder refuses a start; a lock that cannot be taken is not one.
TEST_F(InstanceLockTest, ProblemsWithTheLockFileAreNotAnotherCopy) {
    const std::string lock = dir_ + "/ruvia-mascot.lock";
    struct Case {
        const char* name;
        std::function<void()> spoil;
        LockClaim expected;
    };
    const Case cases[] = {
        {"empty file", [&] { std::ofstream{lock}; }, LockClaim::Claimed},
        {"garbage", [&] { std::ofstream{lock} << "\x01\x02 not a pid\n"; }, LockClaim::Claimed},
        {"a directory in its place", [&] { std::filesystem::create_directory(lock); },
         LockClaim::Unavailable},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directory(dir_);
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
        c.spoil();
        InstanceLock l;
        EXPECT_EQ(l.claim(), c.expected) << c.name;
        if (c.expected == LockClaim::Unavailable) {
            EXPECT_NE(l.problem().find(lock), std::string::npos) << c.name << ": " << l.problem();
        }
    }
}

TEST_F(InstanceLockTest, WithoutARuntimeDirectoryTheTemporaryDirectoryHoldsIt) {
    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", dir_.c_str(), 1);
    InstanceLock lock;
    EXPECT_EQ(lock.path(), dir_ + "/ruvia-mascot.lock");
    EXPECT_EQ(lock.claim(), LockClaim::Claimed);
    unsetenv("TMPDIR");
}
