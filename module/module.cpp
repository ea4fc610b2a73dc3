// Module-wide data, defined once.
#include <windows.h>
#include "module.h"

static_assert(sizeof(GeneralPurposePlugin) == 7 * 4, "the player reads seven 32-bit fields");
static_assert(NOTIFYICONDATAA_V2_SIZE == balloonNoticeSize, "balloon fields end at 488 bytes");
static_assert(NOTIFYICONDATAW_V2_SIZE == wideBalloonNoticeSize, "wide balloon fields end at 936 bytes");

GeneralPurposePlugin pluginRecord = { 0x10, descriptionText, nullptr, nullptr, nullptr, nullptr, nullptr };
wchar_t modulePath[MAX_PATH];
char descriptionText[128];
char balloonTitle[64];
char tipFormat[128];
wchar_t wideTipFormat[128];
NOTIFYICONDATAA balloonNotice;
NOTIFYICONDATAW wideBalloonNotice;
