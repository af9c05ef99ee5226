#include "app/MainWindowTable.h"

#include <cctype>

namespace kestrove {

char AccessKey(std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}

std::string WithoutAccessKey(std::string_view caption) {
    std::string plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        plain += caption[i];
    }
    return plain;
}

std::string AccessKeyClashes(const std::vector<std::string_view>& captions) {
    std::string seen, clashes;
    for (std::string_view caption : captions) {
        const char key = AccessKey(caption);
        if (key == 0)
            continue;
        if (seen.find(key) == std::string::npos)
            seen += key;
        else if (clashes.find(key) == std::string::npos)
            clashes += key;
    }
    return clashes;
}

const std::array<LabelSpec, 3> kLabels = {{
    {"Label3", "&Mode"},
    {"Label1", "Dri&ve"},
    {"Label2", "&Directory"},
}};

const std::array<std::string_view, 3> kModeItems = {"Normal Mode", "Backup Mode", "Network Mode"};
const std::array<std::string_view, 3> kMeterCaptions = {"Files", "Messages", "Characters"};
const std::array<std::string_view, 3> kStatusDesignTexts = {"File", "", ""};

// The arrows' captions say nothing to a screen reader; their names do.
const std::array<ButtonSpec, 12> kButtons = {{
    {"BtnMoveFile", &ModeControls::BtnMoveFile, ">",
     "Add the highlighted entries to the selected list.", "Add Selected"},
    {"BtnMoveAllFiles", &ModeControls::BtnMoveAllFiles, ">>",
     "Add every entry to the selected list.", "Add All"},
    {"BtnUnMoveFile", &ModeControls::BtnUnMoveFile, "<",
     "Remove the highlighted entry from the selected list.", "Remove Selected"},
    {"BtnUnMoveAllFiles", &ModeControls::BtnUnMoveAllFiles, "<<", "Empty the selected list.",
     "Remove All"},
    {"RunButton", &ModeControls::RunButton, "Run",
     "Run will remove all of the duplicate messages in the selected files.", ""},
    {"BtnGetStats", &ModeControls::BtnGetStats, "Get Stats", "Get statistics for selected files",
     ""},
    {"RestoreButton", &ModeControls::RestoreButton, "Restore", "Restore backup files.", ""},
    {"MoveButton", &ModeControls::MoveButton, "Move", "Move backup files.", ""},
    {"DeleteButton", &ModeControls::DeleteButton, "Delete", "Delete backup files.", ""},
    {"RunNetButton", &ModeControls::RunNetButton, "Network Run",
     "Run will remove duplicate messages in the selected users.", ""},
    {"FileNames", &ModeControls::FileNames, "Display\nFolder Names",
     "Display the folder names as well as the file names.", ""},
    {"AbortButton", &ModeControls::AbortButton, "Abort", "Abort the current run.", ""},
}};

std::string ButtonSpec::Name() const {
    if (!accessibleName.empty())
        return std::string(accessibleName);
    std::string name(caption);
    for (char& c : name)
        if (c == '\n')
            c = ' ';
    return name;
}

const ButtonSpec* FindButton(std::string_view name) {
    for (const ButtonSpec& b : kButtons)
        if (b.name == name)
            return &b;
    return nullptr;
}

