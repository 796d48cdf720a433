// Module ini: where the viewer's data files are, and reading and writing the descriptions in data/Data.ini
// and the text of the other data files.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The program's folder, ending in "/".
QString AppDir();

// The data folder for a program folder: "data/" beside the program (a portable folder, and the build), else
// the installed "../share/quillonmacro/data/" next to the program's bin folder, else "data/" beside it.
QString DataFolderFor(const QString& appDir);
// The folder of the data files, ending in "/": DataFolderFor(AppDir()) unless SetDataFolder chose another.
QString DataFolder();
// The user's own folder for changed data files, used when the data folder is the installed one.
QString UserDataFolder();
// Chooses the data folder (tests, or a later install that keeps its data elsewhere); an empty path returns
// to the folder beside the program.
// With shared, the folder is treated like the installed one: changes go to the user's folder.
void SetDataFolder(const QString& folder, bool shared = false);

// The path of a data file by its name, such as "Data.ini" or "VirtualKey.cnt": the user's own copy when the
// data folder is the installed one and the user has changed the file, else the data folder's file.
QString DataFilePath(const QString& name);
// Where a changed data file is written: the data folder when it can be written, else the user's folder.
QString WritableDataFilePath(const QString& name);

// The value of key in section of Data.ini, whole; the empty text when the file, the section or the key is
// missing, or the file cannot be read. The file is read and parsed once, and again only when it has changed
// (its size, times or identity), so looking up one value after another costs no reading.
QString IniRead(const QString& section, const QString& key);

// Writes the value into Data.ini in the encoding the file has, through a temporary file that replaces it, so
// a failed write leaves the old file whole. False when the value cannot be stored or the file not written.
bool IniWrite(const QString& section, const QString& key, const QString& value);

// The lines of a data text file (UTF-8 or CP932; CR LF, CR or LF ends), or nothing when it cannot be read;
// read once like Data.ini.
std::optional<QStringList> ReadDataLines(const QString& name);

// Why a data file is refused, in two lines naming the file and the reason, when it is no regular file (a
// folder, a pipe, a device, a link to one of them) or larger than the limit; empty when it can be read, is
// missing, or the system refused it (those show an empty description).
QString DataFileRefusal(const QString& name);

// How many times a data file has been read from disk (or refused) since the program started.
int DataFileReadings();
