#include "app/PlayerApp.h"

#include "app/MainWindow.h"
#include "platform/MessageBox.h"
#include "platform/System.h"

PlayerApp::PlayerApp() = default;
PlayerApp::~PlayerApp() {
  Platform::OnTerminationSignal({});
  // Reached without ExitInstance when start-up failed.
  if (ThePlayOrder() == playOrder_.get()) PublishPlayOrder(nullptr);
}

bool PlayerApp::InitInstance(const QStringList& arguments) {
  // 1. The sockets layer.
  if (!Platform::StartSockets()) {
    ShowMessageBox(nullptr, "Windows sockets initialization failed.");
    return false;
  }
  // 2. The play order, created with no items and published process-wide.
  playOrder_ = std::make_unique<PlayOrder>(0);
  PublishPlayOrder(playOrder_.get());

  // 3.-5. The main window builds everything else while it is created.
  mainWindow_ = std::make_unique<MainWindow>();
  mainWindow_->SetCommandLine(arguments.join(' '));
  const QString title = QStringLiteral("Tarnello");
  if (!mainWindow_->Create(title)) return false;

  // 6. The main window is dragged as an outline, free on both axes.
  mainWindow_->SetDragMode(true, false, false, false);

  // 7. Shown and painted.
  mainWindow_->Show();
  mainWindow_->Invalidate(true);

  // A logout or Ctrl-C closes the player like its own close command, so nothing is lost.
  Platform::OnTerminationSignal([this] {
    if (mainWindow_ && mainWindow_->Exists()) mainWindow_->Close();
  });
  return true;
}

void PlayerApp::ExitInstance() {
  mainWindow_.reset();
  // The play order goes last: the playlist in the main window refers to it.
  PublishPlayOrder(nullptr);
  playOrder_.reset();
}
