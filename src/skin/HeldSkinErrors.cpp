#include "skin/HeldSkinErrors.h"

void CHeldSkinErrors::OnSkinError(const std::string& text, Icon icon)
{
    {
        const std::lock_guard lock(mutex_);
        if (held_) {
            messages_.emplace_back(text, icon);
            return;
        }
    }
    target_.OnSkinError(text, icon);
}

void CHeldSkinErrors::Release()
{
    std::vector<std::pair<std::string, Icon>> messages;
    {
        const std::lock_guard lock(mutex_);
        held_ = false;
        messages.swap(messages_);
    }
    for (const auto& [text, icon] : messages)
        target_.OnSkinError(text, icon);
}
