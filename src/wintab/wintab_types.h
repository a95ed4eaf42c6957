// Our own declarations of the Wintab interface: records, constants and entry-point signatures (ANSI
// variants). Shared by the plug-in and the simulated driver. Windows types only; no code.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstdint>

#include "wintab/info_items.h"
#include "wintab/packet_fields.h"

using HCTX = HANDLE;
using FIX32 = uint32_t; // 16.16 fixed point

struct AXIS {
    LONG axMin;
    LONG axMax;
    UINT axUnits;
    FIX32 axResolution;
};
static_assert(sizeof(AXIS) == 16);

struct ORIENTATION {
    int orAzimuth;
    int orAltitude;
    int orTwist;
};
static_assert(sizeof(ORIENTATION) == 12);

inline constexpr int context_name_size = 40;

struct LOGCONTEXTA {
    char lcName[context_name_size];
    UINT lcOptions;
    UINT lcStatus;
    UINT lcLocks;
    UINT lcMsgBase;
    UINT lcDevice;
    UINT lcPktRate;
    WTPKT lcPktData;
    WTPKT lcPktMode;
    WTPKT lcMoveMask;
    DWORD lcBtnDnMask;
    DWORD lcBtnUpMask;
    LONG lcInOrgX;
    LONG lcInOrgY;
    LONG lcInOrgZ;
    LONG lcInExtX;
    LONG lcInExtY;
    LONG lcInExtZ;
    LONG lcOutOrgX;
    LONG lcOutOrgY;
    LONG lcOutOrgZ;
    LONG lcOutExtX;
    LONG lcOutExtY;
    LONG lcOutExtZ;
    FIX32 lcSensX;
    FIX32 lcSensY;
    FIX32 lcSensZ;
    BOOL lcSysMode;
    int lcSysOrgX;
    int lcSysOrgY;
    int lcSysExtX;
    int lcSysExtY;
    FIX32 lcSysSensX;
    FIX32 lcSysSensY;
};
static_assert(sizeof(LOGCONTEXTA) == 172);
static_assert(offsetof(LOGCONTEXTA, lcOptions) == 40);
static_assert(offsetof(LOGCONTEXTA, lcPktData) == 64);
static_assert(offsetof(LOGCONTEXTA, lcBtnDnMask) == 76);
static_assert(offsetof(LOGCONTEXTA, lcInOrgX) == 84);
static_assert(offsetof(LOGCONTEXTA, lcOutOrgX) == 108);
static_assert(offsetof(LOGCONTEXTA, lcSensX) == 132);
static_assert(offsetof(LOGCONTEXTA, lcSysMode) == 144);
static_assert(offsetof(LOGCONTEXTA, lcSysOrgX) == 148);
static_assert(offsetof(LOGCONTEXTA, lcSysSensX) == 164);

// Messages.
inline constexpr UINT WT_DEFBASE = 0x7FF0;
inline constexpr UINT WT_PACKET = WT_DEFBASE + 0;

// Entry points.
using WTInfoA_t = UINT(WINAPI*)(UINT category, UINT index, LPVOID output);
using WTOpenA_t = HCTX(WINAPI*)(HWND window, LOGCONTEXTA* context, BOOL enable);
using WTClose_t = BOOL(WINAPI*)(HCTX context);
using WTPacketsGet_t = int(WINAPI*)(HCTX context, int max_packets, LPVOID packets);
using WTPacket_t = BOOL(WINAPI*)(HCTX context, UINT serial, LPVOID packet);
using WTEnable_t = BOOL(WINAPI*)(HCTX context, BOOL enable);
using WTOverlap_t = BOOL(WINAPI*)(HCTX context, BOOL to_top);
using WTQueueSizeGet_t = int(WINAPI*)(HCTX context);
using WTQueueSizeSet_t = BOOL(WINAPI*)(HCTX context, int packets);
