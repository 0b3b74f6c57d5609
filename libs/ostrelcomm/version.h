#pragma once

// Hands the library's name and build date to the core runtime's version banner.
void xShowVersionInfoOstrelcomm();
