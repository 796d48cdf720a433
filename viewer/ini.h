// Module ini: where the viewer's data files are, and reading and writing the descriptions in data/Data.ini
// and the text of the other data files.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The program's folder, ending in "/".
QString AppDir();

// The folder of the data files, ending in "/": AppDir() + "data/" unless SetDataFolder chose another. Every
// data file is found through this one function.
QString DataFolder();
// Chooses the data folder (tests, or a later install that keeps its data elsewhere); an empty path returns
// to the folder beside the program.
void SetDataFolder(const QString& folder);

// The path of a data file by its name, such as "Data.ini" or "VirtualKey.cnt".
QString DataFilePath(const QString& name);

// The value of key in section of Data.ini, whole; the empty text when the file, the section or the key is
// missing.
QString IniRead(const QString& section, const QString& key);

// Writes the value into Data.ini in the encoding the file has, through a temporary file that replaces it, so
// a failed write leaves the old file whole. False when the value cannot be stored or the file not written.
bool IniWrite(const QString& section, const QString& key, const QString& value);

// The lines of a data text file (UTF-8 or CP932; CR LF, CR or LF ends), or nothing when it cannot be read.
std::optional<QStringList> ReadDataLines(const QString& name);
