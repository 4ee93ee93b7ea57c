#pragma once

class Window;
class PluginManager;

// The six volume options the "Volume Setting" dialog edits.
struct VolumeSettings {
  int volumeUpStep, volumeDownStep, useStartVolume, useEndVolume, startVolume, endVolume;
};

// "Volume Setting": true on OK with all six values taken over (typed values are not
// range-checked, so a typed 300 comes back as 300); Cancel leaves values alone.
bool RunVolumeDialog(Window* owner, VolumeSettings& values);
// "Speed": opened at position (speed x 10, trackbar 6..14); true on OK with the new position.
bool RunSpeedDialog(Window* owner, int& position);
// "Tarnello Preferences": the tree of seventeen items and its pages; the Input page lists
// the loadable plug-ins of the plug-in folder (plugins.Folder()). wholeList is the
// state of its "Whole list" box, shown and read back.
void RunPreferences(Window* owner, const PluginManager& plugins, bool& wholeList);
// The about box.
void ShowAboutBox(Window* owner);
