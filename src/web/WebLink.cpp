#include "web/WebLink.h"

#include "app/ModelTable.h"
#include "presets/PresetFile.h"
#include "web/WebMeter.h"
#include "web/WebPage.h"

#include <nlohmann/json.hpp>

#include <filesystem>

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kPublishPeriod = std::chrono::milliseconds(50);
constexpr auto kReconnectPause = std::chrono::seconds(3);
// Another remote's change reaches the browsers within this, plus one walk.
constexpr auto kWalkPeriod = std::chrono::milliseconds(100);
constexpr auto kFileWait = std::chrono::seconds(20);
constexpr auto kTick = std::chrono::milliseconds(20);

std::uint32_t Key(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    return a | b << 8 | c << 16;
}

const char* StateText(ConnectionState state)
{
    switch (state) {
    case ConnectionState::Disconnected: return "disconnected";
    case ConnectionState::Connecting: return "connecting";
    case ConnectionState::Identifying: return "identifying";
    case ConnectionState::Reading: return "reading";
    case ConnectionState::Ready: return "ready";
    case ConnectionState::Quitting: return "quitting";
    case ConnectionState::Reconnecting: return "reconnecting";
    }
    return "?";
}

}  // namespace

CWebLink::CWebLink(std::size_t index, std::string name, std::uint32_t lockCode, TransportFactory transports,
                   std::string workFolder, IWebClients& clients, std::function<void(const std::string&)> log)
    : index_(index), name_(std::move(name)), workFolder_(std::move(workFolder)), clients_(clients),
      log_(std::move(log)),
      views_(lockCode, [this](const std::string& line) { log_(name_ + ": " + line); },
             [](const std::string&) {})
{
    // The transports never leave the process; the address is only the session's to hold.
    settings_.host = "127.0.0.1";
    settings_.lockCode = lockCode;
    settings_.reconnect = false;  // this link reconnects by itself
    session_ = std::make_unique<CSessionBridge>(loop_.Queue(), std::move(transports));
    controller_ = std::make_unique<CConnectionController>(
        *session_, settings_, ControllerViews{views_, views_, views_, views_, views_, views_, views_}, loop_.Timers());
    controller_->SetObserver(this);
    controller_->SetWorkFolder(workFolder_);
    views_.openPage = [this](int record) { controller_->OpenPage(static_cast<std::size_t>(record), true); };
    summary_ = json{{"name", name_}, {"state", "disconnected"}, {"model", ""}, {"title", ""}}.dump();
}

CWebLink::~CWebLink()
{
    Stop();
    // The session's threads post into the loop's queue; stop them first.
    session_.reset();
}

void CWebLink::Start()
{
    thread_ = std::thread([this] { Run(); });
}

void CWebLink::Stop()
{
    stop_ = true;
    loop_.Wake();
    if (thread_.joinable()) thread_.join();
}

void CWebLink::Run()
{
    const auto handle = [this](const AppMessage& message) { controller_->HandleMessage(message); };
    loop_.Run([this] { return stop_.load(); }, Clock::time_point::max(), handle,
              [this] {
                  RunTasks();
                  Tick();
              },
              kTick);
    if (session_->IsConnected()) {
        controller_->ExitApplication();
        loop_.Run([this] { return !session_->IsConnected(); }, Clock::now() + std::chrono::seconds(3), handle);
    }
    if (fileWait_) fileWait_->done.set_value({});
}

void CWebLink::Post(std::function<void()> task)
{
    {
        std::lock_guard lock(tasksMutex_);
        if (tasks_.size() < 1024) tasks_.push_back(std::move(task));
    }
    loop_.Wake();
}

void CWebLink::RunTasks()
{
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard lock(tasksMutex_);
        tasks.swap(tasks_);
    }
    for (auto& task : tasks) task();
}

std::uint32_t CWebLink::NowMs() const
{
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
}

bool CWebLink::Ready() const
{
    return controller_->State() == ConnectionState::Ready;
}

