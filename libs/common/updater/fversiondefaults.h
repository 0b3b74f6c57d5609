// Default callbacks of the updater, for hosts that register them (fversioncallbacks.h). Folders
// may be empty or null (the working folder); names joined to them must stay below them.
#pragma once

#include <cstdint>

// Files on disk.
int32_t Callback_FileExists(const char* fileName);
// CRC-32 with the polynomial 0x04C11DB7 (xCalcCRC), the file read a block at a time.
int32_t Callback_FileCalcCRC(const char* fileName, uint32_t* crc);
int32_t Callback_FileFileSize(const char* fileName, uint32_t* size);
int32_t Callback_EraseFile(const char* fileName);
// Always 0: no file is stored scrambled.
int32_t Callback_FileShouldBeEncrypted(const char* fileName);

// Packages, by the extension of the packed name without regard to case: "bos" the block
// compressor, "zpk" LZSS, "rpk" the file as it is; any other extension or none fails. Every file
// they write replaces its target whole (fvreplace.h): a failure leaves the target as it was.
//
// Unpacks sourceFolder + packedFile to targetFolder + the target name: *targetName when it is
// given (the caller keeps that text), else the packed name without its last extension. On success
// *targetName is set to a new text (xFree) naming the unpacked file. Names that would leave their
// folder fail.
int32_t Callback_UnpackFile(const char* sourceFolder, const char* targetFolder, const char* packedFile,
                            char** targetName);
// Packs sourceFolder + fileName to targetFolder + the packed name: *packedName when it is given
// (its extension chooses the packer; the caller keeps that text), else fileName + ".zpk". On
// success *packedName is set to a new text (xFree).
int32_t Callback_PackFile(const char* sourceFolder, const char* targetFolder, const char* fileName,
                          char** packedName);
// Copies sourceFolder + fileName to targetFolder + fileName.
int32_t Callback_CopyFile(const char* sourceFolder, const char* targetFolder, const char* fileName);

// Steps that need nothing of their own: each answers success.
int32_t Callback_LoadStart();
int32_t Callback_LoadEnd();
int32_t Callback_SaveStart();
int32_t Callback_SaveEnd();
int32_t Callback_CheckStart(int32_t modules, int32_t normalFiles, int32_t indirectFiles);
int32_t Callback_CheckEnd();
void CallBack_MissingCriticalFiles();

// Registers every default above, and quiet stand-ins (FVersion_SetQuietCallbacks) for the
// callbacks that have none: for tools that build or check an installation without a network or a
// display.
void FVersion_SetDefaultCallbacks();
