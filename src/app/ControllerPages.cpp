// Status reports, visibility re-evaluation, pages and the compare lock.
#include "app/ConnectionController.h"

#include "app/DebugLineStore.h"
#include "app/DescriptionAccess.h"
#include "app/SessionCommands.h"
#include "description/DescriptionParser.h"
#include "description/Visibility.h"

void CConnectionController::OnStatus(const ByteString& packet)
{
    // Until this connection's description is in, a report (a late one of the
    // link before) would act on the previous processor's pages and addresses.
    if (state_ != ConnectionState::Reading && state_ != ConnectionState::Ready) return;
    statusSeen_ = true;
    if (quietTicks_ >= static_cast<int>(kStatusSilence / kStatusWatchTick)) {
        quietTicks_ = 0;
        views_.main.ShowLinkStatus("", false);
    }
    if (reevaluateVisibility_) ReevaluateVisibility();
    if (rebuildTree_) RebuildTree();
    if (reopenPage_) ReopenPage();
    views_.meter.Update(packet);
    if (observer_) observer_->OnStatus(packet);
    const auto now = presets::StatusValuesFromPacket(packet);
    if (!now) return;
    status_ = *now;
    UpdateChangeFlag(*now);
    UpdatePresetFlags();
}

void CConnectionController::ReevaluateVisibility()
{
    reevaluateVisibility_ = false;
    PageNode* root = parser_->Root();
    if (!root) return;
    VisibilityResult change = EvaluateVisibility(*root);
    drivers_ = std::move(change.drivers);
    if (change.pagesChanged) rebuildTree_ = true;
    if (change.itemsChanged) reopenPage_ = true;
}

void CConnectionController::RebuildTree()
{
    rebuildTree_ = false;
    views_.tree.SetVisible(false);
    views_.tree.Clear();
    bound_.clear();
    pageTree_.Fill(Root());
    FillTreeView();
    if (views_.main.IsTreeViewChecked()) views_.tree.SetVisible(true);
    if (firstOpen_) {
        firstOpen_ = false;
        // After a reconnect, the page that was open before, if it is still there.
        const PageTreeRecord* resumed = resumePage_ ? pageTree_.Record(currentPage_) : nullptr;
        resumePage_ = false;
        const bool resume = resumed && !resumed->hidden;
        OpenPage(resume ? currentPage_ : 0, true);
        // Selecting the item opens its page as a click would; that page is open.
        selectingFirstItem_ = true;
        if (resume)
            views_.tree.SelectItem(static_cast<int>(currentPage_));
        else
            views_.tree.SelectFirstItem();
        selectingFirstItem_ = false;
        // Built just now from the current description: nothing left to reopen.
        reopenPage_ = false;
    } else if (page_) {
        // The rebuild unbound the open page's controls; build it again (or its
        // substitute, when it was hidden) so it keeps following the processor.
        reopenPage_ = true;
    }
}

void CConnectionController::FillTreeView()
{
    views_.tree.Clear();
    const auto& records = pageTree_.Records();
    std::vector<bool> shown(records.size(), false);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PageTreeRecord& r = records[i];
        // Pages under a hidden page are hidden with it.
        const bool parentShown = r.parent < 0 || shown[static_cast<std::size_t>(r.parent)];
        if (r.hidden || !parentShown) continue;
        shown[i] = true;
        views_.tree.AddItem(static_cast<int>(i), r.parent, r.node->name, r.hasPage);
    }
}

void CConnectionController::ReopenPage()
{
    reopenPage_ = false;
    const PageTreeRecord* record = pageTree_.Record(currentPage_);
    if (record && record->hidden) currentPage_ = pageTree_.Substitute(currentPage_);
    OpenPage(currentPage_, true);
}

