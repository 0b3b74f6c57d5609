// The update driver: brings the installed files in line with the server's module list. It
// compares every file that the installed games need with the disk, fetches the packed forms of
// missing and changed files through the host's Download callback (three attempts), unpacks and
// checks them, asks the host to restart when a running file was replaced, keeps the module status
// file and writes both lists back. Everything it does to files, the network and the screen goes
// through the registered callbacks (fversioncallbacks.h); all 22 required ones must be set.
#pragma once

#include <cstdint>

class CGames;

// Caption and texts of the message box (when one is registered).
inline constexpr char FVERSION_RETRY_CAPTION[] = "Error downloading the requested files";
inline constexpr char FVERSION_RETRY_TEXT[] =
    "The casino software will retry the download operation.\n\nIf the problem persists, please download the "
    "complete software installation file from the web site.\n\nThe error may be due to a temporary server "
    "problem, firewalls blocking file transfers (FTP), or other problems with your Internet connection.";
inline constexpr char FVERSION_LAST_RETRY_TEXT[] = "The casino software will retry the operation one last time.\n\n";
inline constexpr char FVERSION_INFO_CAPTION[] = "Info";
inline constexpr char FVERSION_INFO_TEXT[] =
    "The casino software had problems updating itself. Please restart the casino software and if the problem "
    "persist, download the full version from our homepage";

// serverList: the server's list ("srvmap.lst"); installedList: the installed one ("filemap.lst"),
// which need not exist yet. Both are read and written in the full form; packageKind as for
// CFVModuleHandler::ReadModuleList.
//
// twoPasses 1: a pass that downloads, and when it found changes a second one that only checks
// and records the statuses; otherwise only the checking pass. listedOnly: forced modules outside
// the games list are left alone. downloadAll: every wanted file is fetched, not only those of
// forced modules. games: the games to check; null builds them from the server list and the module
// status file (normalising the statuses there). 1, or 0 when a pass failed; a pass whose downloads
// all failed or were stopped still gives 1 (a second pass then records what is missing).
int32_t FVersion_ValidateFiles(const char* serverList, const char* installedList, int32_t twoPasses,
                               int32_t listedOnly, int32_t downloadAll, CGames* games, int32_t packageKind);
