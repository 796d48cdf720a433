// Bounded reading of the viewer's data files: on Linux with the system's calls (the file's kind is checked
// before it is opened, and again on what was opened, which never waits), on Windows through Qt's file info.
#include "data_file_reader.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <QDateTime>
#include <QFileInfo>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifndef Q_OS_WIN

namespace {

qint64 Nanoseconds(const timespec& time) {
    return static_cast<qint64>(time.tv_sec) * 1000000000 + static_cast<qint64>(time.tv_nsec);
}

DataFileStamp StampOf(const struct stat& info) {
    DataFileStamp stamp;
    stamp.device = static_cast<quint64>(info.st_dev);
    stamp.file = static_cast<quint64>(info.st_ino);
    stamp.size = static_cast<qint64>(info.st_size);
    stamp.modified = Nanoseconds(info.st_mtim);
    stamp.changed = Nanoseconds(info.st_ctim);
    return stamp;
}

DataFileState StateAfterFailure(int error) {
    return error == ENOENT ? DataFileState::Missing : DataFileState::Unreadable;
}

// The kind and size of what stands at the path; Read when it may be read.
DataFileState Judge(const struct stat& info) {
    if (!S_ISREG(info.st_mode)) return DataFileState::NotRegular;
    if (info.st_size > kDataFileByteLimit) return DataFileState::TooLarge;
    return DataFileState::Read;
}

// Reads at most one byte more than the limit, so a file that grew after its size was checked is refused too.
DataFileState ReadAll(int fd, qint64 expected, QByteArray& bytes) {
    bytes.reserve(static_cast<qsizetype>(expected));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return DataFileState::Unreadable;
        if (n == 0) return DataFileState::Read;
        if (bytes.size() + n > kDataFileByteLimit) return DataFileState::TooLarge;
        bytes.append(buffer, static_cast<qsizetype>(n));
    }
}

} // namespace

std::optional<DataFileStamp> DataFileStampOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
    return StampOf(info);
}

DataFileRead ReadDataFile(const QString& path) {
    DataFileRead out;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        out.state = StateAfterFailure(errno);
        return out;
    }
    out.stamp = StampOf(info);
    out.state = Judge(info);
    if (out.state != DataFileState::Read) return out; // a pipe or device is never opened
    // Without blocking, and judged again on what was opened: the path may have been replaced meanwhile.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        out.state = StateAfterFailure(errno);
        return out;
    }
    if (::fstat(fd, &info) != 0) {
        out.state = DataFileState::Unreadable;
    } else {
        out.stamp = StampOf(info);
        out.state = Judge(info);
        if (out.state == DataFileState::Read) out.state = ReadAll(fd, info.st_size, out.bytes);
    }
    ::close(fd);
    if (out.state != DataFileState::Read) out.bytes.clear();
    return out;
}

#else // Windows: no pipes or devices among the files of a folder; a link is judged by what it leads to

std::optional<DataFileStamp> DataFileStampOf(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return std::nullopt;
    DataFileStamp stamp;
    stamp.size = info.size();
    stamp.modified = info.lastModified().toMSecsSinceEpoch();
    stamp.changed = info.birthTime().isValid() ? info.birthTime().toMSecsSinceEpoch() : 0;
    return stamp;
}

DataFileRead ReadDataFile(const QString& path) {
    DataFileRead out;
    const std::optional<DataFileStamp> stamp = DataFileStampOf(path);
    if (!stamp) return out;
    out.stamp = *stamp;
    if (!QFileInfo(path).isFile()) {
        out.state = DataFileState::NotRegular;
        return out;
    }
    if (stamp->size > kDataFileByteLimit) {
        out.state = DataFileState::TooLarge;
        return out;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.state = DataFileState::Unreadable;
        return out;
    }
    out.bytes = file.read(kDataFileByteLimit + 1);
    if (file.error() != QFileDevice::NoError) {
        out.state = DataFileState::Unreadable;
    } else if (out.bytes.size() > kDataFileByteLimit) {
        out.state = DataFileState::TooLarge;
    } else {
        out.state = DataFileState::Read;
        return out;
    }
    out.bytes.clear();
    return out;
}

#endif
