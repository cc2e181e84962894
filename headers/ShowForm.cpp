#include "headers/ShowForm.h"

#include <cstdio>

#include "forms/FontSpec.h"
#include "plugin/HostApi.h"
#include "settings/IniFile.h"

namespace {
// "ＭＳ Ｐゴシック" in Shift-JIS.
constexpr char JapaneseUiFace[] = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

const TFormLayout ShowFormLayout = {
    "TShowForm", "X-Mailer", 8, 56, 288, 42, false,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, 0,
    {JapaneseUiFace, -12, SHIFTJIS_CHARSET},
};

constexpr int ShowTextId = 100;
const TControlLayout ShowTextLayout = {ShowTextId, "ShowText", 0, 0, 281, 15, 0};
}

TShowForm::TShowForm(const char* headerName, TIniFile* iniFile) : TForm(ShowFormLayout)
{
    ShowText = AddControl<TMemo>(ShowTextLayout);
    ShowText->Align = alLeft;
    ShowText->OnDblClick = [this] { DblClick(); };
    OnResize = [this] { FormResize(); };
    FormResize();

    SetHeaderName(headerName);
    IniFile = iniFile;
    SetTop(IniFile->ReadInteger(HeaderName, "Top", Top()));
    SetHeight(IniFile->ReadInteger(HeaderName, "Height", Height()));
    SetLeft(IniFile->ReadInteger(HeaderName, "Left", Left()));
    SetWidth(IniFile->ReadInteger(HeaderName, "Width", Width()));
}

TShowForm::~TShowForm()
{
    // A minimised window reports a position far off every screen; what is
    // kept is where it stands when restored.
    int top = Top(), height = Height(), left = Left(), width = Width();
    if (Minimized()) {
        RECT normal = NormalBounds();
        top = normal.top;
        height = normal.bottom - normal.top;
        left = normal.left;
        width = normal.right - normal.left;
    }
    IniFile->WriteInteger(HeaderName, "Top", top);
    IniFile->WriteInteger(HeaderName, "Height", height);
    IniFile->WriteInteger(HeaderName, "Left", left);
    IniFile->WriteInteger(HeaderName, "Width", width);
    IniFile->WriteBool(HeaderName, "Show", true);
}

void TShowForm::SetHeaderName(const char* name)
{
    HeaderName = name;
    SetCaption(HeaderName.c_str());
}

void TShowForm::ClearText()
{
    ShowText->SetText("");
}

void TShowForm::MakePopup()
{
    // A top-level window answers with its previous parent, the desktop; a
    // null answer is a failure only when the platform also set an error.
    SetLastError(0);
    if (SetParent(Handle(), nullptr) == nullptr) {
        DWORD error = GetLastError();
        if (error != 0) {
            char text[128];
            std::snprintf(text, sizeof text, "errno=%d", static_cast<int>(error));
            MessageBoxA(Handle(), text, "SetParent", MB_OK);
        }
    }
    LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    SetWindowLongA(Handle(), GWL_STYLE, static_cast<LONG>(static_cast<DWORD>(style) | WS_POPUP));
}

void TShowForm::FormResize()
{
    if (ShowText == nullptr)
        return;
    ShowText->SetHeight(ClientHeight());
    ShowText->SetWidth(ClientWidth());
}

void TShowForm::DblClick()
{
    HWND main = nullptr, tree = nullptr, list = nullptr, view = nullptr;
    if (HostApi.GetWindowHandles(&main, &tree, &list, &view) == 0)
        main = nullptr;
    ShowText->SelectAll();
    PostMessageA(main, WM_COMMAND, ShowFormCommandId, 0);
}
