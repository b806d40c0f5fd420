#include "platform/qt/instance_lock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

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

struct InstanceLock::State {
    explicit State(const QString& path) : file(path) {
        // Stale only when its owner is dead, however old: the default would take the
        // lock of a copy that has simply run for more than 30 seconds.
        file.setStaleLockTime(0);
    }
    QLockFile file;
};

InstanceLock::InstanceLock(const std::string& fileName)
    : state_(std::make_unique<State>(lockDirectory() + QLatin1Char('/') +
                                     QString::fromStdString(fileName))) {}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::claim() {
    return state_->file.isLocked() || state_->file.tryLock(0);
}

std::string InstanceLock::path() const { return state_->file.fileName().toStdString(); }

}  // namespace ruvia::platform::qt
