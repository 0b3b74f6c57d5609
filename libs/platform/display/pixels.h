// Framebuffer pixels to the 0x00RRGGBB words that window surfaces hold, shared by the backends.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/display/display.h"

int32_t PlatformBytesPerPixel(EPixelFormat format);
// A framebuffer that can be read: pixels present, sizes above 0, rows long enough.
bool PlatformFramebufferUsable(const TDisplayFramebuffer& fb);
// One row of count pixels; the palette is read for Indexed8 only.
void PlatformPixelsToXrgb(const uint8_t* src, EPixelFormat format, const TDisplayColour* palette, int32_t count,
                          uint32_t* dst);
// The part of rect (framebuffer coordinates) that lies inside the framebuffer and, moved by
// (dstX, dstY), inside a target of targetWidth by targetHeight; false when nothing is left.
bool PlatformClipPresentRect(const TDisplayFramebuffer& fb, const TDisplayRect& rect, int32_t dstX, int32_t dstY,
                             int32_t targetWidth, int32_t targetHeight, TDisplayRect& out);

// Where the framebuffer rectangle rect lands when the whole framebuffer is stretched onto target
// (nearest pixel: client pixel x shows framebuffer column (x - target.x) * fb.width /
// target.width), cut to the target and to a client area of clientWidth by clientHeight; false
// when nothing is left.
bool PlatformScaleRect(const TDisplayFramebuffer& fb, const TDisplayRect& rect, const TDisplayRect& target,
                       int32_t clientWidth, int32_t clientHeight, TDisplayRect& out);
// The client rectangle out (from PlatformScaleRect) as 0x00RRGGBB words, each or-ed with
// orBits, into rows dstPitch bytes apart from dst on. Each framebuffer row it needs is converted
// once.
void PlatformStretchToXrgb(const TDisplayFramebuffer& fb, const TDisplayColour* palette, const TDisplayRect& target,
                           const TDisplayRect& out, uint32_t* dst, int64_t dstPitch, uint32_t orBits = 0);
