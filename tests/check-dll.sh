#!/usr/bin/env bash
# The DLL as the player's folder sees it: a PE32 i386 GUI DLL that stands alone, with the two exports,
# and loads on every Windows from 2000 on.
set -uo pipefail
dll=$1
dump=$(i686-w64-mingw32-objdump -p "$dll")
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }

check "PE32 i386 DLL" 'grep -q "file format pei-i386" <<<"$dump" && (( 0x$(sed -n "s/^Characteristics 0x//p" <<<"$dump") & 0x2000 ))'
check "export directory names Pipwick.dll" 'grep -q "^Name.*Pipwick.dll$" <<<"$dump"'
# An export's line: Debian 12's objdump prints "[   1] name", Debian 13's "[   1] +base[   2]  0001 name".
entry='^\s*\[ *[0-9]+\] (\+base\[ *[0-9]+\] +[0-9a-f]+ +)?'
check "winampGetGeneralPurposePlugin exported undecorated" 'grep -qE "${entry}winampGetGeneralPurposePlugin$" <<<"$dump"'
check "CPipwick::operator= exported under its platform name" 'grep -qE "${entry}\?\?4CPipwick@@QAEAAV0@ABV0@@Z" <<<"$dump"'
characteristics=$((0x$(sed -n "s/^DllCharacteristics\s*//p" <<<"$dump")))
check "Windows GUI subsystem" 'grep -qE "^Subsystem\s+00000002" <<<"$dump"'
check "NO_SEH set, DYNAMIC_BASE and NX_COMPAT kept" '(( (characteristics & 0x540) == 0x540 ))'
check "no link time stamp" 'grep -qE "^Time/Date\s+Thu Jan  1 00:00:00 1970" <<<"$dump"'
check "exactly two exports" '[ "$(grep -cE "${entry}[A-Za-z?_][^ ]*$" <<<"$dump")" = 2 ]'

imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr a-z A-Z | sort -u | tr '\n' ' ')
echo "imports: $imports"
for name in $imports; do
    check "import $name is a system DLL" 'grep -qxE "KERNEL32.DLL|USER32.DLL|GDI32.DLL|SHELL32.DLL|OLE32.DLL|COMCTL32.DLL|MSVCRT.DLL" <<<"$name"'
