// OpenProgramPartEntry: the program's separately loaded parts, shared objects kept in the parts folder of the
// prefix the program's folder is in (the same in the build folder and when installed), opened on first use.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

struct PixelGrid;

// The file of the part that decodes picture files (Qt's image readers, and with them Qt's GUI library).
inline constexpr char kImagePartFile[] = "quillonmacro-images.so";
// Its entry: decodes the picture file at path into out; 0, 53 when the file does not exist, 5 when it cannot
// be decoded.
inline constexpr char kDecodeImageEntry[] = "QmDecodeImageFile";
using DecodeImageEntry = int (*)(const char16_t* path, std::size_t length, PixelGrid* out);

// The folder of the running program (its links resolved), or empty when the system cannot tell.
std::filesystem::path ProgramFolder();

// Where the part with this file name is kept, beside the running program.
std::string ProgramPartPath(const char* fileName);

// Opens the part and looks up its entry function: nullptr, with the loader's reason in `error`, when the part
// or the entry is missing. A part stays loaded until the process ends.
void* OpenProgramPartEntry(const char* fileName, const char* entryName, std::string& error);
