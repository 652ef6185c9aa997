#include "cli/CliApp.h"

#include "app/DescriptionAccess.h"
#include "app/ModelTable.h"
#include "description/ParamText.h"
#include "cli/CliReport.h"
#include "meters/MeterLeds.h"
#include "presets/PresetFile.h"
#include "settings/SettingsPanelFields.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>

namespace {

using Json = clireport::Json;

std::string Hex(std::uint8_t v)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02x", static_cast<unsigned>(v));
    return text;
}

std::optional<std::uint8_t> ParseByte(const std::string& text)
{
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 0);
    if (text.empty() || !end || *end != '\0' || v > 255) return std::nullopt;
    return static_cast<std::uint8_t>(v);
}

// Lit LEDs of each bar of the model's meter panel.
std::vector<int> LitCounts(std::uint8_t model, const ByteString& status)
{
    return LitLedsPerBar(ComputeMeterLeds(model, MeterStatusFromPacket(status), true));
}

}  // namespace

CCliApp::CCliApp(CliOptions options, std::ostream& out, std::ostream& err, const std::atomic<bool>* stop,
                 std::optional<CConnectionProfiles> profiles)
    : options_(std::move(options)), out_(out), err_(err), stop_(stop), profiles_(std::move(profiles))
{
    settings_.host = options_.host;
    settings_.portNumber = options_.port;
    settings_.replyTimeoutMs = options_.replyTimeoutMs;
    settings_.transportIndex = options_.serialDevice.empty() ? 0 : 1;
    settings_.portName = options_.serialDevice.empty() ? "TCP" : options_.serialDevice;
    settings_.lockCode = static_cast<std::uint32_t>(std::strtoul(options_.lockText.c_str(), nullptr, 10));
    // A one-shot command must end when the link goes; only watch rides it out.
    settings_.reconnect = options_.reconnect;
    views_.lockCodeText = options_.lockText;
    views_.onLinkStatus = [this](const std::string& text) {
        if (!text.empty()) out_ << "link: " << text << '\n' << std::flush;
    };
    if (options_.log) views_.onLog = [this](const std::string& line) { out_ << "log: " << line << '\n'; };
    session_ = std::make_unique<CSessionBridge>(loop_.Queue());
    controller_ = std::make_unique<CConnectionController>(
        *session_, settings_,
        ControllerViews{views_, views_, views_, views_, views_, views_, views_}, loop_.Timers());
    controller_->SetObserver(this);
    views_.onSelectPage = [this](int record) { controller_->OpenPage(static_cast<std::size_t>(record), true); };
    loop_.Attach(*controller_);
}

CCliApp::~CCliApp()
{
    // The session's threads post into the loop's queue; stop them first.
    session_.reset();
}

void CCliApp::OnParamValue(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t value)
{
    lastParam_ = std::array<std::uint8_t, 4>{a, b, c, value};
}

void CCliApp::OnStatus(const ByteString& packet)
{
    ++statusCount_;
    lastStatus_ = packet;
}

void CCliApp::OnPresetData(std::uint8_t index, const ByteString& data)
{
    lastPresetData_ = std::make_pair(index, data);
}

void CCliApp::OnPresetSent(std::uint8_t index)
{
    lastPresetSent_ = index;
}

void CCliApp::OnChange(const ChangeLine& line)
{
    if (!watching_ || !options_.changes) return;
    Print({{"type", "change"},
           {"time", ChangeTimeText(line)},
           {"origin", ChangeOriginName(line.origin)},
           {"page", line.page},
           {"caption", line.caption},
           {"address", {line.a, line.b, line.c}},
           {"old", line.oldText},
           {"new", line.newText},
           {"oldValue", line.oldKnown ? Json(line.oldValue) : Json(nullptr)},
           {"newValue", line.newValue}},
          clireport::ChangeText);
}

CliExit CCliApp::Fail(CliExit code, const std::string& text)
{
    err_ << "vexlor-cli: " << text << '\n';
    return code;
}

bool CCliApp::LinkLost() const
{
    return controller_->State() == ConnectionState::Disconnected;
}

bool CCliApp::Wait(const std::function<bool()>& done)
{
    const auto span = std::chrono::milliseconds(static_cast<long long>(options_.timeoutSeconds * 1000));
    return loop_.RunFor(span, [&] { return done() || LinkLost(); }, stop_) && !LinkLost();
}

bool CCliApp::UseProfile()
{
    const ConnectionProfile* profile = profiles_ ? profiles_->Find(options_.profile) : nullptr;
    if (!profile) return false;
    ApplyProfile(*profile, settings_);
    settings_.profileName = profile->name;
    if (options_.lockText.empty()) views_.lockCodeText = ::LockCodeText(profile->lockCode);
    else settings_.lockCode = static_cast<std::uint32_t>(std::strtoul(options_.lockText.c_str(), nullptr, 10));
    return true;
}