void CWebLink::Tick()
{
    const auto now = Clock::now();
    KeepConnected();
    // A transfer the processor never finished must not hold up the next one.
    if (fileWait_ && now > fileWait_->deadline) {
        fileWait_->done.set_value({});
        fileWait_.reset();
    }
    for (const auto& [address, value] : pacer_.Due(NowMs()))
        Write(address, value, echoes_[Key(address.a, address.b, address.c)], "");
    if (now < nextPublish_) return;
    nextPublish_ = now + kPublishPeriod;
    if (Ready() && statusSinceWalk_ && !controller_->RefreshWalkRunning() && !controller_->FullReadRunning() &&
        now >= nextWalk_)
        WalkNextWatchedPage(now);
    PublishChanges();
}

// Re-reading the pages browsers show is how a change by another remote shows
// here. The controller walks one page at a time, so the watched pages take
// turns, more often when there are more of them (never faster than the
// publishing), so two pages each stay about as fresh as one did.
void CWebLink::WalkNextWatchedPage(Clock::time_point now)
{
    const std::set<std::size_t> pages = WatchedPages();
    if (pages.empty()) return;
    const auto next = pages.upper_bound(lastWalked_);
    lastWalked_ = next == pages.end() ? *pages.begin() : *next;
    nextWalk_ = now + std::max<Clock::duration>(kWalkPeriod / pages.size(), kPublishPeriod);
    statusSinceWalk_ = false;
    controller_->OpenPage(lastWalked_, lastWalked_ != controller_->CurrentPageIndex());
}

std::set<std::size_t> CWebLink::WatchedPages() const
{
    std::set<std::size_t> pages;
    for (const auto& [client, page] : shownPages_)
        if (page) pages.insert(*page);
    return pages;
}

std::set<std::uint32_t> CWebLink::PageKeys(std::size_t index) const
{
    std::set<std::uint32_t> keys;
    const PageTreeRecord* record = controller_->PageTree().Record(index);
    if (!record || !record->node) return keys;
    for (const ControlItem& item : record->node->items)
        for (const ControlRecord& r : item.records) keys.insert(Key(r.a, r.b, r.c));
    return keys;
}

void CWebLink::SendPageValues(std::uint64_t client, std::size_t page,
                              const std::vector<std::array<std::uint8_t, 4>>& values)
{
    const std::set<std::uint32_t> keys = PageKeys(page);
    json mine = json::array();
    for (const auto& v : values)
        if (keys.count(Key(v[0], v[1], v[2]))) mine.push_back(v);
    if (!mine.empty()) clients_.Send(client, json{{"t", "values"}, {"v", mine}}.dump());
}

void CWebLink::KeepConnected()
{
    const auto now = Clock::now();
    if (controller_->State() != ConnectionState::Disconnected || now < nextConnect_) return;
    nextConnect_ = now + kReconnectPause;
    views_.shown.message.clear();
    controller_->ToggleConnection();
}

void CWebLink::PublishIfChanged(std::string& last, std::string text)
{
    if (text == last) return;
    last = std::move(text);
    clients_.Broadcast(index_, last, false);
}

void CWebLink::PublishChanges()
{
    PublishIfChanged(lastState_, StateJson());
    PublishIfChanged(lastTree_, TreeJson());
    PublishIfChanged(lastPresets_, PresetsJson());
    const int model = controller_->Model() ? controller_->Model()->code : 0;
    PublishIfChanged(lastLayout_, json{{"t", "meterLayout"}, {"layout", MeterLayoutJson(model)}}.dump());
    if (!newValues_.empty()) {
        for (const auto& [client, page] : shownPages_)
            if (page) SendPageValues(client, *page, newValues_);
        newValues_.clear();
    }
    std::lock_guard lock(summaryMutex_);
    summary_ = json{{"name", name_}, {"state", StateText(controller_->State())},
                    {"model", controller_->Model() ? controller_->Model()->name : ""}, {"title", views_.shown.title}}
                   .dump();
}

std::string CWebLink::Summary()
{
    std::lock_guard lock(summaryMutex_);
    return summary_;
}

std::string CWebLink::StateJson() const
{
    const auto& shown = views_.shown;
    return json{{"t", "state"},
                {"name", name_},
                {"state", StateText(controller_->State())},
                {"title", shown.title},
                {"model", controller_->Model() ? controller_->Model()->name : ""},
                {"message", shown.message},
                {"abEnabled", shown.abEnabled},
                {"a", shown.a},
                {"b", shown.b},
                {"compareLock", controller_->CompareLock()}}
        .dump();
}

