// Reading one of the viewer's data files within bounds: only a regular file (a link to one is fine), never
// waiting on a pipe or reading a device, at most kDataFileByteLimit bytes; and the stamp of a file's version.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The largest data file read. The shipped Data.ini is about 21 KB and each .cnt file under 7 KB: 4 MB leaves
// room for two hundred times that, and parsing a file of that size still takes well under a second.
inline constexpr qint64 kDataFileByteLimit = qint64{4} << 20;

enum class DataFileState {
    Read,       // the whole file is in the bytes
    Missing,    // nothing at the path (a link that leads nowhere counts as nothing)
    Unreadable, // the system refused to open or read it
    NotRegular, // a folder, a pipe, a device, or a link to one of them: never opened for reading
    TooLarge,   // more than kDataFileByteLimit bytes
};

// What tells one version of a file from another: any write or replacement of the file changes it.
struct DataFileStamp {
    quint64 device = 0;
    quint64 file = 0; // the file's number on its device (0 on Windows)
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds on Linux, milliseconds on Windows
    qint64 changed = 0;  // the status change (Linux) or creation (Windows) time, in the same unit
    bool operator==(const DataFileStamp&) const = default;
};

struct DataFileRead {
    DataFileState state = DataFileState::Missing;
    QByteArray bytes;    // when Read
    DataFileStamp stamp; // of the file that was read or refused; zero when missing or unreadable
};

// The stamp of whatever is at the path now, links followed; nothing when there is nothing there.
std::optional<DataFileStamp> DataFileStampOf(const QString& path);

// Reads the file at path when it is a regular file of at most kDataFileByteLimit bytes.
DataFileRead ReadDataFile(const QString& path);
