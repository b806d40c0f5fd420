#include "platform/qt/instance_lock.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace ruvia::platform::qt {
namespace {

QString lockDirectory() {
    // Without XDG_RUNTIME_DIR Qt would warn and invent a directory of its own.
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty()) return runtime;
    }
    return QDir::tempPath();
}

}  // namespace

InstanceLock::InstanceLock(const std::string& fileName)
    : path_((lockDirectory() + QLatin1Char('/') + QString::fromStdString(fileName))
                .toStdString()) {}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

LockClaim InstanceLock::claim() {
    if (fd_ >= 0) return LockClaim::Claimed;
    // Whatever the file holds is never read: a garbage or empty one is as good as any.
    // A link planted in a shared temporary directory is not followed.
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        problem_ = "cannot open the one-copy lock " + path_ + ": " + std::strerror(errno);
        return LockClaim::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return LockClaim::HeldElsewhere;
        problem_ = "cannot take the one-copy lock " + path_ + ": " + std::strerror(error);
        return LockClaim::Unavailable;
    }
    fd_ = fd;
    return LockClaim::Claimed;
}

}  // namespace ruvia::platform::qt
