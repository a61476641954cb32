#pragma once
// The coroutine type of bus work. A bus job (a poll, an RPM cycle, an
// operator's command) is written as straight-line code that says
// `co_await` where it waits for a reply; the wait gives the event loop back
// and the job goes on where it stopped. Tasks start lazily: a task runs when
// it is awaited, or when the bus session starts it as a job.
//
// A task whose frame cannot be made is empty: awaiting it gives a default
// value at once, and the bus session skips it as a job. An exception inside
// a task ends it and goes on to whoever awaits it; the session ends a job
// that ends that way and goes on with the next.

// The meta-object compiler cannot read <coroutine>; it needs nothing here.
#ifndef Q_MOC_RUN
#include <coroutine>
#include <cstddef>
#include <exception>
#include <new>
#include <optional>
#include <type_traits>
#include <utility>

namespace corvale {

template <class T = void> class BusTask;

namespace detail {

struct BusPromiseBase {
    std::coroutine_handle<> continuation;
    // A job's end is seen by whoever resumed it last; no callback runs
    // inside the coroutine's own frame.
    bool done = false;
    std::exception_ptr error;

    // No frame, no task: an allocation failure gives an empty task.
    static void* operator new(std::size_t size) noexcept {
        return ::operator new(size, std::nothrow);
    }
    static void operator delete(void* p) noexcept { ::operator delete(p); }

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
    // Bus code reports failures to the operator; anything thrown all the
    // same ends the task and is handed to whoever awaits it.
    void unhandled_exception() noexcept { error = std::current_exception(); }
};

template <class T> struct BusPromise : BusPromiseBase {
    std::optional<T> value;
    BusTask<T> get_return_object() noexcept;
    static BusTask<T> get_return_object_on_allocation_failure() noexcept;
    template <class U> void return_value(U&& v) { value.emplace(std::forward<U>(v)); }
};

template <> struct BusPromise<void> : BusPromiseBase {
    BusTask<void> get_return_object() noexcept;
    static BusTask<void> get_return_object_on_allocation_failure() noexcept;
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
    // Ended by an exception.
    bool failed() const { return h_ && h_.promise().error; }
    // Runs a top-level task until its first wait or its end.
    void start() {
        if (h_ && !h_.promise().done)
            h_.resume();
    }
    // Lets go of a frame that is still running further up the stack (its
    // owner is going away); it is never resumed or destroyed from here.
    void release() { h_ = {}; }
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
        if (!h_) {
            if constexpr (!std::is_void_v<T>)
                return T{};
            else
                return;
        }
        if (h_.promise().error)
            std::rethrow_exception(h_.promise().error);
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
template <class T> BusTask<T> BusPromise<T>::get_return_object_on_allocation_failure() noexcept {
    return BusTask<T>();
}
inline BusTask<void> BusPromise<void>::get_return_object_on_allocation_failure() noexcept {
    return BusTask<void>();
}
} // namespace detail

} // namespace corvale

#endif // Q_MOC_RUN
