// Wintab packet fields: the mask bits and their widths. No Win32 here: the call-text builder and the
// layout choice use it natively as well.
#pragma once

#include <cstdint>

using WTPKT = uint32_t;

// Packet fields in packet order. Each is 4 bytes wide, but orientation and rotation, 12 bytes each.
inline constexpr WTPKT PK_CONTEXT = 0x0001;
inline constexpr WTPKT PK_STATUS = 0x0002;
inline constexpr WTPKT PK_TIME = 0x0004;
inline constexpr WTPKT PK_CHANGED = 0x0008;
inline constexpr WTPKT PK_SERIAL_NUMBER = 0x0010;
inline constexpr WTPKT PK_CURSOR = 0x0020;
inline constexpr WTPKT PK_BUTTONS = 0x0040;
inline constexpr WTPKT PK_X = 0x0080;
inline constexpr WTPKT PK_Y = 0x0100;
inline constexpr WTPKT PK_Z = 0x0200;
inline constexpr WTPKT PK_NORMAL_PRESSURE = 0x0400;
inline constexpr WTPKT PK_TANGENT_PRESSURE = 0x0800;
inline constexpr WTPKT PK_ORIENTATION = 0x1000;
inline constexpr WTPKT PK_ROTATION = 0x2000;

inline constexpr int packet_word_size = 4;
inline constexpr int packet_triple_size = 12;
