// Message numbers, notification codes, key codes and the records that travel
// with messages. The numbers are the design's, so that every module speaks of
// WM_COMMAND 0x0111 or UM_RELOAD 0x8000 as the rest of the design does.
#pragma once

#include <cstdint>
#include <memory>

struct DropHandle;
class CNativeWindow;

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

// One message as the window objects see it.
struct MessageRecord {
  uint32_t message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
};

constexpr uint16_t LowWord(uintptr_t value) { return static_cast<uint16_t>(value & 0xFFFF); }
constexpr uint16_t HighWord(uintptr_t value) { return static_cast<uint16_t>((value >> 16) & 0xFFFF); }
constexpr WPARAM MakeWParam(uint16_t low, uint16_t high) { return (WPARAM(high) << 16) | low; }
// Two signed 16-bit values, as client coordinates and sizes travel in lParam.
constexpr LPARAM MakeLParam(int low, int high) {
  return static_cast<LPARAM>(static_cast<uint32_t>((uint16_t(high) << 16) | uint16_t(low)));
}
constexpr int SignedLowWord(LPARAM value) { return static_cast<int16_t>(value & 0xFFFF); }
constexpr int SignedHighWord(LPARAM value) { return static_cast<int16_t>((value >> 16) & 0xFFFF); }

// Window messages.
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_NOTIFY = 0x004E;
constexpr uint32_t WM_CONTEXTMENU = 0x007B;  // from the keyboard: lParam -1
constexpr uint32_t WM_NCCREATE = 0x0081;
constexpr uint32_t WM_NCDESTROY = 0x0082;
constexpr uint32_t WM_GETDLGCODE = 0x0087;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_INITDIALOG = 0x0110;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_INITMENU = 0x0116;
constexpr uint32_t EM_LIMITTEXT = 0x00C5;  // wParam the most characters a user may type
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_POWERBROADCAST = 0x0218;
constexpr uint32_t WM_DEVICECHANGE = 0x0219;
constexpr uint32_t WM_DROPFILES = 0x0233;

// The program's private messages.
constexpr uint32_t UM_RELOAD = 0x8000;        // to the frame and the player view
constexpr uint32_t UM_UPDATESTATE = 0x8001;   // to the frame
constexpr uint32_t UM_SELECTMEDIUM = 0x8001;  // the same number, to the media bar

// WM_SIZE wParam.
constexpr WPARAM SIZE_RESTORED = 0;
// WM_DEVICECHANGE event code.
constexpr WPARAM DBT_DEVNODES_CHANGED = 7;
// WM_POWERBROADCAST events that ask, and the answer that refuses.
constexpr WPARAM PBT_APMQUERYSUSPEND = 0;
constexpr WPARAM PBT_APMQUERYSTANDBY = 1;
constexpr LRESULT BROADCAST_QUERY_DENY = 0x424D5144;
// WM_GETDLGCODE result: the control wants every key.
constexpr LRESULT DLGC_WANTALLKEYS = 4;
// Mouse key flags in wParam of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x01;
constexpr WPARAM MK_RBUTTON = 0x02;
constexpr WPARAM MK_SHIFT = 0x04;
constexpr WPARAM MK_CONTROL = 0x08;

// Notification codes of WM_COMMAND (high word of wParam).
constexpr uint16_t BN_CLICKED = 0;
constexpr uint16_t CBN_SELCHANGE = 1;
constexpr uint16_t EN_CHANGE = 0x0300;
// The high word of a command that came from an accelerator.
constexpr uint16_t COMMAND_FROM_ACCELERATOR = 1;

// WM_NOTIFY codes.
constexpr int32_t NM_CLICK = -2;
constexpr int32_t NM_DBLCLK = -3;
constexpr int32_t NM_RCLICK = -5;
constexpr int32_t LVN_ITEMCHANGED = -101;
constexpr int32_t LVN_DELETEITEM = -103;
constexpr int32_t LVN_DELETEALLITEMS = -104;
constexpr int32_t LVN_BEGINLABELEDITA = -105;
constexpr int32_t LVN_ENDLABELEDITA = -106;
constexpr int32_t LVN_COLUMNCLICK = -108;
constexpr int32_t TTN_GETDISPINFOA = -520;

