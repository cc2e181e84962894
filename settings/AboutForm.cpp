#include "settings/AboutForm.h"

namespace {
// "ＭＳ Ｐゴシック" in Shift-JIS.
constexpr char JapaneseUiFace[] = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

// A fixed dialog frame with a caption and no border icons; the size given is
// the client area's.
const TFormLayout AboutFormLayout = {
    "TAboutForm", "About", 350, 114, 385, 222, true,
    WS_POPUP | WS_CAPTION | WS_DLGFRAME, WS_EX_DLGMODALFRAME,
    {JapaneseUiFace, -12, SHIFTJIS_CHARSET},
};

constexpr int NoTabStop = -1;
}

TAboutForm::TAboutForm() : TForm(AboutFormLayout)
{
    // Created in this order; the tab order is the one given per control.
    ProgramName = AddControl<TLabel>(TControlLayout{ProgramNameId, "Quorvel", 8, 8, 83, 12, NoTabStop});
    Version = AddControl<TLabel>(TControlLayout{VersionId, "Version", 8, 32, 217, 12, NoTabStop});
    HeaderCaption = AddControl<TLabel>(TControlLayout{
        HeaderCaptionId, "Header List you want to See(Sepalate with Comma)", 8, 72, 265, 12, NoTabStop});
    OK = AddControl<TButton>(TControlLayout{OKId, "OK", 8, 184, 97, 25, 0});
    OK->ModalResult = 1;
    Cancel = AddControl<TButton>(TControlLayout{CancelId, "Cancel", 120, 184, 89, 25, 1});
    Cancel->ModalResult = 2;
    HeaderList = AddControl<TEdit>(TControlLayout{HeaderListId, "HeaderList", 8, 88, 369, 20, 2});
    isAlwaysOnTop = AddControl<TCheckBox>(TControlLayout{isAlwaysOnTopId, "Always on Top", 8, 120, 265, 17, 3});
    HideIfNoHeader = AddControl<TCheckBox>(
        TControlLayout{HideIfNoHeaderId, "Hide when No Header to Show Exists", 8, 144, 257, 17, 4});
}
