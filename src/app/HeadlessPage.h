#pragma once

#include "views/Views.h"
#include "description/DescriptionTree.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// A page that no window shows: the controls the page builder would make, bound
// to the controller, keeping the values shown. The terminal and the agent's
// front ends open pages with it, so the controller reads and walks them as it
// does a window's.

// One bound parameter control of a text page.
class CTextControl : public IBoundControl {
public:
    CTextControl(std::vector<ControlRecord> records, bool hidden);
    std::vector<ControlRecord>& Records() override { return records_; }
    void SetDeviceValue(std::uint8_t raw) override;
    void SetEnabled(bool enabled) override { enabled_ = enabled; }

    bool Enabled() const { return enabled_; }
    bool Hidden() const { return hidden_; }
    std::optional<std::uint8_t> Shown() const { return shown_; }
    // The value text as the page would show it, with preset choices for
    // preset-choice fields.
    std::string Text(const std::vector<std::string>& presetChoices) const;

private:
    std::vector<ControlRecord> records_;
    bool hidden_;
    bool enabled_ = true;
    std::optional<std::uint8_t> shown_;
};

class CTextPage : public IPageView {
public:
    CTextPage(const PageNode& node, std::string path);
    std::vector<IBoundControl*> BoundControls() override;
    void SetPresetChoices(const std::vector<std::string>& choices) override { presetChoices_ = choices; }
    void SetVisible(bool visible) override { visible_ = visible; }

    const std::string& Path() const { return path_; }
    bool Visible() const { return visible_; }
    const std::vector<std::unique_ptr<CTextControl>>& Controls() const { return controls_; }
    const std::vector<std::string>& PresetChoices() const { return presetChoices_; }

private:
    std::string path_;
    bool visible_ = false;
    std::vector<std::unique_ptr<CTextControl>> controls_;
    std::vector<std::string> presetChoices_;
};
