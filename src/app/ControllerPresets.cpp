// The preset list and its commands.
#include "app/ConnectionController.h"
#include "app/ControllerTexts.h"

#include "app/ControllerTexts.h"
#include "app/DebugLineStore.h"
#include "app/DescriptionAccess.h"
#include "app/SessionCommands.h"
#include "app/TimerQueue.h"
#include "presets/PresetFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {
constexpr const char* kListBeingRead = "Preset command refused while the preset list is read";
}

void CConnectionController::OnPresetCount(std::uint32_t count)
{
    ++connectProgress_;
    presetCount_ = count;
    buildingPresetList_ = true;
    // A reconnect's list updates the rows it shows, keeping the list's position.
    if (!listAfterPage_ || count != rows_.size()) {
        views_.presets.DeleteAllRows();
        rows_.clear();
    }
    SetStatusUpdates(false);
    // No presets: the list is complete at once.
    if (presetCount_ == 0) {
        FinishPresetList();
        return;
    }
    RequestPreset(0, presets::PresetPurpose::ListRow);
}

void CConnectionController::RequestPreset(std::uint32_t index, presets::PresetPurpose purpose)
{
    if (index >= presetCount_) return;
    const auto n = static_cast<std::uint8_t>(index);
    std::string file = purpose == presets::PresetPurpose::SaveToFile ? views_.main.ChoosePresetFileToSave()
                                                                      : WorkPath(presets::PresetTempFileName(n));
    presetRequests_.Add(n, {purpose, std::move(file)});
    session_.GetPreset(n);
}

void CConnectionController::UploadPreset(std::uint8_t index, bool fromChosenFile)
{
    const std::string path = fromChosenFile ? views_.main.ChoosePresetFileToLoad()
                                            : WorkPath(presets::PresetTempFileName(index));
    if (path.empty()) return;
    const ByteString data = presets::ReadPresetFile(path, [this](const std::string& line) { Log(line); });
    if (data.empty()) return;
    if (fromChosenFile) {
        restored_ = RestoredPreset{index, data, path};
        ClearUndo();
    }
    session_.SendPreset(index, data);
}

void CConnectionController::CheckRestoredPreset(std::uint8_t index, const ByteString& readBack)
{
    if (!restored_ || restored_->index != index) return;
    const RestoredPreset sent = std::move(*restored_);
    restored_.reset();
    // The read-back carries the transfer's padding; the file's bytes lead it.
    if (readBack.size() >= sent.bytes.size() && std::equal(sent.bytes.begin(), sent.bytes.end(), readBack.begin()))
        return;
    // A file that is too short, too long or of another model: the processor
    // keeps its own preset, and the operator's file is left as it is.
    Log("Preset file refused by the processor: " + sent.path);
    views_.main.ShowMessage(texts::kPresetFileRefused + sent.path, "");
}

void CConnectionController::OnPresetData(std::uint8_t index, const ByteString& data)
{
    const auto request = presetRequests_.Take(index);
    std::string reason;
    if (request && !request->file.empty() && !presets::WritePresetFile(request->file, data, &reason) &&
        request->purpose == presets::PresetPurpose::SaveToFile)
        views_.main.ShowMessage(texts::kPresetFileNotSaved + request->file + "\n" + reason, "");
    if (observer_) observer_->OnPresetData(index, data);
    if (!request) {
        Log("Preset " + std::to_string(index) + " arrived without a request; ignored");
        return;
    }
    switch (request->purpose) {
    case presets::PresetPurpose::ListRow: PresetListRowArrived(index); break;
    case presets::PresetPurpose::ReadBack:
        CheckRestoredPreset(index, data);
        UpdatePresetRow(index, false);
        // The processor runs the current preset from its working settings;
        // loading it makes them take the uploaded data.
        if (index == status_.current) session_.LoadPreset(index);
        break;
    case presets::PresetPurpose::SaveToFile: break;
    }
}

void CConnectionController::PresetListRowArrived(std::uint8_t index)
{
    ++connectProgress_;
    UpdatePresetRow(index, buildingPresetList_ && index >= rows_.size());
    if (!buildingPresetList_) return;
    if (index + 1u < presetCount_) {
        // The processor wants a short pause between two requests; a timer
        // keeps the window responsive meanwhile.
        const std::uint64_t generation = generation_;
        const std::uint32_t next = index + 1u;
        timers_.StartOnce(std::chrono::milliseconds(kPresetRequestPauseMs), [this, generation, next] {
            if (generation == generation_ && buildingPresetList_) RequestPreset(next, presets::PresetPurpose::ListRow);
        });
    } else {
        FinishPresetList();
    }
}

