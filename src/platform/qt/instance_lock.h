// Qt backend: the one-instance lock (Toolkit::previousInstanceRunning).
// A lock file in the user's runtime directory ($XDG_RUNTIME_DIR, else the temporary
// directory), so copies run by different users, or by tests that give each copy its own
// runtime directory, do not see each other.
#pragma once

#include <memory>
#include <string>

namespace ruvia::platform::qt {

class InstanceLock {
public:
    explicit InstanceLock(const std::string& fileName = "ruvia-mascot.lock");
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Claims the lock unless another live process holds it; true while this one does.
    // A lock left behind by a copy that was killed does not count.
    bool claim();

    std::string path() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace ruvia::platform::qt
