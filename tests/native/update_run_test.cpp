#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/platform_error.h"
#include "platform/utf.h"
#include "tests/native/http_test_server.h"
#include "update/http_client.h"
#include "update/update_run.h"

namespace {

using Step = UpdateRun::Step;
using Page = UpdateRun::Page;
using Focus = UpdateRun::Focus;

struct Transfers : UpdateTransfers {
    void Start(const std::wstring&, const std::wstring&, std::uint64_t) override { running = true; }
    void Stop() override { running = false; }
    bool running = false;  // started and not stopped; an outcome may still come
};

struct Files : UpdateFiles {
    std::wstring NewRunFolder() override { return L"C:\\Temp\\ZwUpdate-1\\"; }
    std::wstring NewListFile() override { return L"C:\\Temp\\ZwUpdate-1\\$1.tmp"; }
    UpdateList ReadList(const std::wstring&, const std::wstring&) override { return list; }
    bool ConfirmArchive(const std::wstring&, const std::wstring&, const ArchiveBinding&) override { return archiveOk; }
    std::optional<std::wstring> PrepareInstall(const std::wstring&, bool) override { return installProblem; }
    void Discard(const std::wstring&) override {}
    bool NeedsAdministrator() override { return !consentPossible; }
    bool CanBecomeAdministrator() override { return consentPossible; }
    void EndRun(bool prepared) override { keptFolder = prepared; }
    void ScheduleNextReminder(double today) override {
        if (scheduleFails) throw PlatformError(L"Registrierung gesperrt");
        nextReminderFrom = today;
    }
    UpdateList list;
    bool archiveOk = true, scheduleFails = false, keptFolder = false, consentPossible = true;
    std::optional<std::wstring> installProblem;
    double nextReminderFrom = 0;
};

struct Clock : UpdateClock {
    double Now() const override { return 46364.5; }
};
struct Connection : ConnectionState {
    bool Connected() const override { return online; }
    bool online = true;
};
struct Launcher : BatchLauncher {
    void Launch(const std::wstring& folder, const std::wstring& batch) const override { started = folder + batch; }
    bool LaunchElevated(const std::wstring&, const std::wstring&) const override { return false; }
    mutable std::wstring started;
};

UpdateList OfferedList() {
    UpdateList list;
    list.confirmed = list.hasSection = true;
    list.date = 40000;
    list.binding = ArchiveBinding{1000, {}};
    list.archiveName = L"Pfeilbau.zip";
    list.news = L"- 05.06.2003: Neu\r\n";
    return list;
}

// Events a user or a transfer causes; each transfer ending names its outcome.
enum class Event { Next, Check, Cancel, DownloadButton, Settings, SettingsBack, Done, Http404, Cut, TooLarge, Offline };

struct Harness {
    Transfers transfers;
    Files files;
    Clock clock;
    Connection connection;
    Launcher launcher;
    UpdateRun run{{&transfers, &files, &clock, &connection, &launcher}, L"Zeigerwerk", L"Pfeilbau.zip", 37714};

