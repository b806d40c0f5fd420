#include "platform/qt/instance_lock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using ruvia::platform::qt::InstanceLock;

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
    EXPECT_TRUE(first->claim());
    EXPECT_TRUE(first->claim()) << "asking again keeps the lock";

    InstanceLock second;
    EXPECT_FALSE(second.claim()) << "held by a live holder";
    first.reset();
    EXPECT_TRUE(second.claim()) << "released when the holder goes";
}

TEST_F(InstanceLockTest, ALockLeftByAKilledCopyDoesNotBlockTheNext) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock lock;
        if (!lock.claim()) _exit(3);
        raise(SIGKILL);  // dies holding it, as after kill -9
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child could not claim the lock";
    ASSERT_TRUE(std::filesystem::exists(dir_ + "/ruvia-mascot.lock"));

    InstanceLock next;
    EXPECT_TRUE(next.claim());
}

TEST_F(InstanceLockTest, WithoutARuntimeDirectoryTheTemporaryDirectoryHoldsIt) {
    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", dir_.c_str(), 1);
    InstanceLock lock;
    EXPECT_EQ(lock.path(), dir_ + "/ruvia-mascot.lock");
    EXPECT_TRUE(lock.claim());
    unsetenv("TMPDIR");
}
