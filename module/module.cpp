// Module-wide data, defined once.
#include <windows.h>
#include "module.h"

// The player is a 32-bit program. (A 64-bit build only runs the tests where 32-bit programs cannot.)
const bool forThePlayer = sizeof(void*) == 4;
static_assert(!forThePlayer || sizeof(GeneralPurposePlugin) == 7 * 4, "the player reads seven 32-bit fields");
static_assert(!forThePlayer || balloonNoticeSize == 488, "balloon fields end at 488 bytes");
static_assert(!forThePlayer || wideBalloonNoticeSize == 936, "wide balloon fields end at 936 bytes");
static_assert(!forThePlayer || (sizeof(NOTIFYICONDATAA) == 508 && sizeof(NOTIFYICONDATAW) == 956),
              "a balloon with a picture of its own needs Vista's layout, hBalloonIcon included");
static_assert(!forThePlayer || (FIELD_OFFSET(NOTIFYICONDATAA, hBalloonIcon) == 504 &&
                                FIELD_OFFSET(NOTIFYICONDATAW, hBalloonIcon) == 952),
              "the shell reads the balloon's picture right after guidItem");
static_assert(!forThePlayer || (FIELD_OFFSET(NOTIFYICONDATAA, dwInfoFlags) == 484 &&
                                FIELD_OFFSET(NOTIFYICONDATAW, dwInfoFlags) == 932),
              "the balloon's flags end the layout Windows 2000 takes");

GeneralPurposePlugin pluginRecord = { 0x10, descriptionText, nullptr, nullptr, nullptr, nullptr, nullptr };
wchar_t modulePath[longestPath];
char descriptionText[128];
char balloonTitle[64];
wchar_t wideBalloonTitle[64];
char tipFormat[128];
wchar_t wideTipFormat[128];
NOTIFYICONDATAA balloonNotice;
NOTIFYICONDATAW wideBalloonNotice;
