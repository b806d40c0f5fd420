// Qt backend: the one-instance lock (Toolkit::previousInstanceRunning).
// A lock file in the user's runtime directory ($XDG_RUNTIME_DIR, else the temporary
// directory), so copies run by different users, or by tests that give each copy its own
// runtime directory, do not see each other. The kernel drops the lock with its holder,
// so a copy that was killed never leaves a stale one behind.
#pragma once

#include <string>

namespace ruvia::platform::qt {

enum class LockClaim {
    Claimed,        // this process holds it
    HeldElsewhere,  // another live process holds it
    Unavailable,    // it cannot be taken at all: see problem()
};

class InstanceLock {
public:
    explicit InstanceLock(const std::string& fileName = "ruvia-mascot.lock");
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Asking again while this process holds it keeps it.
    LockClaim claim();

    // Why the last claim found the lock unavailable, naming the file.
    const std::string& problem() const { return problem_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string problem_;
    int fd_ = -1;
};

}  // namespace ruvia::platform::qt