    Harness() { files.list = OfferedList(); }
    void Apply(Event e) {
        if (e >= Event::Done) transfers.running = false;  // an outcome is the end of its transfer
        switch (e) {
            case Event::Next: run.Next(); break;
            case Event::Check: run.Check(); break;
            case Event::Cancel: run.Cancel(); break;
            case Event::DownloadButton: run.DownloadButton(); break;
            case Event::Settings: run.OpenSettings(); break;
            case Event::SettingsBack: run.CloseSettings(); break;
            case Event::Done: run.TransferEnded({TransferEnd::Done}); break;
            case Event::Http404: run.TransferEnded({TransferEnd::HttpStatus, 404}); break;
            case Event::Cut: run.TransferEnded({TransferEnd::Cut}); break;
            case Event::TooLarge: run.TransferEnded({TransferEnd::TooLarge}); break;
            case Event::Offline: run.TransferEnded({TransferEnd::NoConnection}); break;
        }
    }
};

using E = Event;
const std::vector<Event> kToResult = {E::Next, E::Check, E::Done, E::Done};
const std::vector<Event> kToDownloaded = {E::Next, E::Check, E::Done, E::Done, E::Next, E::Done, E::Done};
const std::vector<Event> kToInstall = {E::Next, E::Check, E::Done, E::Done, E::Next, E::Done, E::Done, E::Next};

std::vector<Event> Then(std::vector<Event> events, std::initializer_list<Event> more) {
    events.insert(events.end(), more);
    return events;
}

TEST(UpdateRun, EachEventLeadsToItsStepWithWhatTheStepShows) {
    struct Case {
        const char* what;
        std::vector<Event> events;
        Step step;
        Page page;
        bool nextEnabled;
        Focus focus;
        const wchar_t* box = nullptr;  // the start of the box shown last
        bool closed = false, terminates = false;
        std::function<void(Harness&)> setup = {};
    } const cases[] = {
        {"welcome", {}, Step::Welcome, Page::Welcome, true, Focus::Next},
        {"Next: the check waits for its button", {E::Next}, Step::Check, Page::Check, false, Focus::Check},
        {"the check runs: the keyboard goes to Abbrechen", {E::Next, E::Check}, Step::Check, Page::Check, false,
         Focus::Cancel},
        {"Esc during the check stops it and closes", {E::Next, E::Check, E::Cancel}, Step::Check, Page::Check, false,
         Focus::Cancel, nullptr, true},
        {"system offline", {E::Next, E::Check}, Step::Check, Page::Check, false, Focus::Check,
         L"Es besteht keine Internetverbindung.", false, false, [](Harness& r) { r.connection.online = false; }},
        {"no connection to the server", {E::Next, E::Check, E::Offline}, Step::Check, Page::Check, false,
         Focus::Check, L"Es besteht keine Internetverbindung."},
        {"list cut short", {E::Next, E::Check, E::Cut}, Step::Check, Page::Check, false, Focus::Check,
         L"Die Update-Liste ist nicht vollständig angekommen"},
        {"list over its bound", {E::Next, E::Check, E::TooLarge}, Step::Check, Page::Check, false, Focus::Check,
         L"Die Update-Liste des Servers ist größer als erlaubt"},
        {"list without signature", {E::Next, E::Check, E::Done, E::Http404}, Step::Check, Page::Check, false,
         Focus::Check, L"Die Update-Informationen des Servers konnten nicht bestätigt werden", false, false,
         [](Harness& r) { r.files.list.confirmed = false; }},
        {"updates offered", kToResult, Step::Result, Page::Result, true, Focus::Next},
        {"none offered: Beenden closes", Then(kToResult, {E::Next}), Step::Result, Page::Result, true, Focus::Next,
         nullptr, true, false, [](Harness& r) { r.files.list.date = 30000; }},
        {"no consent possible: told before the download, Beenden closes", Then(kToResult, {E::Next}), Step::Result,
         Page::Result, true, Focus::Next, nullptr, true, false, [](Harness& r) { r.files.consentPossible = false; }},
        {"download running", Then(kToResult, {E::Next}), Step::Download, Page::Download, false, Focus::DownloadButton},
        {"download stopped by its button", Then(kToResult, {E::Next, E::DownloadButton}), Step::Download,
         Page::Download, false, Focus::DownloadButton},
        {"retry after a cut download", Then(kToResult, {E::Next, E::Cut, E::DownloadButton}), Step::Download,
         Page::Download, false, Focus::DownloadButton},
        {"archive not confirmed", kToDownloaded, Step::Download, Page::Download, false, Focus::DownloadButton, nullptr,
         false, false, [](Harness& r) { r.files.archiveOk = false; }},
        {"downloaded", kToDownloaded, Step::Download, Page::Download, true, Focus::Next},
        {"install page", kToInstall, Step::Install, Page::Install, true, Focus::Next},
        {"install refused: closing returns as a cancel", Then(kToInstall, {E::Next, E::Cancel}), Step::Install,
         Page::Install, false, Focus::Cancel, nullptr, true, false,
         [](Harness& r) { r.files.installProblem = L"Die Update-Dateien konnten nicht vollständig entpackt werden."; }},
        {"install prepared", Then(kToInstall, {E::Next}), Step::Finish, Page::Finish, true, Focus::Next},
        {"an outcome after the stop changes nothing", Then(kToResult, {E::Next, E::Cancel, E::Done}), Step::Download,
         Page::Download, false, Focus::DownloadButton, nullptr, true},
        {"prepared, closed by the close box", Then(kToInstall, {E::Next, E::Cancel}), Step::Finish, Page::Finish,
         true, Focus::Next, nullptr, true, true},
        {"prepared, Beenden", Then(kToInstall, {E::Next, E::Next}), Step::Ended, Page::Finish, true, Focus::Next,
         nullptr, true, true},
        {"settings keep the step", {E::Next, E::Settings}, Step::Check, Page::Settings, false, Focus::SettingsSave},
        {"Esc on the settings returns to the step", {E::Next, E::Settings, E::Cancel}, Step::Check, Page::Check, false,
         Focus::Check},
        {"Next does nothing on the settings", {E::Settings, E::Next, E::SettingsBack}, Step::Welcome, Page::Welcome,
         true, Focus::Next},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Harness r;
        if (c.setup) c.setup(r);
        r.run.Begin();
        std::optional<UpdateRun::Box> lastBox;
        for (Event e : c.events) {
            r.Apply(e);
            if (r.run.Shown().box) lastBox = r.run.Shown().box;
            r.run.ClearBox();
        }
        const UpdateRun::View& v = r.run.Shown();
        EXPECT_EQ(v.step, c.step);
        EXPECT_EQ(v.page, c.page);
        EXPECT_EQ(v.nextEnabled, c.nextEnabled);
        EXPECT_EQ(v.focus, c.focus);
        EXPECT_EQ(lastBox.has_value(), c.box != nullptr);
        if (c.box && lastBox) { EXPECT_EQ(lastBox->text.rfind(c.box, 0), 0u) << Utf8FromWide(lastBox->text); }
        EXPECT_EQ(v.closed, c.closed);
        EXPECT_EQ(r.run.TakeTerminateRequest(), c.terminates);
        // A closed dialog has stopped its transfer; whatever ends a run, no transfer outlives it.
        if (v.closed) { EXPECT_FALSE(r.transfers.running); }
        r.run.Closed();
        EXPECT_FALSE(r.run.Checking() || r.run.Downloading());
        EXPECT_EQ(r.files.keptFolder, r.run.InstallPrepared());
    }
}

// The real client against a server that answers one of the run's four paths with an error status
// and a page of some length: the status decides what the user is told, never the page's length.
struct LoopbackTransfers : UpdateTransfers {
    explicit LoopbackTransfers(int port) : port(port) {}
    void Start(const std::wstring& path, const std::wstring&, std::uint64_t limit) override {
        HttpClient client;
        client.InputFileMode = true;
        client.Body = (std::filesystem::temp_directory_path() / ("zw-run-" + std::to_string(port))).wstring();
        client.MaxBodySize = limit;
        client.TimeOut = 10000;
        std::optional<SocketError> error;
        try {
            client.Get("http://127.0.0.1:" + std::to_string(port) + Utf8FromWide(path));
        } catch (const SocketError& e) {
            error = e;
        }
        std::filesystem::remove(client.Body);
        ended.push_back(ClassifyTransfer(error ? &*error : nullptr, client.Status()));
    }
    void Stop() override {}
    int port;
    std::vector<TransferOutcome> ended;
};

TEST(UpdateRun, AnErrorStatusGivesTheMessageOfItsFileWhateverThePage) {
    const struct {
        const char* path;
        int status;
        const wchar_t* message;  // the start of the box's text, or of the download page's
    } cases[] = {
        {"/Updates.ini", 404, L"Der Update-Server hat die Update-Liste nicht geliefert (Antwort des Servers: 404)."},
        {"/Updates.ini", 407, L"Der Proxyserver verlangt eine Anmeldung"},
        {"/Updates.ini.sig", 404,
         L"Die Update-Informationen des Servers konnten nicht bestätigt werden: Der Server hat ihre Signatur nicht "
         L"geliefert (Antwort des Servers: 404)."},
        {"/Updates.ini.sig", 407, L"Der Proxyserver verlangt eine Anmeldung"},
        {"/Updates/Pfeilbau.zip", 500, L"Der Download wurde nicht vollendet.\r\n"},
        {"/Updates/Pfeilbau.zip", 407, L"Der Download wurde nicht vollendet. Der Proxyserver verlangt eine Anmeldung"},
        {"/Updates/Pfeilbau.zip.sig", 404,
         L"Die heruntergeladenen Update-Dateien konnten nicht bestätigt werden, weil der Server ihre Signatur nicht "
         L"geliefert hat (Antwort des Servers: 404)"},
    };
    // A page past every bound; that the client reports the status whatever the page is its own test.
    const std::uint64_t pageSize = 3ull << 20;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.status));
        TestHttpServer server([&](const std::string& request, int) {
            ScriptedResponse r{"HTTP/1.0 200 OK\r\n\r\n", "x"};
            if (request.rfind("GET " + std::string(c.path) + " ", 0) == 0) {
                r.head = "HTTP/1.0 " + std::to_string(c.status) + " Fehler\r\nContent-Length: " +
                         std::to_string(pageSize) + "\r\n\r\n";
                r.body.clear();
                r.generatedSize = pageSize;
            }
            return r;
        });
        Harness r;
        LoopbackTransfers transfers(server.Port());
        UpdateRun run{{&transfers, &r.files, &r.clock, &r.connection, &r.launcher}, L"Zeigerwerk", L"Pfeilbau.zip",
                      37714};
        run.Begin();
        std::wstring told;
        const auto deliver = [&] {
            // An outcome may start the next transfer, which adds its own: each is copied first.
            for (std::size_t at = 0; at < transfers.ended.size(); ++at)
                run.TransferEnded(TransferOutcome(transfers.ended[at]));
            transfers.ended.clear();
            if (run.Shown().box) told = run.Shown().box->text;
            run.ClearBox();
        };
        run.Next();
        run.Check();
        deliver();
        if (run.CurrentStep() == Step::Result) {
            run.Next();
            deliver();
            told = run.Shown().downloadText;
        }
        EXPECT_EQ(told.rfind(c.message, 0), 0u) << Utf8FromWide(told);
    }
}

