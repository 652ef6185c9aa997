#include "OutputPump.h"

#include <algorithm>

namespace vsim {

OutputPump::OutputPump(Sink sink, int baud, bool splittable, std::chrono::milliseconds unitGap)
    : sink_(std::move(sink)), baud_(baud), splittable_(splittable), unitGap_(unitGap), thread_([this] { Run(); })
{
}

OutputPump::~OutputPump()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void OutputPump::Post(std::vector<Output> outputs)
{
    if (outputs.empty())
        return;
    const auto now = Clock::now();
    {
        std::lock_guard lock(mutex_);
        for (Output& o : outputs)
            queue_.emplace(now + o.delay, Unit{std::move(o.bytes), o.apart});  // equal times keep their order
    }
    wake_.notify_all();
}

void OutputPump::Clear()
{
    std::lock_guard lock(mutex_);
    queue_.clear();
}

bool OutputPump::Busy()
{
    std::lock_guard lock(mutex_);
    return writing_ || !queue_.empty();
}

OutputPump::Clock::duration OutputPump::WireTime(std::size_t bytes) const
{
    if (baud_ <= 0)
        return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 * static_cast<double>(bytes) / baud_));
}

void OutputPump::Run()
{
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (queue_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const bool apart = lastApart_ || queue_.begin()->second.apart;
        const auto due = apart ? std::max(queue_.begin()->first, lastUnitEnd_ + unitGap_) : queue_.begin()->first;
        if (Clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        ByteString bytes = std::move(queue_.begin()->second.bytes);
        lastApart_ = queue_.begin()->second.apart;
        queue_.erase(queue_.begin());
        writing_ = true;
        Write(bytes, lock);
        writing_ = false;
        lastUnitEnd_ = Clock::now();
    }
}

void OutputPump::Write(const ByteString& bytes, std::unique_lock<std::mutex>& lock)
{
    // A stream goes out in small pieces so that pacing is smooth; a datagram whole.
    const std::size_t piece = splittable_ && baud_ > 0 ? 8 : bytes.size();
    for (std::size_t at = 0; at < bytes.size() && !stop_; at += piece) {
        const std::size_t n = std::min(piece, bytes.size() - at);
        if (baud_ > 0) {
            const auto now = Clock::now();
            if (wireFree_ > now) {
                wake_.wait_until(lock, wireFree_, [this] { return stop_; });
                if (stop_)
                    return;
            }
            wireFree_ = std::max(wireFree_, Clock::now()) + WireTime(n);
        }
        lock.unlock();
        sink_(bytes.data() + at, n);
        lock.lock();
    }
}

}  // namespace vsim
