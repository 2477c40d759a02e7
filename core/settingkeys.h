#pragma once

#include <QString>

// One stored choice: its key in the settings store and the text a missing key reads as.
struct SettingKey {
    QString name;
    QString missing;
};

// Every key the program keeps, each written the moment its choice changes.
namespace Setting {

// The delimiter options "Comma" to "Other" and the save options "Save results to this
// folder:" and "Save results in folder of original file", as "True" or "False".
inline const SettingKey Option1{QStringLiteral("Option1"), QStringLiteral("1")};
inline const SettingKey Option2{QStringLiteral("Option2"), QStringLiteral("0")};
inline const SettingKey Option3{QStringLiteral("Option3"), QStringLiteral("0")};
inline const SettingKey Option4{QStringLiteral("Option4"), QStringLiteral("0")};
inline const SettingKey Option5{QStringLiteral("Option5"), QStringLiteral("0")};
inline const SettingKey Option6{QStringLiteral("Option6"), QStringLiteral("1")};
inline const SettingKey Option7{QStringLiteral("Option7"), QStringLiteral("0")};
// The text of the "Other" delimiter box.
inline const SettingKey Other{QStringLiteral("Other"), QStringLiteral("|")};
// The output folder. A missing key reads as the preset folder of the first start (the
// desktop), which only the window can work out: its entry here is empty.
inline const SettingKey Text1{QStringLiteral("Text1"), QString()};
// The folder last chosen with the output folder's "..." button.
inline const SettingKey LastFolderDot{QStringLiteral("LastFolderDot"), QString()};
// The extension and the folder last given to "Add All XML File(s) In Folder".
inline const SettingKey Extension{QStringLiteral("Extension"), QStringLiteral("xml")};
inline const SettingKey LastFolder{QStringLiteral("LastFolder"), QString()};
// The sample files found at the first start, joined by "|".
inline const SettingKey Snapshot{QStringLiteral("Snapshot"), QString()};

} // namespace Setting
