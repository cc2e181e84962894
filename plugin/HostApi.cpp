#include "plugin/HostApi.h"

const char* const HostApiNames[HostApiSlotCount] = {
    "BKA_GetVersion", "BKA_Command", "BKA_GetWindowHandles", "BKA_RegisterCommand",
    "BKA_RegisterUICallback", "BKA_GetDataFolder", "BKA_GetTempFolder", "BKA_GetTempFileName",
    "BKA_GetCurrentMailBox", "BKA_SetCurrentMailBox", "BKA_GetCurrentFolder",
    "BKA_SetCurrentFolder", "BKA_GetFolderDisplayName", "BKA_SetMessageText",
    "BKA_GetCurrentMail", "BKA_SetCurrentMail", "BKA_GetNextMail", "BKA_SetSel",
    "BKA_AppendMessage", "BKA_MoveSelectedMessages", "BKA_GetStatus", "BKA_ComposeMail",
    "BKA_GetCharSet", "BKA_GetSource", "BKA_SetSource", "BKA_GetHeader", "BKA_GetText",
    "BKA_SetText", "BKA_GetSpecifiedHeader", "BKA_SetSpecifiedHeader", "BKA_CompGetCharSet",
    "BKA_CompGetSource", "BKA_CompSetSource", "BKA_CompGetHeader",
    "BKA_CompGetSpecifiedHeader", "BKA_CompSetSpecifiedHeader", "BKA_CompGetText",
    "BKA_CompSetText", "BKA_CompAttachFile", "BKA_Alloc", "BKA_ReAlloc", "BKA_Free",
    "BKA_ISO_2022_JP", "BKA_ISO_2022_KR", "BKA_HZ_GB2312", "BKA_ISO_8859_2", "BKA_EUC_JP",
    "BKA_UTF_7", "BKA_UTF_8", "BKA_B64Convert", "BKA_QPConvert", "BKA_MIMEHeader",
    "BKA_SerializeRcpts", "BKA_Connect",
};

CHostAPI HostApi;

int CHostAPI::BindHostApi()
{
    if (HostModule != nullptr)
        return 1;
    HostModule = GetModuleHandleA(nullptr);
    if (HostModule == nullptr)
        return 0;
    for (int slot = 0; slot < HostApiSlotCount; ++slot) {
        Slots[slot] = GetProcAddress(HostModule, HostApiNames[slot]);
        if (Slots[slot] == nullptr) {
            HostModule = nullptr;
            return 0;
        }
    }
    return 1;
}

// The slots hold untyped addresses; each called function gets its own type here.
template <typename Proc>
static Proc SlotAs(FARPROC address)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(address));
}

int CHostAPI::GetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view) const
{
    return SlotAs<GetWindowHandlesProc>(Slots[SlotGetWindowHandles])(main, tree, list, view);
}

LPCSTR CHostAPI::GetCurrentMail() const
{
    return SlotAs<GetCurrentMailProc>(Slots[SlotGetCurrentMail])();
}

int CHostAPI::GetSpecifiedHeader(LPCSTR name, LPSTR buffer, int size) const
{
    return SlotAs<GetSpecifiedHeaderProc>(Slots[SlotGetSpecifiedHeader])(name, buffer, size);
}
