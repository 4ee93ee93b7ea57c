#pragma once
#include <QString>

// The store behind PlatformReadOption and PlatformWriteOption: the player's options
// file, which the player installs once it has read it. Plug-ins reach it only
// through those C functions; without a store every key reads as absent and every
// write is refused.
class PluginOptionStore {
 public:
  virtual ~PluginOptionStore() = default;
  // True and the value when the key is in the section.
  virtual bool Read(const QString& section, const QString& key, QString& value) const = 0;
  // False when the store refuses the section (the player's own ones).
  virtual bool Write(const QString& section, const QString& key, const QString& value) = 0;
};

// Installs the store (null removes it). UI thread only, like the C functions.
void SetPluginOptionStore(PluginOptionStore* store);
