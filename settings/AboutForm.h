// The setup dialog: the plug-in's name and version, the shown headers as one
// comma-separated line, and the two options.
#pragma once

#include "forms/Button.h"
#include "forms/CheckBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/Label.h"

class TAboutForm : public TForm {
public:
    TAboutForm();

    TButton* OK = nullptr;
    TButton* Cancel = nullptr;
    TLabel* ProgramName = nullptr;
    TLabel* Version = nullptr;
    TLabel* HeaderCaption = nullptr;
    TEdit* HeaderList = nullptr;
    TCheckBox* isAlwaysOnTop = nullptr;
    TCheckBox* HideIfNoHeader = nullptr;
};

// Control ids, by which the dialog's controls can be found.
enum AboutFormControlId {
    ProgramNameId = 101,
    VersionId = 102,
    HeaderCaptionId = 103,
    OKId = 104,
    CancelId = 105,
    HeaderListId = 106,
    isAlwaysOnTopId = 107,
    HideIfNoHeaderId = 108,
};
