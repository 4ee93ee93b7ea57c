#include "app/PlayerApp.h"

#include "app/MainWindow.h"
#include "platform/MessageBox.h"
#include "platform/System.h"

PlayerApp::PlayerApp() = default;
PlayerApp::~PlayerApp() = default;

bool PlayerApp::InitInstance(const QStringList&) {
  // 1. The sockets layer.
  if (!Platform::StartSockets()) {
    ShowMessageBox(nullptr, "Windows sockets initialization failed.");
    return false;
  }
  // 2. The play order, created with no items and published process-wide.

  // 3.-5. The main window builds everything else while it is created.
  mainWindow_ = std::make_unique<MainWindow>();
  const QString title = QStringLiteral("Tarnello");
  if (!mainWindow_->Create(title)) return false;

  // 6. The main window is dragged as an outline, free on both axes.
  mainWindow_->SetDragMode(true, false, false, false);

  // 7. Shown and painted.
  mainWindow_->Show();
  mainWindow_->Invalidate();

  // A logout or Ctrl-C closes the player like its own close command, so nothing is lost.
  Platform::OnTerminationSignal([this] {
    if (mainWindow_ && mainWindow_->Exists()) mainWindow_->Close();
  });
  return true;
}

void PlayerApp::ExitInstance() {
  // The play order is deleted here.
  mainWindow_.reset();
}
