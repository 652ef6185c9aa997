#pragma once

#include "views/Views.h"

#include <functional>
#include <utility>

// Stands in for the preset list until something needs it: every call asks
// `list` for the real one (which makes it the first time) and passes on.
// Building the list and its buttons at start-up would delay the first
// picture, which does not show them.
class CPresetListOnDemand : public IPresetListView {
public:
    explicit CPresetListOnDemand(std::function<IPresetListView&()> list) : list_(std::move(list)) {}

    void SetUserPresetCount(unsigned count) override { list_().SetUserPresetCount(count); }
    void DeleteAllRows() override { list_().DeleteAllRows(); }
    void InsertRow(unsigned index, const std::string& label) override { list_().InsertRow(index, label); }
    void SetRowName(unsigned index, const std::string& name) override { list_().SetRowName(index, name); }
    std::string RowName(unsigned index) override { return list_().RowName(index); }
    std::optional<unsigned> SelectedRow() override { return list_().SelectedRow(); }
    void Deselect(unsigned index) override { list_().Deselect(index); }
    void StartRename(unsigned index) override { list_().StartRename(index); }
    void SetFlags(const presets::PresetFlags& flags) override { list_().SetFlags(flags); }

private:
    std::function<IPresetListView&()> list_;
};
