#pragma once
// Runs a piece of clean-up when the scope it guards ends, by any path. Move-only: the
// moved-from guard no longer runs it. Discarding the guard would run the clean-up at once,
// hence [[nodiscard]] on the guard and its maker.
#include <type_traits>
#include <utility>

namespace dorvane {

template <typename F>
class [[nodiscard]] ScopeExit {
 public:
  explicit ScopeExit(F action) noexcept(std::is_nothrow_move_constructible_v<F>) : action_(std::move(action)) {}
  ScopeExit(ScopeExit&& other) noexcept(std::is_nothrow_move_constructible_v<F>)
      : action_(std::move(other.action_)), active_(std::exchange(other.active_, false)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ScopeExit& operator=(ScopeExit&&) = delete;
  ~ScopeExit() {
    if (active_) action_();
  }
  // Keeps what the scope did: the clean-up does not run.
  void Release() noexcept { active_ = false; }

 private:
  F action_;
  bool active_ = true;
};

template <typename F>
[[nodiscard]] ScopeExit<std::decay_t<F>> OnScopeExit(F&& action) {
  return ScopeExit<std::decay_t<F>>(std::forward<F>(action));
}

// Sets a variable for the length of a scope and puts its previous value back afterwards.
template <typename T>
[[nodiscard]] auto Assigned(T& variable, T value) {
  return OnScopeExit([&variable, previous = std::exchange(variable, std::move(value))]() mutable {
    variable = std::move(previous);
  });
}

}  // namespace dorvane
