#pragma once
#include <QString>
#include <memory>

#include "playback/PluginManager.h"
#include "settings/SettingsFile.h"
#include "skin/MovableWindow.h"
#include "skin/SkinPackages.h"
#include "skin/SkinSet.h"

class PlaylistSession;

// The main player window. Creating it builds every long-lived object of the
// player in a fixed order; closing it lets each save its state, writes the
// settings file once and ends the program.
class MainWindow : public MovableWindow {
 public:
  MainWindow();
  ~MainWindow() override;

  // Creates the window and everything it owns. False when the window cannot be created.
  bool Create(const QString& title);

  SettingsFile& Settings() { return *settings_; }
  PluginManager* Plugins() { return pluginManager_.get(); }
  // The program's arguments joined by single blanks; set before Create.
  void SetCommandLine(const QString& text) { commandLine_ = text; }
  SkinSet& Skin() { return *skin_; }

  // Refills the package list of the Skins menus from the "Skins" folder and returns
  // the entries to show (label, path, command), in listing order.
  std::vector<SkinPackage> RefreshSkinPackages();
  // A skin entry of the Skins menus: loads that package; "qsk load Fail!" when refused.
  void ChooseSkin(int command);

 protected:
  void OnClose() override;
  void OnDestroy() override;
  void OnFocusGained() override;
  // A press outside the controls drags the window (see MovableWindow).
  void OnStylusDown(Point client) override;
  void OnStylusUp(Point client) override;

 private:
  void ReadPlacement();
  void ReadOptions();
  void WriteOptions();

  // Creation order of the owned objects; the destructor releases them in this order:
  // plug-in manager, button window, settings, skin, equalizer, playlist.
  std::unique_ptr<PluginManager> pluginManager_;
  std::unique_ptr<SettingsFile> settings_;
  // Holds the playlist where the playlist editor window will (it loads and saves it).
  std::unique_ptr<PlaylistSession> playlistSession_;
  QString commandLine_;
  std::unique_ptr<SkinSet> skin_;
  QStringList skinPackages_;  // paths behind the Skins-menu entries, by command order

  bool closing_ = false;
  int scale_ = 100;
  int unmap_ = 1;
  float speed_ = 1.0f;
  int loopA_ = -1;
  int loopB_ = -1;
  bool playing_ = false;
  bool stoppedByUser_ = false;
  int osdShown_ = 0;

  int useStartVolume_ = 0;
  int useEndVolume_ = 0;
  int startVolume_ = 50;
  int endVolume_ = 0;
  int volumeUpStep_ = 10;
  int volumeDownStep_ = 10;

  // Held here until their owning controls exist (toggles, sliders, button window),
  // so every option read is written back unchanged.
  bool repeatOn_ = false;
  bool shuffleOn_ = false;
  int beep_ = 1;
  int volume_ = 128;
  int pan_ = 0;
};