TEST(UpdateRun, ProgressShowsOnlyWhileTheArchiveComes) {
    Harness r;
    r.run.Begin();
    for (Event e : Then(kToResult, {E::Next})) r.Apply(e);
    r.run.Progress(500, 1000);
    EXPECT_EQ(r.run.Shown().percent, L"50 %");
    EXPECT_EQ(r.run.Shown().sizes, L"500 Byte von 1000 Byte gedownloadet");
    r.Apply(E::Cut);
    r.run.Progress(700, 1000);
    EXPECT_EQ(r.run.Shown().percent + r.run.Shown().sizes + r.run.Shown().timeLeft, L"");
    EXPECT_TRUE(r.run.DownloadFailed());
    EXPECT_EQ(r.run.Shown().downloadButtonText, L"Erneut versuchen");
}

TEST(UpdateRun, TheEndOfTheProcessSchedulesAndStartsOnlyWhatWasFinished) {
    struct Case {
        const char* what;
        std::vector<Event> events;
        double listDate;
        bool scheduleFails;
        bool scheduled, launched;
        bool problem;
    } const cases[] = {
        {"cancelled at the welcome", {E::Cancel}, 40000, false, false, false, false},
        {"no updates, Beenden", Then(kToResult, {E::Next}), 30000, false, true, false, false},
        {"prepared", Then(kToInstall, {E::Next, E::Next}), 40000, false, true, true, false},
        {"prepared, the schedule fails: the batch still starts", Then(kToInstall, {E::Next, E::Next}), 40000, true,
         false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Harness r;
        r.files.list.date = c.listDate;
        r.files.scheduleFails = c.scheduleFails;
        r.run.Begin();
        for (Event e : c.events) r.Apply(e);
        const std::wstring problem = r.run.EndOfProcess();
        EXPECT_EQ(r.files.nextReminderFrom != 0, c.scheduled);
        EXPECT_EQ(r.launcher.started, c.launched ? L"C:\\Temp\\ZwUpdate-1\\Update.bat" : L"");
        EXPECT_EQ(!problem.empty(), c.problem);
        EXPECT_EQ(r.run.EndOfProcess(), L"");  // once
    }
}

}  // namespace
