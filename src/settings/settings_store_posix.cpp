#include "settings/settings_store.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace ruvia::settings {

namespace {

// Longer files are not ours; the first line is all that counts anyway.
constexpr size_t kMaxRead = 4096;
// Beyond this a chain of links is a loop; the kernel gives up at 40 too.
constexpr int kMaxLinkHops = 40;

// Closes the descriptor however the function that opened it ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    // Closing can report a write the kernel could not finish.
    int reset() {
        const int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

// A settings file that is a link is the user's choice of where the position lives:
// the save replaces what it points to and keeps the link.
std::filesystem::path followLinks(std::filesystem::path path) {
    std::error_code ec;
    for (int hop = 0; hop < kMaxLinkHops && std::filesystem::is_symlink(path, ec); ++hop) {
        const std::filesystem::path next = std::filesystem::read_symlink(path, ec);
        if (ec) break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path.lexically_normal();
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Without it the rename may reach the disk before the new name does after a crash.
void syncFolder(const std::filesystem::path& folder) {
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.ok()) ::fsync(dir.get());
}

}  // namespace

std::optional<core::SavedPosition> readSavedPosition(const std::filesystem::path& file) {
    FileDescriptor in(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!in.ok() || ::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    std::string text(kMaxRead, '\0');
    size_t got = 0;
    while (got < kMaxRead) {
        const ssize_t n = ::read(in.get(), text.data() + got, kMaxRead - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    text.resize(got);
    return core::parseSettingsLine(text);
}

std::string writeSavedPosition(const std::filesystem::path& file, float left, float top,
                               MissingFolder missing) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(file, ec);
    const std::filesystem::path named = ec ? file : full;
    const std::filesystem::path target = followLinks(named);
    const std::filesystem::path folder = target.parent_path();

    if (missing == MissingFolder::Create) {
        std::filesystem::create_directories(folder, ec);
        if (ec)
            return "Could not save the mascot's position to " + named.string() +
                   ": cannot create its folder: " + ec.message();
    }
    // A unique name created exclusively: nothing planted beside the file can be written
    // through, and a save killed half-way leaves nothing the next one trips over.
    std::string pattern = (folder / (target.filename().string() + ".XXXXXX")).string();
    FileDescriptor out(::mkostemp(pattern.data(), O_CLOEXEC));
    const std::filesystem::path temporary = pattern;
    auto failure = [&](const std::string& what, int error) {
        if (out.ok()) {
            out.reset();
            ::unlink(temporary.c_str());
        }
        return "Could not save the mascot's position to " + named.string() + ": " + what + ": " +
               std::strerror(error);
    };
    if (!out.ok()) return failure("cannot create a file in " + folder.string(), errno);

    // The new file keeps the old one's permission bits; a first save gets the usual ones.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(out.get(), mode) != 0) return failure("cannot set the permissions", errno);

    errno = 0;
    if (!writeAll(out.get(), core::formatSettingsLine(left, top)))
        return failure("cannot write", errno ? errno : EIO);
    if (::fsync(out.get()) != 0) return failure("cannot write", errno);
    if (out.reset() != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return failure("cannot write", error);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return failure("cannot replace the old file", error);
    }
    syncFolder(folder);
    return {};
}

}  // namespace ruvia::settings