std::string CWebLink::TreeJson() const
{
    return json{{"t", "tree"}, {"pages", PageTreeJson(controller_->PageTree())}}.dump();
}

std::string CWebLink::PresetsJson() const
{
    json rows = json::array();
    for (const auto& row : controller_->PresetRows()) rows.push_back({row.label, row.name});
    const auto& f = views_.shown.flags;
    return json{{"t", "presets"},
                {"rows", rows},
                {"users", controller_->UserPresetCount()},
                {"tr", f.tr},
                {"dp", f.dp},
                {"def", f.def},
                {"current", f.current},
                {"change", f.change}}
        .dump();
}

std::string CWebLink::PageText(std::size_t index)
{
    const PageTreeRecord* record = controller_->PageTree().Record(index);
    if (!record || !record->node) return json{{"t", "page"}, {"index", index}, {"page", nullptr}}.dump();
    const auto choices = presets::PresetChoiceTexts(controller_->PresetRows());
    return json{{"t", "page"}, {"index", index}, {"page", PageJson(*record->node, record->path, choices)}}.dump();
}

void CWebLink::Leave(std::uint64_t client)
{
    Post([this, client] { shownPages_.erase(client); });
}

void CWebLink::Join(std::uint64_t client)
{
    Post([this, client] {
        shownPages_.emplace(client, std::nullopt);
        for (const std::string* text : {&lastState_, &lastTree_, &lastPresets_, &lastLayout_, &lastMeter_})
            if (!text->empty()) clients_.Send(client, *text);
    });
}

ClientContext CWebLink::Context(WebRole role) const
{
    return {controller_->Root(), controller_->PageTree().Records().size(), controller_->PresetRows().size(),
            controller_->UserPresetCount(), controller_->CompareLock(), role};
}

void CWebLink::Submit(std::uint64_t client, const std::string& user, WebRole role, const std::string& text)
{
    Post([this, client, user, role, text] {
        const ClientCheck check = Ready() ? CheckClientMessage(text, Context(role))
                                          : ClientCheck{std::nullopt, "the processor is not ready"};
        if (!check.message) {
            log_("refused a message of " + user + " for " + name_ + ": " + check.refusal);
            clients_.Send(client, json{{"t", "refused"}, {"text", check.refusal}}.dump());
            return;
        }
        Handle(client, user, *check.message);
    });
}

void CWebLink::Handle(std::uint64_t client, const std::string& user, const ClientMessage& message)
{
    if (const auto* w = std::get_if<ClientWrite>(&message)) {
        echoes_[Key(w->address.a, w->address.b, w->address.c)] = w->drivesVisibility;
        if (const auto value = pacer_.Offer(w->address, w->value, w->release, NowMs()))
            Write(w->address, *value, w->drivesVisibility, user);
    } else if (const auto* o = std::get_if<ClientOpenPage>(&message)) {
        std::size_t index = o->index;
        const PageTreeRecord* record = controller_->PageTree().Record(index);
        if (record && record->hidden) index = controller_->PageTree().Substitute(index);
        clients_.Send(client, PageText(index));
        if (!shownPages_.count(client)) return;
        const PageTreeRecord* shown = controller_->PageTree().Record(index);
        if (!shown || !shown->hasPage) {
            shownPages_[client].reset();
            return;
        }
        // The last values read at once; the walk brings what changed since.
        shownPages_[client] = index;
        std::vector<std::array<std::uint8_t, 4>> known;
        for (const auto& [key, value] : values_)
            known.push_back({static_cast<std::uint8_t>(key & 0xFF), static_cast<std::uint8_t>((key >> 8) & 0xFF),
                             static_cast<std::uint8_t>((key >> 16) & 0xFF), value});
        SendPageValues(client, index, known);
        lastWalked_ = index;
        controller_->OpenPage(index, true);
    } else if (const auto* p = std::get_if<ClientPreset>(&message)) {
        log_(user + " " + presets::PresetCommandText(p->command) + " preset " + std::to_string(p->index + 1) +
             " of " + name_ + (p->name.empty() ? "" : " as \"" + p->name + "\""));
        views_.shown.selectedRow = p->index;
        if (p->command == presets::PresetCommand::Rename) {
            views_.SetRowName(p->index, p->name);
            controller_->HandleMessage({msg::UM_PRESET_NAME_CHANGED, p->index, 0, {}});
        } else {
            controller_->HandleMessage({msg::UM_PRESET_COMMAND, p->index, static_cast<std::uint32_t>(p->command), {}});
        }
    } else if (const auto* ab = std::get_if<ClientCompare>(&message)) {
        log_(user + " chose " + (ab->b ? "B" : "A") + " on " + name_);
        ab->b ? controller_->SelectB() : controller_->SelectA();
    }
}

