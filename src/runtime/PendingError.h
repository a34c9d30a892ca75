#pragma once

#include "runtime/Error.h"

#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace runtime {

// "Go on after every error": each step runs; a step that fails is abandoned and its
// error stays pending until clear() or a later failure replaces it. Successful steps
// leave a pending error alone. The object is passed along to private operations that
// pass their own errors over, so the caller still sees what failed inside them.
class PendingError {
public:
    // Runs the step. A void step gives true when it succeeded; a step that returns a
    // value gives it in an optional, empty when the step failed.
    template <class Step> auto run(Step&& step) {
        using R = std::invoke_result_t<Step>;
        if constexpr (std::is_void_v<R>) {
            try {
                std::forward<Step>(step)();
                return true;
            } catch (const Error& e) {
                set(e);
                return false;
            }
        } else {
            try {
                return std::optional<R>(std::forward<Step>(step)());
            } catch (const Error& e) {
                set(e);
                return std::optional<R>();
            }
        }
    }

    // 0 when nothing is pending.
    int number() const noexcept { return number_; }
    const std::string& text() const noexcept { return text_; }
    bool pending() const noexcept { return number_ != 0; }

    void set(const Error& e) {
        number_ = e.number();
        text_ = e.text();
    }
    void clear() noexcept {
        number_ = 0;
        text_.clear();
    }

private:
    int number_ = 0;
    std::string text_;
};

} // namespace runtime
