#include "web/WebOutbox.h"

void CWebOutbox::Add(std::uint64_t client, std::size_t link)
{
    std::lock_guard lock(mutex_);
    boxes_[client].link = link;
}

void CWebOutbox::Remove(std::uint64_t client)
{
    std::lock_guard lock(mutex_);
    boxes_.erase(client);
}

void CWebOutbox::Push(Box& box, const Text& text)
{
    if (box.overflow) return;
    if (box.queue.size() >= kMaxQueued) {
        box.queue.clear();
        box.overflow = true;
        return;
    }
    box.queue.push_back(text);
}

void CWebOutbox::Broadcast(std::size_t link, const std::string& text, bool meter)
{
    const Text shared = std::make_shared<const std::string>(text);
    {
        std::lock_guard lock(mutex_);
        for (auto& [client, box] : boxes_) {
            if (box.link != link) continue;
            if (meter) box.meter = shared;
            else Push(box, shared);
        }
        pending_ = true;
    }
    ready_.notify_one();
}

void CWebOutbox::Send(std::uint64_t client, const std::string& text)
{
    {
        std::lock_guard lock(mutex_);
        const auto it = boxes_.find(client);
        if (it == boxes_.end()) return;
        Push(it->second, std::make_shared<const std::string>(text));
        pending_ = true;
    }
    ready_.notify_one();
}

std::vector<CWebOutbox::Batch> CWebOutbox::Take(std::chrono::milliseconds wait)
{
    std::unique_lock lock(mutex_);
    ready_.wait_for(lock, wait, [this] { return pending_ || stop_; });
    pending_ = false;
    std::vector<Batch> batches;
    for (auto& [client, box] : boxes_) {
        const bool overflow = box.overflow && !box.reported;
        if (box.queue.empty() && !box.meter && !overflow) continue;
        box.reported = box.overflow;
        Batch batch{client, {box.queue.begin(), box.queue.end()}, overflow};
        if (box.meter) batch.texts.push_back(std::move(box.meter));
        box.queue.clear();
        box.meter.reset();
        batches.push_back(std::move(batch));
    }
    return batches;
}

void CWebOutbox::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    ready_.notify_all();
}
