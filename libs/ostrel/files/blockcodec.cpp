#include "ostrel/files/archivecodec.h"

// The block compressor plugs in here: return its CArchiveCodecBase (pack the entry in place with
// both options 0, failure fails the add; expand with the unpacked size as limit and demand
// exactly that length).
CArchiveCodecBase* xNewBlockArchiveCodec() { return nullptr; }