CliExit CCliApp::Run()
{
    if (options_.command == "profiles") return Profiles();
    if (!options_.profile.empty() && !UseProfile())
        return Fail(CliExit::Usage, profiles_ ? "no profile named " + options_.profile
                                              : "this build of vexlor-cli cannot read stored profiles");
    const CliExit connected = Connect();
    if (connected != CliExit::Ok) return connected;
    CliExit result = CliExit::Ok;
    const std::string& c = options_.command;
    if (c == "info") result = Info();
    else if (c == "get") result = Get();
    else if (c == "set") result = Set();
    else if (c == "presets") result = Presets();
    else if (c == "backup") result = Backup();
    else if (c == "restore") result = Restore();
    else if (c == "watch") result = Watch();
    // A disconnect drops whatever is still queued, such as the Load that makes a
    // restored current preset take effect: finish first.
    // An interrupted run (Ctrl+C on watch) leaves at once; that is no failure.
    const bool interrupted = stop_ && stop_->load();
    if (!LinkLost() && !interrupted && !Settle() && result == CliExit::Ok)
        result = Fail(CliExit::CommandFailed, "the processor did not answer every command");
    if (result != CliExit::Ok && LinkLost()) err_ << "vexlor-cli: the link to the processor was lost\n";
    Disconnect();
    return result;
}

CliExit CCliApp::Connect()
{
    controller_->ToggleConnection();
    // Every failure the controller reports reaches the operator as a message.
    auto failed = [this] {
        std::string text = "connection failed";
        if (!views_.messages.empty()) text = views_.messages.front().text;
        return Fail(CliExit::ConnectFailed, text);
    };
    if (controller_->State() != ConnectionState::Connecting) return failed();
    const auto span = std::chrono::milliseconds(static_cast<long long>(options_.timeoutSeconds * 1000));
    const bool ready = loop_.RunFor(span, [this] {
        // Ready, and the first status report has rebuilt the tree and opened
        // the first page, so nothing of the connect sequence is left to run.
        return LinkLost() || (controller_->State() == ConnectionState::Ready && statusCount_ > 0 &&
                              !controller_->RefreshWalkRunning());
    }, stop_);
    if (LinkLost() || !ready) {
        if (!ready && !LinkLost()) {
            Disconnect();
            return Fail(CliExit::ConnectFailed, "timed out while connecting");
        }
        // Give a second report of the same loss a moment to arrive.
        loop_.RunFor(std::chrono::milliseconds(100), [] { return false; });
        return failed();
    }
    return CliExit::Ok;
}

bool CCliApp::Settle()
{
    // Answered first, then an empty queue: the events of those answers were
    // posted before the proof arrived, so an empty queue means they are handled.
    return Wait([this] { return session_->AllCommandsAnswered() && loop_.Queue().Empty(); });
}

void CCliApp::Disconnect()
{
    if (LinkLost()) return;
    controller_->ExitApplication();
    loop_.RunFor(std::chrono::seconds(3), [this] { return !session_->IsConnected(); });
}

CliExit CCliApp::Info()
{
    const ModelInfo* model = controller_->Model();
    const ByteString& v = controller_->Version();
    std::string version;
    for (std::size_t i = 0; i < v.size(); ++i) version += (i == 1 ? "." : "") + std::string(1, static_cast<char>(v[i]));
    Json info = {{"version", version},
                 {"title", views_.title},
                 {"model", {{"name", model ? model->name : "?"}, {"code", int(model ? model->code : 0)}}},
                 {"presets", {{"count", controller_->PresetCount()}, {"user", controller_->UserPresetCount()}}},
                 {"pages", Json::array()}};
    if (!options_.json) out_ << clireport::InfoHeadText(info);
    const auto& records = controller_->PageTree().Records();
    for (std::size_t i = 0; i < records.size(); ++i) {
        Json page = PageJson(i);
        if (options_.json) info["pages"].push_back(std::move(page));
        else out_ << clireport::PageText(page);
        if (LinkLost()) return Fail(CliExit::LinkLost, "link lost while reading pages");
    }
    if (options_.json) out_ << clireport::JsonLine(info);
    return CliExit::Ok;
}

clireport::Json CCliApp::PageJson(std::size_t index)
{
    const PageTreeRecord& record = controller_->PageTree().Records()[index];
    Json page = {{"index", index}, {"path", record.path}, {"hidden", record.hidden}, {"parameters", Json::array()}};
    if (!record.hasPage) return page;
    const std::size_t before = walksDone_;
    controller_->OpenPage(index, true);
    if (!Wait([&] { return walksDone_ > before; })) return page;
    auto* shown = dynamic_cast<CTextPage*>(controller_->CurrentPage());
    if (!shown) return page;
    for (const auto& control : shown->Controls()) {
        const ControlRecord& r = control->Records().front();
        page["parameters"].push_back({{"caption", r.name},
                                      {"address", {r.a, r.b, r.c}},
                                      {"value", control->Shown() ? Json(*control->Shown()) : Json(nullptr)},
                                      {"text", control->Text(shown->PresetChoices())},
                                      {"hidden", control->Hidden()}});
    }
    return page;
}

