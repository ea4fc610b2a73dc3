// The options dialog: edits the settings in memory and says whether the user confirmed them.
#include <windows.h>
#include <commctrl.h>
#include "options.h"
#include "../module/module.h"
#include "../resources/resource.h"
#include "../settings/settings.h"
#include "../system/system.h"

static const int intervalStep = 100;   // one arrow step of the update interval, in milliseconds

static LRESULT sendToControl(HWND dialog, int control, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(GetDlgItem(dialog, control), message, wParam, lParam);
}

// A value from a hand-edited file may lie outside the range: it shows as the nearest end, never as
// its low 16 bits (70000 would show 4464).
static void setSpinner(HWND dialog, int spinner, LONG lowest, LONG highest, LONG position)
{
    if (position < lowest) position = lowest;
    if (position > highest) position = highest;
    sendToControl(dialog, spinner, UDM_SETRANGE, 0, MAKELPARAM(highest, lowest));
    sendToControl(dialog, spinner, UDM_SETPOS, 0, LOWORD(position));
}

// The low word is the last valid position even when the buddy holds no number.
static LONG spinnerPosition(HWND dialog, int spinner)
{
    return LOWORD(sendToControl(dialog, spinner, UDM_GETPOS, 0, 0));
}

static void checkBox(HWND dialog, int box, LONG setting)
{
    CheckDlgButton(dialog, box, setting ? BST_CHECKED : BST_UNCHECKED);
}

static LONG boxChecked(HWND dialog, int box)
{
    return IsDlgButtonChecked(dialog, box) == BST_CHECKED ? 1 : 0;
}

// The boxes hold text in any script: the dialog is a Unicode one.
static void showText(HWND dialog, int box, const SharedText& setting)
{
    sendToControl(dialog, box, EM_LIMITTEXT, sizeof setting.text / sizeof setting.text[0] - 1, 0);
    SetDlgItemTextW(dialog, box, setting.text);
}

static void storeBoxText(HWND dialog, int box, SharedText* setting)
{
    wchar_t text[sizeof setting->text / sizeof setting->text[0]] = L"";
    GetDlgItemTextW(dialog, box, text, sizeof text / sizeof text[0]);
    storeText(setting, text);
}

// The custom text is edited only while it is the chosen format.
static void enableCustomText(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDC_TEXT_FORMAT), boxChecked(dialog, IDC_FORMAT_CUSTOM));
}

static int chosenFormat()
{
    if (settings.textFormat.text[0]) return IDC_FORMAT_CUSTOM;
    return settings.simple ? IDC_FORMAT_SIMPLE : IDC_FORMAT_LINES;
}

static void addChoice(HWND dialog, int box, const wchar_t* text, LONG value, bool chosen)
{
    HWND list = GetDlgItem(dialog, box);
    LRESULT at = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (at < 0) return;
    SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(at), value);
    if (chosen) SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
}

