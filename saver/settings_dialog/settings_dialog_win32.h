#pragma once
// The settings dialog Lumadrift_P, titled "<Glowmere>": the user picks the music source,
// the CD track to repeat and the music file, and "設定" writes them to Glowmere.ini. It
// edits the program-wide settings values (settings_values.h) in place.
namespace glowmere {

class SettingsPlatform;

// Creates the dialog with no owner, runs its load steps, shows it and serves it until it
// has closed (saved, cancelled or closed from its frame). The three INI writes of a save
// go through `platform`.
void ShowSettingsDialog(SettingsPlatform& platform);

}  // namespace glowmere