std::optional<std::uint8_t> CCliApp::ReadOne(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    lastParam_.reset();
    controller_->ReadParameter(a, b, c);
    const bool got = Wait([&] {
        return lastParam_ && (*lastParam_)[0] == a && (*lastParam_)[1] == b && (*lastParam_)[2] == c;
    });
    if (!got) return std::nullopt;
    return (*lastParam_)[3];
}

namespace {

const ControlRecord* FindRecord(const PageNode* root, std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    const ControlRecord* found = nullptr;
    if (!root) return nullptr;
    descaccess::ForEachItem(*root, [&](const ControlItem& item) {
        for (const ControlRecord& r : item.records) {
            if (!found && descaccess::SameAddress(r, a, b, c)) found = &r;
        }
    });
    return found;
}

}  // namespace

CliExit CCliApp::Get()
{
    const auto a = ParseByte(options_.args[0]), b = ParseByte(options_.args[1]), c = ParseByte(options_.args[2]);
    if (!a || !b || !c) return Fail(CliExit::Usage, "an address byte is not a number from 0 to 255");
    const auto value = ReadOne(*a, *b, *c);
    if (!value) return Fail(CliExit::CommandFailed, "no reply for the parameter");
    Json param = {{"address", {*a, *b, *c}}, {"value", *value}, {"caption", nullptr}, {"text", nullptr}};
    if (const ControlRecord* r = FindRecord(controller_->Root(), *a, *b, *c)) {
        param["caption"] = r->name;
        param["text"] = ParamText(*r, *value, presets::PresetChoiceTexts(controller_->PresetRows()));
    }
    Print(param, clireport::ParamValueText);
    return CliExit::Ok;
}

CliExit CCliApp::Set()
{
    const auto a = ParseByte(options_.args[0]), b = ParseByte(options_.args[1]), c = ParseByte(options_.args[2]);
    const auto v = ParseByte(options_.args[3]);
    if (!a || !b || !c || !v) return Fail(CliExit::Usage, "address bytes and value must be numbers from 0 to 255");
    const ControlRecord* r = FindRecord(controller_->Root(), *a, *b, *c);
    controller_->WriteParameter(*a, *b, *c, *v, r && r->drivesVisibility);
    const auto back = ReadOne(*a, *b, *c);
    if (!back) return Fail(CliExit::CommandFailed, "no reply after the write");
    out_ << Hex(*a) << ' ' << Hex(*b) << ' ' << Hex(*c) << " = " << int(*back) << '\n';
    if (*back != *v)
        return Fail(CliExit::CommandFailed, "the processor holds " + std::to_string(*back) + " after writing " +
                                                std::to_string(*v));
    return CliExit::Ok;
}

CliExit CCliApp::Presets()
{
    const auto& rows = controller_->PresetRows();
    const presets::StatusValues& status = controller_->StatusNow();
    Json list = Json::array();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        list.push_back({{"index", i},
                        {"label", rows[i].label},
                        {"name", rows[i].name},
                        {"TR", i == status.tr},
                        {"DP", i == status.dp},
                        {"DEF", i == status.def},
                        {"current", i == status.current}});
    }
    Print({{"presets", std::move(list)}}, clireport::PresetsText);
    return CliExit::Ok;
}

std::optional<ByteString> CCliApp::RunPresetCommand(unsigned row, presets::PresetCommand command, bool waitSent)
{
    lastPresetData_.reset();
    lastPresetSent_.reset();
    views_.selectedRow = row;
    controller_->HandleMessage({msg::UM_PRESET_COMMAND, row, static_cast<std::uint32_t>(command), {}});
    const bool done = Wait([&] {
        if (waitSent && !lastPresetSent_) return false;
        return lastPresetData_ && lastPresetData_->first == row;
    });
    if (!done) return std::nullopt;
    return lastPresetData_->second;
}

CliExit CCliApp::Backup()
{
    namespace fs = std::filesystem;
    const fs::path dir = options_.args[0];
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir)) return Fail(CliExit::CommandFailed, "cannot create folder " + dir.string());
    const auto rows = controller_->PresetRows();
    for (unsigned i = 0; i < rows.size(); ++i) {
        std::string label = rows[i].label;
        if (!label.empty() && label.back() == ':') label.pop_back();
        const fs::path file = dir / (label + ".pst");
        views_.fileToSave = file.string();
        const auto data = RunPresetCommand(i, presets::PresetCommand::SaveToFile, false);
        if (!data) return Fail(CliExit::CommandFailed, "no data for preset " + rows[i].label);
        if (presets::ReadPresetFile(file.string()) != *data)
            return Fail(CliExit::CommandFailed, "cannot write " + file.string());
        out_ << rows[i].label << ' ' << rows[i].name << " -> " << file.string() << '\n';
    }
    return CliExit::Ok;
}

