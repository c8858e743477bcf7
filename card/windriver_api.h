// The WinDriver request blocks and codes the recorder uses, from WinDriver's published interface
// (version 5.03). Field types are 32-bit throughout; in the 32-bit Windows build the sizes are
// checked against the driver's.
#pragma once
#include <cstdint>

using DWORD32 = uint32_t;

constexpr int WD_CARD_ITEMS = 20;
constexpr int WD_PCI_CARDS = 30;

// Item kinds of a card's resource list.
enum WdItemKind : DWORD32 { ITEM_NONE = 0, ITEM_INTERRUPT = 1, ITEM_MEMORY = 2, ITEM_IO = 3, ITEM_BUS = 5 };

// Transfer commands.
enum WdTransferCommand : DWORD32 { RM_WORD = 31, RM_DWORD = 32, WM_WORD = 34, RM_SWORD = 41 };

struct WD_ITEMS {
  DWORD32 item;
  DWORD32 fNotSharable;
  struct {  // the memory form; the other kinds reuse these words
    DWORD32 dwPhysicalAddr;
    DWORD32 dwBytes;
    DWORD32 dwTransAddr;
    DWORD32 dwUserDirectAddr;
    DWORD32 dwCpuPhysicalAddr;
  } Mem;
};

struct WD_CARD {
  DWORD32 dwItems;
  WD_ITEMS Item[WD_CARD_ITEMS];
};

struct WD_CARD_REGISTER {
  WD_CARD Card;
  DWORD32 fCheckLockOnly;
  DWORD32 hCard;
  DWORD32 dwOptions;
  char cName[32];
  char cDescription[100];
};

struct WD_VERSION {
  DWORD32 dwVer;
  char cVer[100];
};

struct WD_PCI_ID {
  DWORD32 dwVendorId;
  DWORD32 dwDeviceId;
};

struct WD_PCI_SLOT {
  DWORD32 dwBus;
  DWORD32 dwSlot;
  DWORD32 dwFunction;
};

struct WD_PCI_SCAN_CARDS {
  WD_PCI_ID searchId;
  DWORD32 dwCards;
  WD_PCI_ID cardId[WD_PCI_CARDS];
  WD_PCI_SLOT cardSlot[WD_PCI_CARDS];
};

struct WD_PCI_CARD_INFO {
  WD_PCI_SLOT pciSlot;
  WD_CARD Card;
};

struct WD_TRANSFER {
  DWORD32 cmdTrans;
  DWORD32 dwPort;
  DWORD32 dwBytes;
  DWORD32 fAutoinc;
  DWORD32 dwOptions;
  union {
    uint16_t Word;
    DWORD32 Dword;
    void* pBuffer;
  } Data;
};

// CTL_CODE(38200, function, METHOD_NEITHER, FILE_ANY_ACCESS).
constexpr DWORD32 wdRequestCode(DWORD32 function) { return (38200u << 16) | (function << 2) | 3u; }

constexpr DWORD32 IOCTL_WD_CARD_UNREGISTER = wdRequestCode(0x92B);
constexpr DWORD32 IOCTL_WD_VERSION = wdRequestCode(0x910);
constexpr DWORD32 IOCTL_WD_PCI_SCAN_CARDS = wdRequestCode(0x90E);
constexpr DWORD32 IOCTL_WD_PCI_GET_CARD_INFO = wdRequestCode(0x90F);
constexpr DWORD32 IOCTL_WD_CARD_REGISTER = wdRequestCode(0x956);
constexpr DWORD32 IOCTL_WD_TRANSFER = wdRequestCode(0x903);

static_assert(IOCTL_WD_CARD_UNREGISTER == 0x953824AF, "request code");
static_assert(IOCTL_WD_VERSION == 0x95382443, "request code");
static_assert(IOCTL_WD_PCI_SCAN_CARDS == 0x9538243B, "request code");
static_assert(IOCTL_WD_PCI_GET_CARD_INFO == 0x9538243F, "request code");
static_assert(IOCTL_WD_CARD_REGISTER == 0x9538255B, "request code");
static_assert(IOCTL_WD_TRANSFER == 0x9538240F, "request code");

static_assert(sizeof(WD_CARD_REGISTER) == 708, "WD_CARD_REGISTER layout");
static_assert(sizeof(WD_VERSION) == 104, "WD_VERSION layout");
static_assert(sizeof(WD_PCI_SCAN_CARDS) == 612, "WD_PCI_SCAN_CARDS layout");
static_assert(sizeof(WD_PCI_CARD_INFO) == 576, "WD_PCI_CARD_INFO layout");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(WD_TRANSFER) == 24, "WD_TRANSFER layout");
#endif
