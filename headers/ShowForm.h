// One header window: a small top-level form whose borderless read-only memo
// shows the value of one header of the mail open in the host.
#pragma once

#include <string>

#include "forms/Form.h"
#include "forms/Memo.h"

class TIniFile;

class TShowForm : public TForm {
public:
    // Built hidden, at the geometry stored in the header's section (the
    // layout's values where none is stored). Writes nothing.
    TShowForm(const char* headerName, TIniFile* iniFile);
    // Writes Top, Height, Left, Width and Show=1 into the header's section.
    ~TShowForm() override;

    void SetHeaderName(const char* name);
    void ClearText();
    // Makes the window a top-level popup window of the desktop.
    void MakePopup();
    void FormResize();
    void DblClick();

    TMemo* ShowText = nullptr;
    std::string HeaderName;
    TIniFile* IniFile = nullptr;
    TShowForm* NextForm = nullptr;
};

// The command the host's main window receives on a double click.
constexpr WPARAM ShowFormCommandId = 32972;
