// The module's objects in a test program that is itself the stand-in host:
// the host's main window exists and the host table is bound to this
// program's own exports, exactly as inside a real host.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/StandInHost.h"
#include "support/TempFolder.h"

class TShowForm;
class TShowFormList;

class ModuleFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the settings file.
    void Store(const std::string& text) { WriteWholeFile(SettingsPath, text); }
    std::string Stored() const { return ReadWholeFile(SettingsPath); }
    // A mail folder of the given mails (file name, whole text) made current
    // in the host, with the first mail open.
    void OpenMails(const std::vector<std::pair<std::string, std::string>>& mails);

    std::unique_ptr<StandInHost> Host;
    TempFolder Folder;
    std::string SettingsPath = Folder.File("QUORVEL.ini");
};

// "key=value" lines of one section of a settings file's text, in file order
// (section names matched without regard to letter case).
std::vector<std::string> SectionLines(const std::string& fileText, const std::string& section);
// Section names of a settings file's text, in file order.
std::vector<std::string> SectionNames(const std::string& fileText);
// The windows of a set, in chain order.
std::vector<TShowForm*> ChainOf(const TShowFormList& set);
// The header names of a set's windows, in chain order.
std::vector<std::string> HeaderNamesOf(const TShowFormList& set);
// The captions (header names) of the plug-in's header windows in this
// process, sorted.
std::vector<std::string> HeaderWindowCaptions();
// The texts of every static control of a window (a message box's message).
std::string StaticTexts(HWND window);
