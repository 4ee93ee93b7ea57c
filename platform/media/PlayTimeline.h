#pragma once
#include <cstdint>
#include <deque>

// Maps frames of the sound output to seconds of the track. Output frames run at
// the track's rate times the speed, so the map is a chain of straight pieces, one
// per speed; a seek starts it afresh. Not locked: its owner serialises access.
class PlayTimeline {
 public:
  // From output frame `frame` on, the track is at `seconds` and advances by
  // secondsPerFrame per output frame.
  void Reset(int64_t frame, double seconds, double secondsPerFrame) {
    pieces_.clear();
    pieces_.push_back({frame, seconds, secondsPerFrame});
  }
  // A new speed from output frame `frame` on (frames are never earlier than the last piece's).
  void Change(int64_t frame, double secondsPerFrame) {
    if (pieces_.empty()) return Reset(frame, 0, secondsPerFrame);
    if (pieces_.back().secondsPerFrame == secondsPerFrame) return;
    const double seconds = At(frame);
    if (pieces_.back().frame == frame) pieces_.pop_back();
    pieces_.push_back({frame, seconds, secondsPerFrame});
    if (pieces_.size() > 256) pieces_.pop_front();
  }
  // The track stands still for `frames` output frames from `frame` on (silence went
  // out there); what was said about later frames moves behind the standstill.
  void Hold(int64_t frame, int64_t frames) {
    if (pieces_.empty() || frames <= 0) return;
    const double seconds = At(frame);
    double rate = pieces_.front().secondsPerFrame;
    for (const Piece& p : pieces_)
      if (p.frame <= frame) rate = p.secondsPerFrame;
    std::deque<Piece> held;
    for (const Piece& p : pieces_)
      if (p.frame < frame) held.push_back(p);
    held.push_back({frame, seconds, 0.0});
    bool continued = false;
    for (Piece p : pieces_) {
      if (p.frame < frame) continue;
      p.frame += frames;
      if (!continued && p.frame > frame + frames) held.push_back({frame + frames, seconds, rate});
      continued = true;
      held.push_back(p);
    }
    if (!continued) held.push_back({frame + frames, seconds, rate});
    pieces_.swap(held);
  }
  // What was said about output frames from `frame` on moves by `delta` frames (a
  // standstill made by Hold is shortened; frames move no further back than the
  // piece before them).
  void Shift(int64_t frame, int64_t delta) {
    for (Piece& p : pieces_)
      if (p.frame >= frame) p.frame += delta;
  }
  // Seconds of the track at output frame `frame`; before the first piece, its start.
  double At(int64_t frame) const {
    if (pieces_.empty()) return 0;
    const Piece* piece = &pieces_.front();
    for (const Piece& p : pieces_)
      if (p.frame <= frame) piece = &p;
    if (frame < piece->frame) return piece->seconds;
    return piece->seconds + double(frame - piece->frame) * piece->secondsPerFrame;
  }
  // Forgets what was said about frames after `frame` (they are being rendered again).
  void Cut(int64_t frame) {
    while (pieces_.size() > 1 && pieces_.back().frame > frame) pieces_.pop_back();
  }
  // Drops the pieces wholly behind `frame`.
  void Forget(int64_t frame) {
    while (pieces_.size() > 1 && pieces_[1].frame <= frame) pieces_.pop_front();
  }

 private:
  struct Piece {
    int64_t frame;
    double seconds;
    double secondsPerFrame;
  };
  std::deque<Piece> pieces_;
};