void CWebLink::Write(ParamAddress address, std::uint8_t value, bool echo, const std::string& user)
{
    log_("write " + (user.empty() ? std::string("(paced)") : user) + " " + name_ + " " +
         std::to_string(address.a) + " " + std::to_string(address.b) + " " + std::to_string(address.c) + " = " +
         std::to_string(value));
    controller_->WriteParameter(address.a, address.b, address.c, value, echo);
    // Every browser sees the write at once; the next walk confirms it.
    OnParamValue(address.a, address.b, address.c, value);
}

void CWebLink::OnParamValue(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value)
{
    auto [it, inserted] = values_.try_emplace(Key(a, b, c), value);
    if (!inserted && it->second == value) return;
    it->second = value;
    newValues_.push_back({a, b, c, value});
}

void CWebLink::OnStatus(const ByteString& packet)
{
    statusSinceWalk_ = true;
    const int model = controller_->Model() ? controller_->Model()->code : 0;
    std::string frame = json{{"t", "meter"}, {"leds", MeterFrame(model, packet, true)}}.dump();
    if (frame == lastMeter_) return;
    lastMeter_ = std::move(frame);
    clients_.Broadcast(index_, lastMeter_, true);
}

void CWebLink::OnPresetData(std::uint8_t index, const ByteString& data)
{
    if (!fileWait_ || fileWait_->upload || fileWait_->index != index) return;
    // The controller has written the file; its bytes are the download.
    fileWait_->done.set_value(data.empty() ? ByteString{} : presets::ReadPresetFile(fileWait_->path));
    fileWait_.reset();
}

void CWebLink::OnPresetSent(std::uint8_t index)
{
    if (!fileWait_ || !fileWait_->upload || fileWait_->index != index) return;
    fileWait_->done.set_value(ByteString{1});
    fileWait_.reset();
}

ByteString CWebLink::DownloadPreset(unsigned index, const std::string& user)
{
    return Transfer(index, std::nullopt, user);
}

bool CWebLink::UploadPreset(unsigned index, const ByteString& bytes, const std::string& user)
{
    return !Transfer(index, bytes, user).empty();
}

ByteString CWebLink::Transfer(unsigned index, std::optional<ByteString> upload, const std::string& user)
{
    auto promise = std::make_shared<std::promise<ByteString>>();
    auto result = promise->get_future();
    const bool up = upload.has_value();
    const std::string path =
        (std::filesystem::path(workFolder_) / ((up ? "upload-" : "download-") + std::to_string(index) + ".pst")).string();
    Post([this, index, path, user, upload = std::move(upload), promise, up] {
        const auto command = up ? presets::PresetCommand::LoadFromFile : presets::PresetCommand::SaveToFile;
        if (fileWait_ || !Ready() || index >= controller_->PresetRows().size() ||
            !presets::IsCommandAllowed(command, index, controller_->UserPresetCount()) ||
            (up && !presets::WritePresetFile(path, *upload)))
            return promise->set_value({});
        log_(user + (up ? " uploads" : " downloads") + " preset " + std::to_string(index + 1) + " of " + name_);
        (up ? views_.shown.fileToLoad : views_.shown.fileToSave) = path;
        views_.shown.selectedRow = index;
        fileWait_ = FileWait{index, up, path, std::move(*promise), Clock::now() + kFileWait};
        controller_->HandleMessage({msg::UM_PRESET_COMMAND, index, static_cast<std::uint32_t>(command), {}});
    });
    if (result.wait_for(kFileWait) != std::future_status::ready) return {};
    return result.get();
}
