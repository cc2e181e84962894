#include "ModuleFixture.h"

#include <sstream>

#include "headers/ShowForm.h"
#include "headers/ShowFormList.h"
#include "host/PluginWindows.h"
#include "plugin/HostApi.h"
#include "settings/HeaderListTokenizer.h"
#include "support/WindowWatcher.h"

void ModuleFixture::SetUp()
{
    Host = std::make_unique<StandInHost>();
    ASSERT_TRUE(HostApi.BindHostApi());
}

void ModuleFixture::TearDown()
{
    Host.reset();
}

void ModuleFixture::OpenMails(const std::vector<std::pair<std::string, std::string>>& mails)
{
    std::string dir = Folder.File("mails");
    CreateDirectoryA(dir.c_str(), nullptr);
    for (const auto& mail : mails)
        WriteWholeFile(dir + "\\" + mail.first, mail.second);
    ASSERT_TRUE(Host->OpenFolder(dir));
    ASSERT_TRUE(Host->OpenMail(0));
}

namespace {
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}
}

std::vector<std::string> SectionLines(const std::string& fileText, const std::string& section)
{
    std::vector<std::string> keys;
    bool inside = false;
    for (const std::string& line : Lines(fileText)) {
        if (!line.empty() && line[0] == '[') {
            inside = SameHeaderName(line.substr(1, line.find(']') - 1), section);
            continue;
        }
        if (inside && !line.empty())
            keys.push_back(line);
    }
    return keys;
}

std::vector<std::string> SectionNames(const std::string& fileText)
{
    std::vector<std::string> names;
    for (const std::string& line : Lines(fileText)) {
        if (!line.empty() && line[0] == '[')
            names.push_back(line.substr(1, line.find(']') - 1));
    }
    return names;
}

std::vector<TShowForm*> ChainOf(const TShowFormList& set)
{
    std::vector<TShowForm*> chain;
    for (TShowForm* form = set.FirstForm; form != nullptr; form = form->NextForm)
        chain.push_back(form);
    return chain;
}

std::vector<std::string> HeaderNamesOf(const TShowFormList& set)
{
    std::vector<std::string> names;
    for (TShowForm* form : ChainOf(set))
        names.push_back(form->HeaderName);
    return names;
}

std::vector<std::string> HeaderWindowCaptions()
{
    std::vector<std::string> captions;
    for (const HeaderWindowState& window : ListHeaderWindows())
        captions.push_back(window.caption);
    return captions;
}

std::string StaticTexts(HWND window)
{
    std::string texts;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            char name[64] = {};
            GetClassNameA(child, name, sizeof name);
            if (lstrcmpiA(name, "Static") == 0)
                *reinterpret_cast<std::string*>(data) += WindowText(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}