// Records of WM_NOTIFY (lParam points at one). The receiver of a reflected
// notification sees `from` cleared, so that it is not reflected twice.
struct NotifyHeader {
  CNativeWindow* from = nullptr;
  uintptr_t idFrom = 0;
  int32_t code = 0;
};

// List-view notifications: item changes, deletions, column clicks (column in
// subItem), and label editing (text is null when the edit was cancelled).
struct ListViewNotify {
  NotifyHeader header;
  int item = -1;
  int subItem = 0;
  uint32_t newState = 0;
  uint32_t oldState = 0;
  uint32_t changed = 0;
  LPARAM itemValue = 0;
  const char* text = nullptr;  // label edits only, in the program's code page
};

// The tool bar asks for a button's tip text; idFrom is the command id.
struct ToolTipNotify {
  NotifyHeader header;
  char text[80] = {};
};

// List-view item state bits and search flags.
constexpr uint32_t LVIS_FOCUSED = 0x01;
constexpr uint32_t LVIS_SELECTED = 0x02;
constexpr uint32_t LVIS_DROPHILITED = 0x08;
constexpr uint32_t LVIF_STATE = 0x08;
constexpr uint32_t LVNI_ALL = 0x00;
constexpr uint32_t LVNI_FOCUSED = 0x01;
constexpr uint32_t LVNI_SELECTED = 0x02;
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVSIL_SMALL = 1;

// Window and control styles that change how a window is presented.
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_DISABLED = 0x08000000;
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_SYSMENU = 0x00080000;  // a dialog with a close box
constexpr uint32_t WS_VSCROLL = 0x00200000;
constexpr uint32_t WS_HSCROLL = 0x00100000;
constexpr uint32_t WS_EX_ACCEPTFILES = 0x00000010;
constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;
constexpr uint32_t LVS_REPORT = 0x0001;
constexpr uint32_t LVS_SINGLESEL = 0x0004;
constexpr uint32_t LVS_SHOWSELALWAYS = 0x0008;
constexpr uint32_t LVS_SHAREIMAGELISTS = 0x0040;
constexpr uint32_t LVS_EDITLABELS = 0x0200;
constexpr uint32_t CCS_BOTTOM = 0x0003;
constexpr uint32_t CCS_NORESIZE = 0x0004;
constexpr uint32_t CCS_NODIVIDER = 0x0040;
constexpr uint32_t SBARS_SIZEGRIP = 0x0100;
constexpr uint32_t TBSTYLE_TOOLTIPS = 0x0100;
constexpr uint32_t TBSTYLE_ALTDRAG = 0x0400;
constexpr uint32_t TBSTYLE_FLAT = 0x0800;
constexpr uint32_t CBS_DROPDOWN = 0x0002;
constexpr uint32_t CBS_DROPDOWNLIST = 0x0003;
constexpr uint32_t CBS_SORT = 0x0100;
constexpr uint32_t BS_DEFPUSHBUTTON = 0x0001;
constexpr uint32_t ES_RIGHT = 0x0002;
constexpr uint32_t ES_READONLY = 0x0800;
constexpr uint32_t SS_RIGHT = 0x0002;
constexpr uint32_t SS_CENTER = 0x0001;
constexpr uint32_t SS_TYPEMASK = 0x001F;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// Message-box flags and the buttons they return.
constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_OKCANCEL = 0x01;
constexpr uint32_t MB_YESNOCANCEL = 0x03;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_ICONHAND = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Virtual-key codes; letters and digits are their upper-case ASCII codes.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_APPS = 0x5D;  // the Menu key
constexpr int VK_F1 = 0x70;
constexpr int VK_F12 = 0x7B;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;

// System colours (indices of the design's colour table).
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_BTNHIGHLIGHT = 20;

// WM_DROPFILES carries a DropHandle in wParam that the receiver owns: it hands
// it to CDroppedFiles::Attach through this. A window that leaves the message to
// default processing has it released there.
std::unique_ptr<DropHandle> TakeDropHandle(const MessageRecord& record);