// The chosen entry's value; keep where none is chosen (a monitor not there now stays the choice).
static LONG choiceOf(HWND dialog, int box, LONG keep)
{
    HWND list = GetDlgItem(dialog, box);
    LRESULT at = SendMessageW(list, CB_GETCURSEL, 0, 0);
    return at < 0 ? keep : static_cast<LONG>(SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

static void listPlaces(HWND dialog)
{
    for (LONG place = 0; place < popupPlaces; ++place) {
        wchar_t name[64] = L"";
        LoadStringW(pluginRecord.moduleInstance, IDS_PLACE_FIRST + place, name, 64);
        addChoice(dialog, IDC_POPUP_PLACE, name, place, place == settings.popupPlace);
    }
}

// Each monitor by its number, its size, and whether it is the primary one.
static void listMonitors(HWND dialog)
{
    HINSTANCE instance = pluginRecord.moduleInstance;
    wchar_t text[96] = L"", format[64] = L"", primary[32] = L"";
    LoadStringW(instance, IDS_MONITOR_PLAYERS, text, 96);
    addChoice(dialog, IDC_POPUP_MONITOR, text, 0, settings.popupMonitor == 0);
    LoadStringW(instance, IDS_MONITOR, format, 64);
    LoadStringW(instance, IDS_MONITOR_PRIMARY, primary, 32);
    for (LONG number = 1; HMONITOR monitor = numberedMonitor(number); ++number) {
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoW(monitor, &info)) continue;
        wsprintfW(text, format, number, info.rcMonitor.right - info.rcMonitor.left, info.rcMonitor.bottom - info.rcMonitor.top,
                  (info.dwFlags & MONITORINFOF_PRIMARY) ? primary : L"");
        addChoice(dialog, IDC_POPUP_MONITOR, text, number, number == settings.popupMonitor);
    }
}

static BOOL onInitDialog(HWND dialog)
{
    checkBox(dialog, IDC_ENABLED, settings.active);
    CheckDlgButton(dialog, chosenFormat(), BST_CHECKED);
    showText(dialog, IDC_TEXT_FORMAT, settings.textFormat);
    showText(dialog, IDC_TITLE_FORMAT, settings.titleFormat);
    enableCustomText(dialog);
    setSpinner(dialog, IDC_DURATION_SPIN, 0, 30, settings.duration / 1000);
    setSpinner(dialog, IDC_INTERVAL_SPIN, 100, 30000, settings.sleep);
    checkBox(dialog, IDC_SOUND, settings.sound);
    checkBox(dialog, IDC_BACKGROUND, settings.background);
    checkBox(dialog, IDC_COVER, settings.cover);
    checkBox(dialog, IDC_MEDIA_CONTROLS, settings.mediaControls);
    checkBox(dialog, IDC_BALLOONS, settings.balloons);
    checkBox(dialog, IDC_POPUP, settings.popup);
    listPlaces(dialog);
    listMonitors(dialog);
    return TRUE;
}

static BOOL onIntervalDelta(HWND dialog, NMUPDOWN* change)
{
    change->iDelta *= intervalStep;
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);   // let the change go ahead
    return TRUE;
}

static BOOL onNotify(HWND dialog, WPARAM control, NMHDR* header)
{
    if (control != IDC_INTERVAL_SPIN || header->code != UDN_DELTAPOS) return FALSE;
    return onIntervalDelta(dialog, reinterpret_cast<NMUPDOWN*>(header));
}

// "Custom" keeps "Simple" as it was; either other choice empties the custom text.
static void storeFormat(HWND dialog)
{
    if (boxChecked(dialog, IDC_FORMAT_CUSTOM)) {
        storeBoxText(dialog, IDC_TEXT_FORMAT, &settings.textFormat);
        return;
    }
    storeSetting(&settings.simple, boxChecked(dialog, IDC_FORMAT_SIMPLE));
    storeText(&settings.textFormat, L"");
}

static BOOL onOk(HWND dialog)
{
    storeSetting(&settings.active, boxChecked(dialog, IDC_ENABLED));
    storeFormat(dialog);
    storeBoxText(dialog, IDC_TITLE_FORMAT, &settings.titleFormat);
    storeSetting(&settings.duration, spinnerPosition(dialog, IDC_DURATION_SPIN) * 1000);
    storeSetting(&settings.sleep, spinnerPosition(dialog, IDC_INTERVAL_SPIN));
    storeSetting(&settings.sound, boxChecked(dialog, IDC_SOUND));
    storeSetting(&settings.background, boxChecked(dialog, IDC_BACKGROUND));
    storeSetting(&settings.cover, boxChecked(dialog, IDC_COVER));
    storeSetting(&settings.mediaControls, boxChecked(dialog, IDC_MEDIA_CONTROLS));
    storeSetting(&settings.balloons, boxChecked(dialog, IDC_BALLOONS));
    storeSetting(&settings.popup, boxChecked(dialog, IDC_POPUP));
    storeSetting(&settings.popupPlace, choiceOf(dialog, IDC_POPUP_PLACE, settings.popupPlace));
    storeSetting(&settings.popupMonitor, choiceOf(dialog, IDC_POPUP_MONITOR, settings.popupMonitor));
    EndDialog(dialog, IDOK);
    return TRUE;
}

static BOOL onCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        return onOk(dialog);
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_FORMAT_SIMPLE:
    case IDC_FORMAT_LINES:
    case IDC_FORMAT_CUSTOM:
        enableCustomText(dialog);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK optionsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog(window);
    case WM_NOTIFY:
        return onNotify(window, wParam, reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        return onCommand(window, wParam);
    }
    return FALSE;
}

bool editSettingsInDialog()
{
    // The player may never have registered the up-down class the dialog needs.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    return DialogBoxParamW(pluginRecord.moduleInstance, MAKEINTRESOURCEW(IDD_OPTIONS), pluginRecord.hostWindow,
                           optionsDialogProc, 0) == IDOK;
}