namespace {

constexpr MenuItemSpec kSeparator{};

const MenuItemSpec kFileItems[] = {
    {"ClearNew", "New", "&New", &ModeControls::ClearNew},
    kSeparator,
    {"NormalMode", "Normal", "N&ormal Mode", &ModeControls::NormalMode, true},
    {"BackupMode", "Backup", "&Backup Mode", &ModeControls::BackupMode, true},
    {"NetworkMode", "Network", "Ne&twork Mode", &ModeControls::NetworkMode, true},
    kSeparator,
    {"SaveIndexFile1", "SaveIndex", "Save&Index", &ModeControls::SaveIndexFile1},
    {"SaveLogFile1", "SaveLogFile", "Save &Log File", &ModeControls::SaveLogFile1},
    kSeparator,
    {"Exit1", "FileExit1", "E&xit", &ModeControls::Exit1},
};

const MenuItemSpec kOptionsItems[] = {
    {"Sort1", "SortON", "Sort &ON ", &ModeControls::Sort1, true},
    {"SortOFF1", "SortOFF", "Sort O&FF", &ModeControls::SortOFF1, true},
    kSeparator,
    {"SaveIndexasCSV", "SaveAsCSV", "Save Index As &CSV", &ModeControls::SaveIndexasCSV, true,
     true},
    {"SaveIndexasTAB", "SaveAsTAB", "Save Index as &TAB", &ModeControls::SaveIndexasTAB, true},
    kSeparator,
    {"N5", "SetDrives", "Set &Drives", &ModeControls::N5},
    {"SetOptions1", "SetOptions", "Set O&ptions", &ModeControls::SetOptions1},
};

const MenuItemSpec kRunItems[] = {
    {"RunDeleteDupes1", "DeleteDupes", "&Run Delete Dupes", &ModeControls::RunDeleteDupes1},
    {"GetStats1", "GetStats", "&GetStats", &ModeControls::GetStats1},
    {"RestoreBackupFiles1", "RestoreBkUp", "R&estore Backup Files",
     &ModeControls::RestoreBackupFiles1},
    {"MoveBackupFiles2", "MoveBkUp", "&Move Backup Files", &ModeControls::MoveBackupFiles2},
    {"DeleteBackupFiles1", "DelBkUp", "&Delete Backup Files", &ModeControls::DeleteBackupFiles1},
    {"DeleteNetworkDupes2", "NetworkUnDup", "Delete &Network Dupes",
     &ModeControls::DeleteNetworkDupes2},
};

const MenuItemSpec kHelpItems[] = {
    {"Contents1", "HelpContents1", "&Contents", &ModeControls::Contents1},
    {"Index1", "HelpIndex", "&Index", &ModeControls::Index1},
    {"About1", "", "&About", &ModeControls::About1},
};

}  // namespace

const std::array<MenuSpec, 4> kMenus = {{
    {"File1", "&File", kFileItems},
    {"Options1", "&Options", kOptionsItems},
    {"Run1", "&Run", kRunItems},
    {"Help1", "&Help", kHelpItems},
}};

std::vector<const MenuItemSpec*> MenuItems() {
    std::vector<const MenuItemSpec*> items;
    for (const MenuSpec& menu : kMenus)
        for (const MenuItemSpec& item : menu.items)
            if (!item.Separator())
                items.push_back(&item);
    return items;
}

std::vector<std::string_view> WindowCaptions(const ModeControls& controls) {
    std::vector<std::string_view> captions;
    for (const MenuSpec& menu : kMenus)
        captions.push_back(menu.caption);
    for (const LabelSpec& label : kLabels)
        captions.push_back(label.caption);
    captions.push_back(controls.LblFileList);
    captions.push_back(controls.LblSelList);
    for (std::string_view item : kModeItems)
        captions.push_back(item);
    for (const ButtonSpec& button : kButtons)
        if ((controls.*button.field).state.visible || button.field == &ModeControls::AbortButton)
            captions.push_back(button.caption);
    return captions;
}

std::string_view CommandButton(const ModeControls& controls) {
    if (controls.RunButton.state.visible)
        return "RunButton";
    if (controls.RestoreButton.state.visible)
        return "RestoreButton";
    return "RunNetButton";
}

std::vector<std::string_view> MenuCaptions(const MenuSpec& menu) {
    std::vector<std::string_view> captions;
    for (const MenuItemSpec& item : menu.items)
        if (!item.Separator())
            captions.push_back(item.caption);
    return captions;
}

}  // namespace kestrove
