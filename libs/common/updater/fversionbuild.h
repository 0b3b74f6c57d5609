// The install builder: turns a folder of plain release files and a short-form module list into
// what the servers offer. For every file a copy in the target folder (scrambled where the host
// asks) and a packed form in the list-output folder, for every NORMAL module one package archive,
// full-form lists with every CRC and size, and a status file that marks every NORMAL module
// installed. When the source folder holds "filemapinstall.lst", a lighter release of only its
// modules goes to the target's "_light/" folder.
//
// Everything it does to files goes through the updater's callbacks (fversioncallbacks.h); all 22
// required ones must be registered.
#pragma once

#include <cstdint>

// Names that the builder looks for and makes.
inline constexpr char FVERSION_LIGHT_LIST[] = "filemapinstall.lst";
inline constexpr char FVERSION_LIGHT_FOLDER[] = "_light/";

// Folders may be empty (the working folder); file names are joined to them. packageKind non-zero
// derives package names ending in ".bos" (the block compressor), zero in ".zpk" (LZSS); each
// file's packed form is its name with that extension appended. 1 on success; 0 at the first
// failure, with what was written until then left in place. A list that puts one file in two
// modules, or names a file outside its folder, fails before anything is written.
int32_t FVersion_BuildInstall(const char* sourceFolder, const char* listOutputFolder, const char* targetFolder,
                              const char* sourceListName, const char* outputListName,
                              const char* secondOutputListName, const char* statusFileName, int32_t packageKind);

// Writes source to target scrambled: every byte XORed with 0x6B and the 13 bytes "XICRYPTEDFILE",
// XORed alike, appended; the target is replaced whole, its folders made. 1/0.
int32_t FVersion_WriteScrambledCopy(const char* source, const char* target);
