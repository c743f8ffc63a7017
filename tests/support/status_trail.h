// The texts the status box showed while an action ran, as the operator saw
// them: progress texts that a later text replaced are in it too.
#ifndef KVOR_TESTS_SUPPORT_STATUS_TRAIL_H
#define KVOR_TESTS_SUPPORT_STATUS_TRAIL_H

#include <memory>
#include <string>
#include <vector>

namespace support {

// The texts the status box showed, each change once, as the operator would
// have seen them while event processing ran. Start it before the action.
class StatusTrail {
 public:
  StatusTrail();
  ~StatusTrail();
  void Start();
  void Stop();
  const std::vector<std::string> &Texts() const;
  bool Saw(const std::string &text) const;
  // Position of the first showing of text, -1 when never shown.
  int IndexOf(const std::string &text) const;
  // How many times text came up (each showing after another text counts).
  int Count(const std::string &text) const;

  // Shared with the pending look, which may fire after the trail is gone.
  struct State;

 private:
  std::shared_ptr<State> state_;
};

// Gives a readable trail in failure messages.
std::string Joined(const std::vector<std::string> &texts);

}  // namespace support

#endif
