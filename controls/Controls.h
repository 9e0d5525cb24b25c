#pragma once

namespace controls {

// Program identifiers of the components built into this library.
inline constexpr const char* kRibbonProgId = "Codejock.CommandBars.15.0.1";
inline constexpr const char* kShortcutCaptionProgId = "Codejock.ShortcutCaption.15.0.1";
inline constexpr const char* kSkinProgId = "Codejock.SkinFramework.12.0.2";
inline constexpr const char* kTrayIconProgId = "Velmora.TrayIcon.1";

// Registers the components built into this library under their program identifiers.
void registerBuiltInControls();

} // namespace controls
