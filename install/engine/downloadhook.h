// The installer's download hook, which the updater of the common library calls (its Download
// callback) to fetch the packed files of an update: a download set over the server's FTP sites,
// shown in dialog 460 of the installer's resources (progress 105, text 104, rate 461, file 462,
// site 463) until it ends or the player presses 464. The texts go into the controls' own buffers:
// the script gives 104 and 461 to 463 a TextBufferSize.
#pragma once

#include <cstdint>

class CLList;

inline constexpr int32_t BHOOK_DIALOG = 460;
inline constexpr int32_t BHOOK_TEXT = 104;
inline constexpr int32_t BHOOK_PROGRESS = 105;
inline constexpr int32_t BHOOK_RATE = 461;
inline constexpr int32_t BHOOK_FILE = 462;
inline constexpr int32_t BHOOK_SITE = 463;
inline constexpr int32_t BHOOK_CANCEL = 464;
// The installer string that text 104 shows.
inline constexpr int32_t BHOOK_TEXT_STRING = 10105;

// items: SFVersionDownloadItem*; sites: SFVFtpSite*; *stop set by the player's cancel. 1 when
// every file arrived; 0 for a site the module list refuses; else the restart flag becomes 2, *stop
// is set and the answer is 0.
int32_t BInstallerDownloadHook(CLList* items, CLList* sites, int32_t* stop);
