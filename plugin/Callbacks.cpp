// The fifteen callbacks the host calls by name. Nothing may unwind into the
// host: every callback that does work catches everything.
#include <windows.h>

#include <cstring>

#include "headers/ShowFormList.h"
#include "plugin/Identity.h"
#include "plugin/PluginEntry.h"
#include "settings/SetupDialog.h"

namespace {
template <typename Work>
int Guarded(Work work, int failureResult)
{
    try {
        return work();
    } catch (...) {
        return failureResult;
    }
}

void CopyText(unsigned char* record, int offset, const char* text, size_t bytes)
{
    std::memcpy(record + offset, text, bytes);
}
}

extern "C" {

int WINAPI BKC_OnStart() { return 0; }
int WINAPI BKC_OnExit() { return 0; }
int WINAPI BKC_OnMenuInit(HWND, HMENU, int) { return 0; }
int WINAPI BKC_OnEveryMinute() { return 0; }
int WINAPI BKC_OnOpenCompose(HWND, int) { return 0; }
int WINAPI BKC_OnOutgoing(HWND, int) { return 0; }
int WINAPI BKC_OnKeyDispatch(HWND, int, int) { return 0; }
int WINAPI BKC_OnRetrieve(LPCSTR, LPCSTR) { return 0; }
int WINAPI BKC_OnSend(LPCSTR) { return 0; }
int WINAPI BKC_OnFinishRetrieve(int) { return 0; }
int WINAPI BKC_OnDragDrop(HWND, HWND, int, int) { return 0; }

int WINAPI BKC_OnOpenFolder(LPCSTR)
{
    return Guarded([] {
        if (FormList != nullptr)
            FormList->UpdateForMail(nullptr);
        return 0;
    }, 0);
}

int WINAPI BKC_OnOpenMail(LPCSTR mail)
{
    return Guarded([mail] {
        if (FormList != nullptr)
            FormList->UpdateForMail(mail);
        return 0;
    }, 0);
}

int WINAPI BKC_OnPlugInSetup(HWND)
{
    return Guarded([] { return PlugInSetup(FormList); }, FormList != nullptr ? 1 : 0);
}

int WINAPI BKC_OnPlugInInfo(void* info)
{
    if (info == nullptr)
        return 0;
    auto* record = static_cast<unsigned char*>(info);
    CopyText(record, PlugInNameOffset, PlugInNameText, sizeof PlugInNameText);
    CopyText(record, VendorOffset, VendorText, sizeof VendorText);
    CopyText(record, VersionTextOffset, VersionText, sizeof VersionText);
    CopyText(record, DescriptionOffset, DescriptionText, sizeof DescriptionText);
    return 0;
}

}
