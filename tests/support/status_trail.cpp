#include "support/status_trail.h"

#include "app/controls.h"
#include "app/globals.h"
#include "runtime/testkit/testkit.h"

namespace support {

struct StatusTrail::State {
  std::vector<std::string> texts;
  bool running = false;
};

namespace {

// Every few milliseconds while event processing runs, as an operator's eye.
void LookAgainLater(const std::shared_ptr<StatusTrail::State> &state);

void Look(const std::shared_ptr<StatusTrail::State> &state) {
  if (!state->running) return;
  const std::string now = testkit::Text(pHandle, MAIN_STATUS);
  if (state->texts.empty() || state->texts.back() != now) state->texts.push_back(now);
  LookAgainLater(state);
}

void LookAgainLater(const std::shared_ptr<StatusTrail::State> &state) {
  testkit::RunLater(0.003, [state] { Look(state); });
}

}  // namespace

StatusTrail::StatusTrail() : state_(std::make_shared<State>()) {}

StatusTrail::~StatusTrail() { state_->running = false; }

void StatusTrail::Start() {
  state_->texts.clear();
  state_->running = true;
  Look(state_);
}

void StatusTrail::Stop() {
  if (!state_->running) return;
  Look(state_);  // the last text too
  state_->running = false;
}

const std::vector<std::string> &StatusTrail::Texts() const { return state_->texts; }

bool StatusTrail::Saw(const std::string &text) const { return IndexOf(text) >= 0; }

int StatusTrail::IndexOf(const std::string &text) const {
  for (size_t i = 0; i < state_->texts.size(); ++i)
    if (state_->texts[i] == text) return static_cast<int>(i);
  return -1;
}

int StatusTrail::Count(const std::string &text) const {
  int n = 0;
  for (const std::string &t : state_->texts) n += t == text;
  return n;
}

std::string Joined(const std::vector<std::string> &texts) {
  std::string out;
  for (const std::string &t : texts) out += (out.empty() ? "\"" : " -> \"") + t + "\"";
  return out;
}

}  // namespace support