done
# Every function the DLL imports must exist in Windows 2000 (the first Windows with balloon tips),
# or the whole DLL fails to load there. These are the ones checked to be in its system DLLs; a new
# import must be checked against Windows 2000 before it joins the list.
windows2000='
COMCTL32.DLL!InitCommonControlsEx
GDI32.DLL!CreateBitmap GDI32.DLL!CreateDIBSection GDI32.DLL!DeleteObject
KERNEL32.DLL!CloseHandle KERNEL32.DLL!CreateDirectoryW KERNEL32.DLL!CreateThread
KERNEL32.DLL!DisableThreadLibraryCalls KERNEL32.DLL!ExitThread KERNEL32.DLL!FreeLibrary KERNEL32.DLL!FreeLibraryAndExitThread
KERNEL32.DLL!GetCurrentProcessId KERNEL32.DLL!GetCurrentThreadId KERNEL32.DLL!GetFileAttributesExW KERNEL32.DLL!GetModuleHandleW
KERNEL32.DLL!GetProcAddress KERNEL32.DLL!GetSystemDirectoryW KERNEL32.DLL!MulDiv
KERNEL32.DLL!GetModuleFileNameW KERNEL32.DLL!GetPrivateProfileIntW KERNEL32.DLL!GetPrivateProfileStringW
KERNEL32.DLL!GetTickCount KERNEL32.DLL!IsDBCSLeadByte KERNEL32.DLL!LoadLibraryW KERNEL32.DLL!MultiByteToWideChar
KERNEL32.DLL!QueueUserAPC KERNEL32.DLL!Sleep KERNEL32.DLL!SleepEx KERNEL32.DLL!WaitForSingleObject KERNEL32.DLL!WideCharToMultiByte
KERNEL32.DLL!WritePrivateProfileStringW
KERNEL32.DLL!lstrcatW KERNEL32.DLL!lstrcmpW KERNEL32.DLL!lstrcpyW KERNEL32.DLL!lstrcpynW KERNEL32.DLL!lstrlenW
MSVCRT.DLL!_mbschr
OLE32.DLL!CoCreateInstance OLE32.DLL!CoDisconnectObject OLE32.DLL!CoInitializeEx OLE32.DLL!CoUninitialize OLE32.DLL!CreateStreamOnHGlobal
SHELL32.DLL!SHGetFolderPathW SHELL32.DLL!Shell_NotifyIconA SHELL32.DLL!Shell_NotifyIconW
USER32.DLL!CheckDlgButton USER32.DLL!CreateIconIndirect USER32.DLL!CreateWindowExA USER32.DLL!CreateWindowExW USER32.DLL!DefWindowProcW USER32.DLL!DestroyIcon USER32.DLL!DestroyWindow USER32.DLL!DialogBoxParamW
USER32.DLL!EnableWindow USER32.DLL!EndDialog USER32.DLL!GetClassLongA USER32.DLL!GetDlgItem USER32.DLL!GetDlgItemTextW USER32.DLL!GetForegroundWindow
USER32.DLL!GetSystemMetrics USER32.DLL!GetWindowTextW USER32.DLL!GetWindowThreadProcessId
USER32.DLL!IsDlgButtonChecked USER32.DLL!IsWindow USER32.DLL!LoadIconA USER32.DLL!LoadStringA USER32.DLL!LoadStringW
KERNEL32.DLL!WaitForMultipleObjects
USER32.DLL!MessageBoxW USER32.DLL!MsgWaitForMultipleObjects USER32.DLL!PeekMessageA USER32.DLL!PostMessageW USER32.DLL!RegisterClassW USER32.DLL!UnregisterClassW USER32.DLL!SendMessageA
GDI32.DLL!CreateFontIndirectW GDI32.DLL!CreatePen GDI32.DLL!CreateSolidBrush GDI32.DLL!GetDeviceCaps GDI32.DLL!GetStockObject GDI32.DLL!Polygon GDI32.DLL!SetBkColor GDI32.DLL!SelectObject GDI32.DLL!SetBkMode GDI32.DLL!SetTextColor
KERNEL32.DLL!CreateEventW KERNEL32.DLL!ResetEvent KERNEL32.DLL!SetEvent
USER32.DLL!BeginPaint USER32.DLL!DispatchMessageW USER32.DLL!DrawIconEx USER32.DLL!DrawTextW USER32.DLL!EndPaint
USER32.DLL!EnumDisplayMonitors USER32.DLL!FillRect USER32.DLL!FrameRect USER32.DLL!GetClientRect USER32.DLL!GetDC
USER32.DLL!GetCursorPos USER32.DLL!GetMessageW USER32.DLL!GetMonitorInfoW USER32.DLL!GetWindowRect USER32.DLL!GetSysColor USER32.DLL!GetSysColorBrush USER32.DLL!InvalidateRect
USER32.DLL!IsIconic USER32.DLL!IsWindowVisible USER32.DLL!KillTimer USER32.DLL!LoadCursorW USER32.DLL!MonitorFromPoint
USER32.DLL!MonitorFromWindow USER32.DLL!MoveWindow USER32.DLL!NotifyWinEvent USER32.DLL!PtInRect USER32.DLL!PeekMessageW USER32.DLL!PostQuitMessage USER32.DLL!ReleaseDC
USER32.DLL!SendMessageTimeoutW USER32.DLL!SendMessageW USER32.DLL!SetForegroundWindow USER32.DLL!SetTimer USER32.DLL!SetWindowPos USER32.DLL!SetWindowTextW
USER32.DLL!ShowWindow USER32.DLL!ShowWindowAsync USER32.DLL!SystemParametersInfoW USER32.DLL!TrackMouseEvent USER32.DLL!TranslateMessage
USER32.DLL!SetDlgItemTextW USER32.DLL!SetLayeredWindowAttributes USER32.DLL!SetWindowLongA USER32.DLL!SetWindowLongW USER32.DLL!wsprintfW USER32.DLL!wvsprintfA USER32.DLL!wvsprintfW
'
# An import's line: Debian 12's objdump prints "vma hint name", Debian 13's "vma <none> hint name".
functions=$(awk '/^[[:space:]]*DLL Name:/ { dll = toupper($3) }
    /^[[:space:]]+[0-9a-f]+[[:space:]]+(<none>[[:space:]]+)?[0-9a-f]+ +[A-Za-z_]/ && dll { print dll "!" ($2 == "<none>" ? $4 : $3) }' <<<"$dump")
check "the import table read: $(wc -w <<<"$functions") functions" '[ "$(wc -w <<<"$functions")" -gt 20 ]'
for function in $functions; do
    check "$function is in Windows 2000" 'grep -qwF "$function" <<<"$windows2000"'
done
version() { printf '%d.%d' "0x$(sed -n "s/^Major$1\s*//p" <<<"$dump")" "0x$(sed -n "s/^Minor$1\s*//p" <<<"$dump")"; }
check "asks for no Windows newer than 2000 (OS $(version OSystemVersion), subsystem $(version SubsystemVersion))" \
    '[ "$(sed -n "s/^MajorOSystemVersion\s*//p" <<<"$dump")" -le 5 ] && [ "$(sed -n "s/^MajorSubsystemVersion\s*//p" <<<"$dump")" -le 5 ]'

size=$(stat -c %s "$dll")
echo "size: $size bytes"
# Each text and path call is there in both its ANSI and UTF-16 form, covers come through COM, and the
# popup has its own window, accessible object and stars; a runtime linked in by mistake would add far
# more than this leaves room for (libstdc++ alone is hundreds of KiB).
check "smaller than 64 KiB" '[ "$size" -lt 65536 ]'
exit $fail
