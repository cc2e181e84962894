// The names of the 54 functions a host exports to its plug-ins, in their
// fixed order. host/CMakeLists.txt lists the same names with their argument
// counts for the export definitions; the host's tests check that the built
// programs export exactly these.
#pragma once

#include <cstddef>

constexpr size_t HostExportCount = 54;

constexpr const char* HostExportNames[HostExportCount] = {
    "BKA_GetVersion", "BKA_Command", "BKA_GetWindowHandles", "BKA_RegisterCommand",
    "BKA_RegisterUICallback", "BKA_GetDataFolder", "BKA_GetTempFolder", "BKA_GetTempFileName",
    "BKA_GetCurrentMailBox", "BKA_SetCurrentMailBox", "BKA_GetCurrentFolder", "BKA_SetCurrentFolder",
    "BKA_GetFolderDisplayName", "BKA_SetMessageText", "BKA_GetCurrentMail", "BKA_SetCurrentMail",
    "BKA_GetNextMail", "BKA_SetSel", "BKA_AppendMessage", "BKA_MoveSelectedMessages",
    "BKA_GetStatus", "BKA_ComposeMail", "BKA_GetCharSet", "BKA_GetSource",
    "BKA_SetSource", "BKA_GetHeader", "BKA_GetText", "BKA_SetText",
    "BKA_GetSpecifiedHeader", "BKA_SetSpecifiedHeader", "BKA_CompGetCharSet", "BKA_CompGetSource",
    "BKA_CompSetSource", "BKA_CompGetHeader", "BKA_CompGetSpecifiedHeader", "BKA_CompSetSpecifiedHeader",
    "BKA_CompGetText", "BKA_CompSetText", "BKA_CompAttachFile", "BKA_Alloc",
    "BKA_ReAlloc", "BKA_Free", "BKA_ISO_2022_JP", "BKA_ISO_2022_KR",
    "BKA_HZ_GB2312", "BKA_ISO_8859_2", "BKA_EUC_JP", "BKA_UTF_7",
    "BKA_UTF_8", "BKA_B64Convert", "BKA_QPConvert", "BKA_MIMEHeader",
    "BKA_SerializeRcpts", "BKA_Connect",
};
