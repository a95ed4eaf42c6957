// The text of one handler call for one packet: name(cursor,buttons,x,y,z,pressure,tangent,azimuth,altitude,
// twist,"","",""). No Win32 here: it builds natively for sanitizer, fuzz and benchmark runs.
#pragma once

#include <cstdint>

#include "tablet/packet_layout.h"

// The bytes one packet occupies for `mask`: every field of the mask at its width, whether the call text uses it or
// not. Bits past PK_ROTATION name no field and add nothing.
int32_t packet_bytes_for_mask(WTPKT mask);

// Writes the call text for `packet` (of `packet_bytes` bytes, laid out by layout.packet_mask) into `out`, which
// holds `capacity` bytes. Returns the text's length, or -1 when it does not fit or the packet is shorter than the
// mask needs; then `out` holds an empty text and nothing may be evaluated.
int build_call_text(char* out, int capacity, const char* handler_name, const PacketLayout& layout,
                    const unsigned char* packet, int32_t packet_bytes);