void CConnectionController::UpdateChangeFlag(const presets::StatusValues& now)
{
    if (now.change == previous_.change) return;
    views_.main.EnableAB(now.change == 1 && PresetListCurrent());
    if (now.change == 1) {
        Log("Change Flag Placed to 1");
        if (now.compare != localCompare_)
            Log(now.compare ? "Compare Flag Placed to 1 by Device" : "Compare Flag Placed to 0 by Device");
        ApplyCompareLock(now.compare == 1);
        SetAB(now.compare == 0, now.compare == 1);
        return;
    }
    Log("Change Flag Placed to 0");
    SetAB(false, false);
    status_.compare = 0;
    localCompare_ = 0;
    ApplyCompareLock(false);
    Log("Compare Flag Placed to 0 and 0");
}

void CConnectionController::UpdatePresetFlags()
{
    const bool changed = status_.tr != previous_.tr || status_.dp != previous_.dp ||
                         status_.def != previous_.def || status_.current != previous_.current ||
                         status_.change != previous_.change || status_.compare != localCompare_;
    if (!changed) return;
    Log("Some Preset Flags Changed. Preset List Updated.");
    views_.presets.SetFlags({status_.tr, status_.dp, status_.def, status_.current, status_.change});
    previous_ = status_;
    localCompare_ = status_.compare;
}

void CConnectionController::SetAB(bool a, bool b)
{
    aChecked_ = a;
    bChecked_ = b;
    views_.main.SetAChecked(a);
    views_.main.SetBChecked(b);
}

void CConnectionController::DestroyPage()
{
    bound_.clear();
    page_.reset();
}

void CConnectionController::OpenPage(std::size_t index, bool rebuild)
{
    if (selectingFirstItem_ && index == currentPage_) return;
    views_.main.HideSettingsPanel();
    if (!session_.IsConnected()) return;
    currentPage_ = index;
    if (rebuild) {
        views_.tree.SetEnabled(false);
        DestroyPage();
        if (const PageTreeRecord* record = pageTree_.Record(index))
            page_ = views_.pages.BuildPage(*record->node, record->path);
        if (page_) {
            bound_ = page_->BoundControls();
            if (bChecked_) ApplyCompareLock(true);
            page_->SetPresetChoices(presets::PresetChoiceTexts(rows_));
            page_->SetVisible(false);
        }
    }
    SetStatusUpdates(false);
    walk_ = true;
    walkPosition_ = 0;
    // A page without bound controls has nothing to read.
    if (bound_.empty() || bound_.front()->Records().empty()) {
        EndRefreshWalk();
        return;
    }
    const ControlRecord& first = bound_.front()->Records().front();
    session_.ReadParam(first.a, first.b, first.c);
}

void CConnectionController::SelectA()
{
    if (aChecked_ || !session_.IsConnected() || !PresetListCurrent()) return;
    ClearUndo();
    session_.SendRevert();
    OpenPage(currentPage_, false);
    SetAB(true, false);
    Log("Compare Flag Placed to 0");
    localCompare_ = 0;
    ApplyCompareLock(false);
}

void CConnectionController::SelectB()
{
    if (bChecked_ || !session_.IsConnected() || !PresetListCurrent()) return;
    ClearUndo();
    session_.SendCompare();
    OpenPage(currentPage_, false);
    SetAB(false, true);
    Log("Compare Flag Placed to 1");
    localCompare_ = 1;
    ApplyCompareLock(true);
}

void CConnectionController::ApplyCompareLock(bool on)
{
    views_.main.EnableWindow(false);
    compareLock_ = on;
    for (IBoundControl* control : bound_) {
        const auto& records = control->Records();
        if (!records.empty() && records.front().a == 0) control->SetEnabled(!on);
    }
    views_.main.EnableWindow(true);
}

void CConnectionController::ResetCompareState()
{
    // A new connection learns all of these from the processor's first status.
    status_ = previous_ = {};
    localCompare_ = 0;
    compareLock_ = false;
    SetAB(false, false);
    views_.main.EnableAB(false);
    views_.presets.SetFlags({});
}

void CConnectionController::ReleaseCompareAfterSave()
{
    SetAB(true, false);
    localCompare_ = 0;
    ApplyCompareLock(false);
    Log("Compare Flag Placed to 0");
}
