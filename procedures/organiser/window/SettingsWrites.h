#pragma once
#include <QString>

namespace vrt { class IniFile; }

namespace organiser {

// Says that a write of the window's own settings (last page, pane positions, the translated
// button texts, list layouts) failed, with the file and the reason. Once per file in a session:
// every change of page writes, and a box at each would only bury the user; later ones go to
// the log. Returns false, so a caller can pass its result on.
bool reportSettingsNotSaved(const vrt::IniFile& ini);

// IniFile::put, reported when it fails.
bool putSetting(vrt::IniFile& ini, const QString& section, const QString& key, const QString& value);

} // namespace organiser
