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
  bool InitInstance(const QStringList& arguments);
  // Exit work after the message loop has ended.
  void ExitInstance();

  MainWindow* GetMainWindow() const { return mainWindow_.get(); }

 private:
  std::unique_ptr<PlayOrder> playOrder_;
  std::unique_ptr<MainWindow> mainWindow_;
};