CliExit CCliApp::Restore()
{
    const auto number = ParseByte(options_.args[0]);
    const unsigned users = controller_->UserPresetCount();
    if (!number || *number < 1 || *number > users)
        return Fail(CliExit::Usage, "N must be a user preset number from 1 to " + std::to_string(users));
    const std::string& file = options_.args[1];
    const ByteString bytes = presets::ReadPresetFile(file);
    if (bytes.empty()) return Fail(CliExit::CommandFailed, "cannot read " + file + " (missing or empty)");
    const unsigned row = *number - 1u;
    views_.fileToLoad = file;
    const auto back = RunPresetCommand(row, presets::PresetCommand::LoadFromFile, true);
    if (!back) return Fail(CliExit::CommandFailed, "the processor did not take the preset");
    // The read-back carries the transfer's padding; the file's bytes lead it.
    if (back->size() < bytes.size() || !std::equal(bytes.begin(), bytes.end(), back->begin()))
        return Fail(CliExit::CommandFailed, "the preset read back differs from " + file);
    const auto& r = controller_->PresetRows()[row];
    out_ << r.label << ' ' << r.name << " <- " << file << '\n';
    return CliExit::Ok;
}

CliExit CCliApp::Profiles()
{
    if (!profiles_) return Fail(CliExit::CommandFailed, "this build of vexlor-cli cannot read stored profiles");
    Json list = Json::array();
    for (const ConnectionProfile& p : profiles_->List()) {
        const bool ethernet = p.portName == kEthernetPortName;
        list.push_back({{"name", p.name},
                        {"interface", ethernet ? "ethernet" : "serial"},
                        {"host", p.host},
                        {"port", p.portNumber},
                        {"device", ethernet ? Json(nullptr) : Json(p.portName)},
                        {"inUse", p.name == profiles_->Current()}});
    }
    Print({{"profiles", std::move(list)}}, clireport::ProfilesText);
    return CliExit::Ok;
}

void CCliApp::Print(const Json& report, std::string (*text)(const Json&))
{
    out_ << (options_.json ? clireport::JsonLine(report) : text(report));
    out_.flush();
}

CliExit CCliApp::Watch()
{
    const auto end = CCliLoop::Clock::now() +
                     std::chrono::milliseconds(static_cast<long long>(options_.seconds * 1000));
    ByteString shown;
    watching_ = true;
    if (options_.changes) return WatchChanges(end);
    while (CCliLoop::Clock::now() < end && !(stop_ && stop_->load())) {
        const std::size_t seen = statusCount_;
        loop_.RunUntil([&] { return statusCount_ > seen || LinkLost(); }, end, stop_);
        if (LinkLost()) return Fail(CliExit::LinkLost, "link lost");
        if (lastStatus_.size() < 28 || lastStatus_ == shown) continue;
        shown = lastStatus_;
        const auto s = controller_->StatusNow();
        std::string meters;
        for (std::size_t i = 6; i < 28; ++i) meters += Hex(shown[i]);
        Print({{"type", "status"},
               {"TR", s.tr},
               {"DP", s.dp},
               {"DEF", s.def},
               {"current", s.current},
               {"change", s.change},
               {"compare", s.compare},
               {"meters", meters},
               {"lit", LitCounts(views_.meterModel.value_or(0), shown)}},
              clireport::StatusText);
    }
    return CliExit::Ok;
}

CliExit CCliApp::WatchChanges(CCliLoop::Clock::time_point end)
{
    // The processor tells no one of a change; reading every page in turn, as
    // the window does when a page opens, finds them.
    const auto& records = controller_->PageTree().Records();
    for (std::size_t turn = 0; CCliLoop::Clock::now() < end && !(stop_ && stop_->load()); ++turn) {
        const std::size_t index = turn % std::max<std::size_t>(records.size(), 1);
        if (records.empty() || !records[index].hasPage) {
            loop_.RunUntil([] { return false; }, std::min(end, CCliLoop::Clock::now() + std::chrono::milliseconds(50)),
                           stop_);
        } else {
            const std::size_t before = walksDone_;
            controller_->OpenPage(index, true);
            const auto limit = std::min(end, CCliLoop::Clock::now() + std::chrono::seconds(5));
            loop_.RunUntil([&] { return walksDone_ > before || LinkLost(); }, limit, stop_);
        }
        if (LinkLost()) return Fail(CliExit::LinkLost, "link lost");
    }
    return CliExit::Ok;
}