void CConnectionController::FinishPresetList()
{
    buildingPresetList_ = false;
    presetListDone_ = true;
    listAfterPage_ = false;
    views_.main.CloseProgress();
    views_.main.EnableWindow(true);
    // A page opened meanwhile asks for status itself once its walk ends.
    if (!walk_) SetStatusUpdates(true);
    // Held back while the list was read; the processor's last status says.
    views_.main.EnableAB(status_.change == 1);
    if (page_) page_->SetPresetChoices(presets::PresetChoiceTexts(rows_));
    EnterReadyIfRead();
}

void CConnectionController::UpdatePresetRow(std::uint8_t index, bool insert)
{
    if (insert) {
        const std::size_t at = std::min<std::size_t>(index, rows_.size());
        rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at),
                     presets::PresetRow{presets::PresetLabel(index, userPresetCount_), ""});
        views_.presets.InsertRow(static_cast<unsigned>(at), rows_[at].label);
    }
    const std::string temp = WorkPath(presets::PresetTempFileName(index));
    const ByteString bytes = presets::ReadPresetFile(temp, [this](const std::string& line) { Log(line); });
    const std::string name = presets::ToUpperAscii(presets::PresetNameFromBytes(bytes));
    std::remove(temp.c_str());
    if (index >= rows_.size()) return;
    rows_[index].name = name;
    views_.presets.SetRowName(index, name);
}

void CConnectionController::OnPresetSent(std::uint8_t index)
{
    if (observer_) observer_->OnPresetSent(index);
    // The uploaded preset is read back; its own request says so.
    RequestPreset(index, presets::PresetPurpose::ReadBack);
}

void CConnectionController::OnPresetLoaded(std::uint8_t index)
{
    if (observer_) observer_->OnPresetLoaded(index);
    ClearUndo();
    if (drivers_.empty()) {
        fullRead_ = false;
        reevaluateVisibility_ = rebuildTree_ = reopenPage_ = true;
        SetStatusUpdates(true);
    } else {
        SetStatusUpdates(false);
        fullRead_ = reevaluateVisibility_ = rebuildTree_ = reopenPage_ = true;
        for (const VisibilityDriver& d : drivers_) session_.ReadParam(d.address.a, d.address.b, d.address.c);
        const ParamAddress last = drivers_.back().address;
        endMarker_ = {last.a, last.b, last.c};
        SetStatusUpdates(true);
    }
    views_.presets.Deselect(index);
}

void CConnectionController::OnPresetCommand(int command)
{
    // Nothing may act on a list that is still being read.
    if (!PresetListCurrent()) {
        Log(kListBeingRead);
        return;
    }
    const auto selected = views_.presets.SelectedRow();
    const auto kind = presets::PresetCommandFromInt(command);
    if (!selected || !kind || *selected >= rows_.size()) return;
    const auto n = static_cast<std::uint8_t>(*selected);
    // The list offers these only on user presets; a command that slips
    // through for a factory preset must not reach the processor.
    if (!presets::IsCommandAllowed(*kind, n, userPresetCount_)) {
        Log(std::string("Preset command refused on a factory preset: ") + presets::PresetCommandText(*kind));
        return;
    }
    switch (*kind) {
    case presets::PresetCommand::Load: session_.LoadPreset(n); break;
    case presets::PresetCommand::Save:
        session_.SavePreset(n);
        if (compareLock_) ReleaseCompareAfterSave();
        views_.presets.Deselect(n);
        break;
    case presets::PresetCommand::Rename: views_.presets.StartRename(n); break;
    case presets::PresetCommand::LoadFromFile:
        // The processor's report that the upload arrived asks for its read-back.
        UploadPreset(n, true);
        views_.presets.Deselect(n);
        break;
    case presets::PresetCommand::SaveToFile:
        // Reading a preset into a file leaves the processor comparing if it
        // was, so A, B and the lock stay as the processor has them.
        RequestPreset(n, presets::PresetPurpose::SaveToFile);
        views_.presets.Deselect(n);
        break;
    }
}

void CConnectionController::OnPresetNameChanged(std::uint8_t index)
{
    if (index >= rows_.size()) return;
    // Factory presets keep their names, and no name is sent while the list is
    // read: the list goes back to what the processor holds.
    const bool current = PresetListCurrent();
    if (!current || !presets::IsCommandAllowed(presets::PresetCommand::Rename, index, userPresetCount_)) {
        Log(current ? std::string("Preset command refused on a factory preset: ") +
                          presets::PresetCommandText(presets::PresetCommand::Rename)
                    : std::string(kListBeingRead));
        views_.presets.SetRowName(index, rows_[index].name);
        return;
    }
    // The list shows names in upper case; the processor gets the same name.
    const std::string name = presets::ToUpperAscii(views_.presets.RowName(index));
    rows_[index].name = name;
    session_.RenamePreset(index, presets::PresetRenameBytes(name));
}

void CConnectionController::OnPresetSelected(std::uint32_t index)
{
    views_.main.ShowUserPresetButtons(index < userPresetCount_);
}
