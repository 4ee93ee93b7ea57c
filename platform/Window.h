#pragma once
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

#include "platform/Geometry.h"
#include "platform/Messages.h"

class Canvas;
class QWidget;
class WindowWidget;

// Opaque handle of a window as it crosses the plug-in interface.
using WindowHandle = void*;

// A window of the design: identified by an id, driven by numbered messages,
// commands, timers and stylus input. Each Window is carried by one Qt widget
// that exists between Create... and Destroy.
class Window {
 public:
  Window();
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // A top-level skinned window: frameless, no decorations. With an owner it is a
  // pop-up owned by that window (kept above it, hidden with it).
  bool CreateTopLevel(const QString& title, const Rect& screenRect, int id, Window* owner = nullptr,
                      bool visible = true);
  bool CreateChild(Window* parent, const Rect& clientRect, int id, bool visible = true);
  void Destroy();
  bool Exists() const { return widget_ != nullptr; }

  int GetId() const { return id_; }
  Window* GetParent() const { return parent_; }
  WindowHandle GetHandle() { return this; }
  // The live window behind a handle, or null when it is not (or no longer) a window.
  static Window* FromHandle(WindowHandle handle);
  QWidget* Widget() const;

  // Synchronous from any thread: from another thread it blocks until the UI thread
  // has handled the message. Returns the handler's result (0 for a dead window).
  intptr_t Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
  // Queued; safe from any thread. False when the window does not exist.
  bool Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
  void SendCommand(int commandId) { Send(MSG_COMMAND, uintptr_t(commandId)); }
  bool PostCommand(int commandId) { return Post(MSG_COMMAND, uintptr_t(commandId)); }
  // Asks the window to close, as the system's close does: OnClose decides.
  void Close();

  void SetTimer(int timerId, int periodMs);
  void KillTimer(int timerId);
  // A timer with nothing to do may rest: it stops waking the program, and once
  // woken its ticks fall where they would have fallen had it ticked all along.
  void RestTimer(int timerId, bool rest);
  bool IsTimerResting(int timerId) const;

  void SetCapture();
  void ReleaseCapture();
  bool HasCapture() const;
  void SetFocus();
  bool HasFocus() const;

  // Screen rectangle of the window and its client rectangle (origin 0,0). Where
  // the display system does not tell window places (Wayland), a top-level window
  // is where the player last placed it.
  Rect GetWindowRect() const;
  Rect GetClientRect() const;
  // Moves and sizes the window: screen coordinates for top-level windows,
  // the parent's client coordinates for child windows.
  void MoveWindow(const Rect& rect, bool repaint = true);
  void Show();
  void Hide();
  void Minimize();
  bool IsVisible() const;
  void SetTitle(const QString& title);
  void SetTopMost(bool topMost);
  // Files, folders and URLs dragged from other programs may be dropped on the
  // window (and on its children, which pass them up); OnDrop receives them.
  void AcceptDrops(bool accept);
  // Every drop on any window passes this filter first: it takes the items it
  // handles itself and returns the rest, which go on to OnDrop. One for the program.
  using DropFilter = std::function<QStringList(const QStringList& items)>;
  static void SetDropFilter(DropFilter filter);
  // An opaque window paints every pixel of its client area; a window that is not
  // shows its parent's drawing wherever it paints nothing, and is never erased.
  void SetOpaque(bool opaque);

  // Schedules a repaint of the whole client area (erase = fill with white first).
  void Invalidate(bool erase = false);
  void Invalidate(const Rect& rect, bool erase = false);
  // Draws now, outside the normal paint cycle, for controls that must show a new
  // state at once (toggles, sliders, lamps). The window's OnPaint does the drawing.
  void RedrawNow();
  void RedrawNow(const Rect& rect);

  static int ScreenWidth();
  static int ScreenHeight();
  // The extent of the whole desktop, every screen together; 0 without a screen.
  static int DesktopWidth();
  static int DesktopHeight();

 protected:
  // Every message that is not one of the typed handlers below arrives here.
  virtual intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
  virtual void OnCommand(int commandId);
  // Overrides handle their own ids and then call the base class, so every tick
  // also reaches the default handling.
  virtual void OnTimer(int timerId);
  virtual void OnStylusDown(Point client);
  virtual void OnStylusMove(Point client);
  virtual void OnStylusUp(Point client);
  virtual void OnStylusDoubleClick(Point client);
  // The mouse wheel: delta in steps of one notch, positive away from the user.
  virtual void OnWheel(int notches);
  virtual void OnPaint(Canvas& canvas);
  virtual void OnSize(int width, int height);
  virtual void OnFocusGained();
  // newFocus: the player window that receives the focus, or null for another program.
  virtual void OnFocusLost(Window* newFocus);
  // Default: destroy the window.
  virtual void OnClose();
  // Dropped items: local paths for files and folders, the URL text for anything else.
  virtual void OnDrop(const QStringList& items);
  // Called while the window still exists, just before its widget goes away.
  virtual void OnDestroy();

 private:
  friend class WindowWidget;
  intptr_t Dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam);
  bool Attach(WindowWidget* widget, const Rect& rect, int id, bool visible);

  WindowWidget* widget_ = nullptr;
  Window* parent_ = nullptr;
  int id_ = 0;
  struct TimerSlot {
    int qtId = 0;  // 0 while resting
    int periodMs = 0;
    std::chrono::steady_clock::time_point origin;  // the start its ticks count from
    bool aligning = false;  // one shot to the next tick of the grid, then periodic
  };
  void StartQtTimer(TimerSlot& slot, int delayMs, bool aligning);
  std::map<int, TimerSlot> timers_;  // by design id
  // Top-level windows: the last place the player gave the window.
  Point placed_;
  bool eraseNext_ = false;
};
