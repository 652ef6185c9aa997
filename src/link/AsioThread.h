#pragma once

// Internal to the transports: an io_context run by one thread of its own. Only
// transport sources include this, so Asio stays out of the widely used headers.

#include <asio/error.hpp>
#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>

#include <cerrno>
#include <optional>
#include <system_error>
#include <thread>

class CAsioThread {
public:
    CAsioThread() = default;
    ~CAsioThread() { Stop(); }
    CAsioThread(const CAsioThread&) = delete;
    CAsioThread& operator=(const CAsioThread&) = delete;

    asio::io_context& Context() { return io_; }

    // Starts the thread; it idles until work is posted and runs until Stop.
    void Start()
    {
        Stop();
        if (thread_.joinable())
            return;  // asked from the thread itself: it keeps running
        io_.restart();
        guard_.emplace(io_.get_executor());
        thread_ = std::thread([this] { io_.run(); });
    }

    // Wakes the thread and joins it. Called on the thread itself, it can only ask
    // the loop to end; the thread is joined later from outside.
    void Stop()
    {
        guard_.reset();
        io_.stop();
        if (thread_.joinable() && !IsCurrent())
            thread_.join();
    }

    bool IsCurrent() const { return thread_.get_id() == std::this_thread::get_id(); }

private:
    asio::io_context io_;
    std::optional<asio::executor_work_guard<asio::io_context::executor_type>> guard_;
    std::thread thread_;
};

// The integer the link reports for an Asio error: its system number. An end of
// file on a device means the device went away, reported as an I/O error.
inline int TransportErrorCode(const std::error_code& ec)
{
    if (ec == asio::error::eof)
        return EIO;
    return ec.value() != 0 ? ec.value() : EIO;
}
