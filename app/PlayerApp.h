#pragma once
#include <QStringList>
#include <memory>

#include "playlist/PlayOrder.h"

class MainWindow;

// The application object: starts the player and tears it down.
class PlayerApp {
 public:
  PlayerApp();
  ~PlayerApp();

  // Start-up; true to run the message loop, false to end the program at once.
  // The command line names one file to play instead of the saved playlist, or,
  // after "--enqueue", files to open after the saved playlist.
  bool InitInstance(const QStringList& commandLine);
  // Exit work after the message loop has ended.
  void ExitInstance();

  MainWindow* GetMainWindow() const { return mainWindow_.get(); }

 private:
  std::unique_ptr<PlayOrder> playOrder_;
  std::unique_ptr<MainWindow> mainWindow_;
};
