// The host functions a plug-in finds among the exports of the host's
// executable, by plain name (the .def file that quorvel_host_executable
// writes maps the decorated i686 names on them). Three of them do real work
// for the one StandInHost of the process; the others answer 0 and touch
// nothing, as the plug-in only needs them to exist.
//
// The argument counts here and in host/CMakeLists.txt go together: on i686 a
// mismatch fails the link. All 54 stay in this one file: the host programs
// pull it out of the library by a reference to one of them.
#include <windows.h>

#include "host/StandInHost.h"

extern "C" {

int WINAPI BKA_GetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view)
{
    try {
        StandInHost* host = StandInHost::Current();
        return host != nullptr ? host->GetWindowHandles(main, tree, list, view) : 0;
    } catch (...) {
        return 0;
    }
}

LPCSTR WINAPI BKA_GetCurrentMail()
{
    StandInHost* host = StandInHost::Current();
    return host != nullptr ? host->CurrentMailId() : nullptr;
}

int WINAPI BKA_GetSpecifiedHeader(LPCSTR name, LPSTR buffer, int size)
{
    try {
        StandInHost* host = StandInHost::Current();
        if (host != nullptr) return host->GetSpecifiedHeader(name, buffer, size);
    } catch (...) {
        // Out of memory while reading the mail: answer the empty text.
    }
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
}

// Functions the plug-in never calls.
INT_PTR WINAPI BKA_GetVersion() { return 0; }
INT_PTR WINAPI BKA_Command(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_RegisterCommand(INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_RegisterUICallback(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_GetDataFolder() { return 0; }
INT_PTR WINAPI BKA_GetTempFolder() { return 0; }
INT_PTR WINAPI BKA_GetTempFileName(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_GetCurrentMailBox() { return 0; }
INT_PTR WINAPI BKA_SetCurrentMailBox(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_GetCurrentFolder() { return 0; }
INT_PTR WINAPI BKA_SetCurrentFolder(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_GetFolderDisplayName(INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_SetMessageText(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_SetCurrentMail(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_GetNextMail(INT_PTR, INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_SetSel(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_AppendMessage(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_MoveSelectedMessages(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_GetStatus(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_ComposeMail(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_GetCharSet(INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_GetSource(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_SetSource(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_GetHeader(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_GetText(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_SetText(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_SetSpecifiedHeader(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_CompGetCharSet(INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_CompGetSource(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_CompSetSource(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_CompGetHeader(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_CompGetSpecifiedHeader(INT_PTR, INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_CompSetSpecifiedHeader(INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_CompGetText(INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_CompSetText(INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_CompAttachFile(INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_Alloc(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_ReAlloc(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_Free(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_ISO_2022_JP(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_ISO_2022_KR(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_HZ_GB2312(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_ISO_8859_2(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_EUC_JP(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_UTF_7(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_UTF_8(INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_B64Convert(INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_QPConvert(INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_MIMEHeader(INT_PTR, INT_PTR, INT_PTR, INT_PTR) { return 0; }
INT_PTR WINAPI BKA_SerializeRcpts(INT_PTR) { return 0; }
INT_PTR WINAPI BKA_Connect(INT_PTR) { return 0; }

}  // extern "C"
