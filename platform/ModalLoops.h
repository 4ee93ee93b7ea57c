#pragma once
#include <functional>

class QObject;

// Event loops that run inside the main one on the UI thread: modal dialogs, message
// boxes, menus and blocking waits (a download). Work that destroys what such a
// loop's caller still uses (closing the player) must wait until the loop and the
// handler that started it have returned; these functions end the loops and run
// the work afterwards.
namespace Platform {

// The level of the application's own loop: 1 once main() runs it. Without it (tests
// that drive events by hand) the level is 0, and any loop counts as nested.
void SetMainLoopLevel(int level);
// True while the UI thread runs a loop nested in the main one.
bool InNestedLoop();
// Closes menus, cancels modal dialogs and message boxes (innermost first) and cuts
// short the waits that registered themselves. Their loops return once the handler
// that is running now has returned.
void EndNestedLoops();
// Runs action at once when no loop is nested; otherwise ends the nested loops and
// runs it from the main loop once they have all returned (ending again whatever a
// returning handler opens meanwhile). Dropped when context is destroyed first.
void RunAfterNestedLoops(QObject* context, std::function<void()> action);

// A blocking wait of the UI thread that EndNestedLoops may cut short: while the
// object exists, EndNestedLoops calls cancel (on the UI thread).
class InterruptibleWait {
 public:
  explicit InterruptibleWait(std::function<void()> cancel);
  ~InterruptibleWait();
  InterruptibleWait(const InterruptibleWait&) = delete;
  InterruptibleWait& operator=(const InterruptibleWait&) = delete;

 private:
  std::function<void()> cancel_;
};

}  // namespace Platform
