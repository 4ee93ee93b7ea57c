#pragma once
#include "platform/PluginOptions.h"

class SettingsFile;

// The player's options file as the store of the plug-ins' sections: a plug-in's
// keys live in the player's copy of "tarnello.txt" and reach the disk with the
// player's own options when it closes, so one writer keeps both. The player's own
// sections are not the plug-ins' to write.
class PluginOptionFile : public PluginOptionStore {
 public:
  explicit PluginOptionFile(SettingsFile& file) : file_(file) {}
  bool Read(const QString& section, const QString& key, QString& value) const override;
  bool Write(const QString& section, const QString& key, const QString& value) override;

 private:
  SettingsFile& file_;
};
