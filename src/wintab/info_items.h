// What WTInfoA can be asked (categories and items), and the flag words of its answers. No Win32 here: the
// report assembly uses it natively as well.
#pragma once

#include <cstdint>

// Categories.
inline constexpr uint32_t WTI_INTERFACE = 1;
inline constexpr uint32_t WTI_STATUS = 2;
inline constexpr uint32_t WTI_DEFCONTEXT = 3;
inline constexpr uint32_t WTI_DEFSYSCTX = 4;
inline constexpr uint32_t WTI_DEVICES = 100;
inline constexpr uint32_t WTI_CURSORS = 200;
inline constexpr uint32_t WTI_EXTENSIONS = 300;

// Interface items.
inline constexpr uint32_t IFC_WINTABID = 1;
inline constexpr uint32_t IFC_SPECVERSION = 2;
inline constexpr uint32_t IFC_IMPLVERSION = 3;
inline constexpr uint32_t IFC_NDEVICES = 4;
inline constexpr uint32_t IFC_NCURSORS = 5;
inline constexpr uint32_t IFC_NCONTEXTS = 6;
inline constexpr uint32_t IFC_CTXOPTIONS = 7;

// Device items.
inline constexpr uint32_t DVC_NAME = 1;
inline constexpr uint32_t DVC_HARDWARE = 2;
inline constexpr uint32_t DVC_NCSRTYPES = 3;
inline constexpr uint32_t DVC_FIRSTCSR = 4;
inline constexpr uint32_t DVC_X = 12;
inline constexpr uint32_t DVC_Y = 13;
inline constexpr uint32_t DVC_Z = 14;
inline constexpr uint32_t DVC_NPRESSURE = 15;
inline constexpr uint32_t DVC_TPRESSURE = 16;
inline constexpr uint32_t DVC_ORIENTATION = 17;

// Cursor items.
inline constexpr uint32_t CSR_NAME = 1;
inline constexpr uint32_t CSR_ACTIVE = 2;
inline constexpr uint32_t CSR_PKTDATA = 3;
inline constexpr uint32_t CSR_BUTTONS = 4;
inline constexpr uint32_t CSR_NPBUTTON = 9;
inline constexpr uint32_t CSR_TPBUTTON = 12;
inline constexpr uint32_t CSR_MODE = 16;
inline constexpr uint32_t CSR_CAPABILITIES = 19;

// Context options.
inline constexpr uint32_t CXO_SYSTEM = 0x0001;
inline constexpr uint32_t CXO_PEN = 0x0002;
inline constexpr uint32_t CXO_MESSAGES = 0x0004;
inline constexpr uint32_t CXO_CSRMESSAGES = 0x0008;
inline constexpr uint32_t CXO_MGNINSIDE = 0x4000;
inline constexpr uint32_t CXO_MARGIN = 0x8000;

// Hardware capabilities (DVC_HARDWARE).
inline constexpr uint32_t HWC_INTEGRATED = 0x0001;
inline constexpr uint32_t HWC_TOUCH = 0x0002;
inline constexpr uint32_t HWC_HARDPROX = 0x0004;
inline constexpr uint32_t HWC_PHYSID_CURSORS = 0x0008;

// Cursor capabilities (CSR_CAPABILITIES).
inline constexpr uint32_t CRC_MULTIMODE = 0x0001;
inline constexpr uint32_t CRC_AGGREGATE = 0x0002;
inline constexpr uint32_t CRC_INVERT = 0x0004;
