#pragma once

#include "platform/Win32Types.h"

// Pen tablets shaped like Wintab: one tablet device (index 0) whose tools (pen tip, eraser)
// are its cursors, contexts that turn the tools' input into packets queued for a window, and a
// WT_PACKET message posted for each packet. Tablet coordinates arrive scaled into the
// context's output extents; a negative y extent makes y grow downward. The packets always hold
// the fields of the one packet mask the service offers. The service starts on the first call
// and stops at UnloadWintab, which closes every context; the next call starts it again.
namespace w32 {

struct tContextTag;
using HCTX = tContextTag*;
// 16.16 fixed point.
using FIX32 = DWORD;

enum : UINT { WT_PACKET = 0x7FF0, WT_INFOCHANGE = 0x7FF6 };

// Categories and indices of WTInfoA.
enum : UINT { WTI_DEFSYSCTX = 4, WTI_DEVICES = 100, WTI_CURSORS = 200 };
enum : UINT { DVC_X = 12, DVC_Y = 13, DVC_NPRESSURE = 15, DVC_ORIENTATION = 17 };
enum : UINT { CSR_BUTTONMAP = 7, CSR_NPBUTTON = 9, CSR_NPBTNMARKS = 10 };

enum : UINT { CXO_SYSTEM = 0x1, CXO_MESSAGES = 0x4 };
enum : DWORD {
    PK_STATUS = 0x0002,
    PK_CURSOR = 0x0020,
    PK_BUTTONS = 0x0040,
    PK_X = 0x0080,
    PK_Y = 0x0100,
    PK_NORMAL_PRESSURE = 0x0400,
    PK_ORIENTATION = 0x1000,
    kWintabPacketData = PK_STATUS | PK_CURSOR | PK_BUTTONS | PK_X | PK_Y | PK_NORMAL_PRESSURE | PK_ORIENTATION,
};
// Packet status: the cursor is inverted (the eraser end is in use).
enum : DWORD { TPS_INVERT = 0x10 };
// Units of an axis: a full circle.
enum : UINT { TU_CIRCLE = 3 };

struct AXIS {
    LONG axMin = 0;
    LONG axMax = 0;
    UINT axUnits = 0;
    FIX32 axResolution = 0;
};

// Tenths of a degree: azimuth clockwise from the tablet's top, altitude above its surface.
struct ORIENTATION {
    int32_t orAzimuth = 0;
    int32_t orAltitude = 0;
    int32_t orTwist = 0;
};

struct PACKET {
    DWORD pkStatus = 0;
    UINT pkCursor = 0;
    DWORD pkButtons = 0;
    LONG pkX = 0;
    LONG pkY = 0;
    UINT pkNormalPressure = 0;
    ORIENTATION pkOrientation;
};

struct LOGCONTEXTA {
    char lcName[40] = {};
    UINT lcOptions = 0;
    UINT lcDevice = 0;
    DWORD lcPktData = 0;
    DWORD lcPktMode = 0;
    DWORD lcMoveMask = 0;
    DWORD lcBtnDnMask = 0;
    DWORD lcBtnUpMask = 0;
    LONG lcOutOrgX = 0;
    LONG lcOutOrgY = 0;
    LONG lcOutExtX = 0;
    LONG lcOutExtY = 0;
};

// With category 0, non-zero when a tablet is there. Otherwise writes the item into `output`
// (when given) and answers its size, 0 when there is no such item.
UINT WTInfoA(UINT category, UINT index, void* output);
// Null for a packet format other than kWintabPacketData in absolute mode, or a zero output extent.
HCTX WTOpenA(HWND window, LOGCONTEXTA* context, BOOL enable);
BOOL WTClose(HCTX context);
// Takes up to `count` of the oldest packets off the queue, into `packets` when given.
int32_t WTPacketsGet(HCTX context, int32_t count, void* packets);
// Copies the packet of that serial and drops it and every older one; false when it is gone.
BOOL WTPacket(HCTX context, UINT serial, void* packet);
BOOL WTEnable(HCTX context, BOOL enable);
// Every open context receives the packets, so their order changes nothing.
BOOL WTOverlap(HCTX context, BOOL toTop);
BOOL WTGetA(HCTX context, LOGCONTEXTA* out);
// Empties the queue and gives it room for 1 to 1000 packets.
BOOL WTQueueSizeSet(HCTX context, int32_t size);
void UnloadWintab();

}  // namespace w32
