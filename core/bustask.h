#pragma once
// The coroutine type of bus work. A bus job (a poll, an RPM cycle, an
// operator's command) is written as straight-line code that says
// `co_await` where it waits for a reply; the wait gives the event loop back
// and the job goes on where it stopped. Tasks start lazily: a task runs when
// it is awaited, or when the bus session starts it as a job.

// The meta-object compiler cannot read <coroutine>; it needs nothing here.
#ifndef Q_MOC_RUN
#include <coroutine>
#include <exception>
#include <optional>
#include <utility>

namespace corvale {

template <class T = void> class BusTask;

namespace detail {

struct BusPromiseBase {
    std::coroutine_handle<> continuation;
    // A job's end is seen by whoever resumed it last; no callback runs
    // inside the coroutine's own frame.
    bool done = false;

    std::suspend_always initial_suspend() noexcept { return {}; }
    struct FinalAwaiter {
        bool await_ready() noexcept { return false; }
        template <class P>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<P> h) noexcept {
            auto& p = h.promise();
            p.done = true;
            if (p.continuation)
                return p.continuation;
            return std::noop_coroutine();
        }
        void await_resume() noexcept {}
    };
    FinalAwaiter final_suspend() noexcept { return {}; }
    // Bus code reports failures to the operator and never throws.
    void unhandled_exception() noexcept { std::terminate(); }
};

template <class T> struct BusPromise : BusPromiseBase {
    std::optional<T> value;
    BusTask<T> get_return_object() noexcept;
    template <class U> void return_value(U&& v) { value.emplace(std::forward<U>(v)); }
};

template <> struct BusPromise<void> : BusPromiseBase {
    BusTask<void> get_return_object() noexcept;
    void return_void() noexcept {}
};

} // namespace detail

template <class T> class [[nodiscard]] BusTask {
public:
    using promise_type = detail::BusPromise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    BusTask() = default;
    explicit BusTask(Handle h) : h_(h) {}
    BusTask(BusTask&& other) noexcept : h_(std::exchange(other.h_, {})) {}
    BusTask& operator=(BusTask&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, {});
        }
        return *this;
    }
    BusTask(const BusTask&) = delete;
    BusTask& operator=(const BusTask&) = delete;
    ~BusTask() { reset(); }

    bool valid() const { return static_cast<bool>(h_); }
    bool done() const { return !h_ || h_.promise().done; }
    // Runs a top-level task until its first wait or its end.
    void start() {
        if (h_ && !h_.promise().done)
            h_.resume();
    }
    // Destroys the frame (and, through it, every task it awaits), wherever
    // it is suspended.
    void reset() {
        if (h_)
            h_.destroy();
        h_ = {};
    }

    // Awaiting a task runs it in the caller's place and gives its result.
    bool await_ready() const noexcept { return !h_ || h_.promise().done; }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> caller) noexcept {
        h_.promise().continuation = caller;
        return h_;
    }
    T await_resume() {
        if constexpr (!std::is_void_v<T>)
            return std::move(*h_.promise().value);
    }

private:
    Handle h_;
};

namespace detail {
template <class T> BusTask<T> BusPromise<T>::get_return_object() noexcept {
    return BusTask<T>(std::coroutine_handle<BusPromise<T>>::from_promise(*this));
}
inline BusTask<void> BusPromise<void>::get_return_object() noexcept {
    return BusTask<void>(std::coroutine_handle<BusPromise<void>>::from_promise(*this));
}
} // namespace detail

} // namespace corvale

#endif // Q_MOC_RUN
