// The common library's version lines.
#pragma once

// The database library's banner, then "Version Info: Commonlib v3.0" with this library's build
// date and time, to the diagnostic sink.
void xShowVersionInfoCommonlib();
