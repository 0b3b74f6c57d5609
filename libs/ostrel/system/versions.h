// Version lines of the libraries and programs.
#pragma once

// "<name> (<version>)" to the diagnostic sink; nothing reaches the player.
void xShowVersionInfo(const char* name, const char* version);
// "Version Info: Ostrel v3.0" with the library's build date and time.
void xShowVersionInfoOstrel();
