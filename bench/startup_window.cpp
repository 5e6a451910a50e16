// Start-up of the window as the user sees it: from starting the process to its window on the
// display with the date in its title, against a bare Qt Widgets window that shows its title
// (bare_window), started in turn on the same X display. For reading beside the target, two
// floors: the bare window showing the kinds of text the program's window shows (bare_window
// --text), the part of the start that any window with that text pays; and the program's window
// built of the same widgets with nothing behind them (bare_window --widgets), the part that any
// program showing that window pays.
//
//   startup_window [ROUNDS]
//
// ROUNDS of the four starts, 15 by default (one round more is run first to warm the caches and
// is not counted). The programs are the ones beside this benchmark. The X display is DISPLAY's;
// without one, an Xvfb of the benchmark's own is started. Likewise the session bus that every
// desktop has: without DBUS_SESSION_BUS_ADDRESS a bus of the benchmark's own (else each program
// would start one). The benchmark watches the display itself (a top-level window mapped with
// "e.v." in its title), so nothing in the program marks the moment for it; it also reports, with
// no target, the moment each window is first drawn into (its first frame on the screen). Every
// run has a fresh settings file (with a stored window size, as on every start but the first) and
// work folder.
//
// Exit status: 0 within the target, 2 outside it, 1 when a measurement could not be made.

#include "processbench.h"

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace orlam::procbench;

namespace {

constexpr double TargetRatio = 1.5;
constexpr int TimeoutMs = 20000;
constexpr const char *DateMarker = "e.v.";

long residentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Watches the top-level windows of the display: which are mapped, their titles, and when each
// is first drawn into (the DAMAGE extension: the first frame the program puts on the screen).
class Watcher {
public:
    explicit Watcher(const std::string &display)
    {
        mConnection = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(mConnection))
            fail("cannot connect to the X display " + display);
        mRoot = xcb_setup_roots_iterator(xcb_get_setup(mConnection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(mConnection, mRoot, XCB_CW_EVENT_MASK, &mask);
        mNetWmName = atom("_NET_WM_NAME");
        const xcb_query_extension_reply_t *damage = xcb_get_extension_data(mConnection, &xcb_damage_id);
        if (!damage || !damage->present)
            fail("the X display " + display + " has no DAMAGE extension");
        mDamageNotify = damage->first_event + XCB_DAMAGE_NOTIFY;
        std::free(xcb_damage_query_version_reply(
            mConnection,
            xcb_damage_query_version(mConnection, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
            nullptr));
        xcb_flush(mConnection);
    }
    ~Watcher() { xcb_disconnect(mConnection); }

    // Milliseconds from `start` until a window holding `marker` in its title is mapped, or
    // nothing when `child` ends first or the time runs out.
    std::optional<double> waitForTitle(pid_t child, Clock::time_point start, const std::string &marker)
    {
        mWindows.clear();
        mShown = XCB_WINDOW_NONE;
        return waitFor(child, start, [&](xcb_window_t changed) {
            const auto it = mWindows.find(changed);
            if (it == mWindows.end() || !it->second.mapped ||
                it->second.title.find(marker) == std::string::npos)
                return false;
            mShown = changed;
            return true;
        });
    }

    // Milliseconds from `start` until the window found by waitForTitle() has been drawn into.
    std::optional<double> waitForFirstFrame(pid_t child, Clock::time_point start)
    {
        const auto drawn = [&] {
            const auto it = mWindows.find(mShown);
            return it != mWindows.end() && it->second.drawn
                       ? std::optional<double>(since(start, *it->second.drawn))
                       : std::nullopt;
        };
        if (const std::optional<double> already = drawn())
            return already;
        if (!waitFor(child, start,
                     [&](xcb_window_t changed) { return changed == mShown && mWindows[changed].drawn; }))
            return std::nullopt;
        return drawn();
    }

    // Events of the last program's windows still queued.
    void drain()
    {
        xcb_flush(mConnection);
        while (xcb_generic_event_t *event = xcb_poll_for_event(mConnection))
            std::free(event);
    }

private:
    struct Window {
        bool mapped = false;
        std::string title;
        std::optional<Clock::time_point> drawn;
    };

    static double since(Clock::time_point start, Clock::time_point moment)
    {
        return std::chrono::duration<double, std::milli>(moment - start).count();
    }

    // Reads the display's events until `done` holds for the window an event was about: the
    // milliseconds from `start`, or nothing when `child` ends first or the time runs out.
    std::optional<double> waitFor(pid_t child, Clock::time_point start,
                                  const std::function<bool(xcb_window_t)> &done)
    {
        const int fd = xcb_get_file_descriptor(mConnection);
        while (true) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(mConnection)) {
                const xcb_window_t changed = handle(event);
                std::free(event);
                if (changed != XCB_WINDOW_NONE && done(changed))
                    return since(start, Clock::now());
            }
            if (xcb_connection_has_error(mConnection))
                fail("the X display went away");
            if (::waitpid(child, nullptr, WNOHANG) == child)
                return std::nullopt;
            if (since(start, Clock::now()) > TimeoutMs)
                return std::nullopt;
            pollfd pfd{fd, POLLIN, 0};
            ::poll(&pfd, 1, 5);
        }
    }

    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            mConnection, xcb_intern_atom(mConnection, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    }

    std::string readTitle(xcb_window_t window)
    {
        std::string title;
        for (xcb_atom_t property : {mNetWmName, xcb_atom_t(XCB_ATOM_WM_NAME)}) {
            xcb_get_property_reply_t *reply = xcb_get_property_reply(
                mConnection,
                xcb_get_property(mConnection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                nullptr);
            if (reply) {
                title.append(static_cast<const char *>(xcb_get_property_value(reply)),
                             static_cast<std::size_t>(xcb_get_property_value_length(reply)));
                std::free(reply);
            }
            if (!title.empty())
                break;
        }
        return title;
    }

    // Takes in one event; returns the window it was about (none when it was of no interest).
    xcb_window_t handle(xcb_generic_event_t *event)
    {
        xcb_window_t window = XCB_WINDOW_NONE;
        const uint8_t type = event->response_type & 0x7f;
        if (type == mDamageNotify) {
            window = reinterpret_cast<xcb_damage_notify_event_t *>(event)->drawable;
            if (!mWindows[window].drawn)
                mWindows[window].drawn = Clock::now();
            return window;
        }
        switch (type) {
        case XCB_CREATE_NOTIFY: {
            auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event);
            if (created->parent != mRoot)
                return XCB_WINDOW_NONE;
            window = created->window;
            // Titles set from now on come as property changes; one set before is read below.
            const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(mConnection, window, XCB_CW_EVENT_MASK, &mask);
            // One report, when the window is first drawn into; it is freed with the window.
            xcb_damage_create(mConnection, xcb_generate_id(mConnection), window,
                              XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
            mWindows[window].title = readTitle(window);
            break;
        }
        case XCB_MAP_NOTIFY:
            window = reinterpret_cast<xcb_map_notify_event_t *>(event)->window;
            mWindows[window].mapped = true;
            break;
        case XCB_UNMAP_NOTIFY:
            window = reinterpret_cast<xcb_unmap_notify_event_t *>(event)->window;
            mWindows[window].mapped = false;
            break;
        case XCB_PROPERTY_NOTIFY: {
            auto *changed = reinterpret_cast<xcb_property_notify_event_t *>(event);
            if (changed->atom != mNetWmName && changed->atom != XCB_ATOM_WM_NAME)
                return XCB_WINDOW_NONE;
            window = changed->window;
            mWindows[window].title = readTitle(window);
            break;
        }
        default:
            return XCB_WINDOW_NONE;
        }
        return window;
    }

    xcb_connection_t *mConnection = nullptr;
    xcb_window_t mRoot = XCB_WINDOW_NONE;
    xcb_atom_t mNetWmName = XCB_ATOM_NONE;
    uint8_t mDamageNotify = 0;
    std::map<xcb_window_t, Window> mWindows;
    xcb_window_t mShown = XCB_WINDOW_NONE;
};

struct Sample {
    double milliseconds = 0; // to the window mapped with the marker in its title
    double firstFrame = 0;   // to its first frame drawn
    long residentKiB = -1;
};

// Starts `program` in a fresh folder of its own (settings, work folder, runtime folder) and
// measures until its window shows `marker` in the title.
Sample measure(Watcher &watcher, const std::string &display, const std::string &program,
               const std::vector<std::string> &args, const std::string &marker)
{
    TempFolder folder("orlam-startup");
    const fs::path &dir = folder.path();
    // As the last close of a window of the default size left them: a window without a stored size
    // first fits itself to its date, which only a first start does.
    writeFile(dir / "Orlam.ini", "[orlam]\r\nUpdate Caption=1\r\nClientWidth=400\r\nClientHeight=315\r\n");
    fs::create_directories(dir / "data");
    fs::create_directories(dir / "config");
    fs::permissions(dir, fs::perms::owner_all);

    ProcessOptions options;
    options.folder = dir;
    options.discardOutput = true;
    options.inChild = [&] {
        ::setenv("DISPLAY", display.c_str(), 1);
        ::unsetenv("WAYLAND_DISPLAY");
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("ORLAM_SETTINGS", (dir / "Orlam.ini").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    };
    watcher.drain();
    const auto start = Clock::now();
    const pid_t pid = startProcess(program, args, options);
    const std::optional<double> shown = watcher.waitForTitle(pid, start, marker);
    Sample sample;
    std::optional<double> drawn;
    if (shown) {
        sample.milliseconds = *shown;
        sample.residentKiB = residentKiB(pid);
        drawn = watcher.waitForFirstFrame(pid, start);
        sample.firstFrame = drawn.value_or(0);
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!shown)
        fail(program + " showed no window with \"" + marker + "\" in its title within " +
             std::to_string(TimeoutMs) + " ms (ended: " + (WIFEXITED(status) ? "yes" : "no") + ")");
    if (!drawn)
        fail(program + " mapped its window but drew nothing into it within " + std::to_string(TimeoutMs) +
             " ms");
    return sample;
}

} // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    const std::string orlam = programBeside("orlam");
    const std::string bare = programBeside("bare_window");

    std::unique_ptr<OwnXServer> server;
    std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    if (display.empty()) {
        server = std::make_unique<OwnXServer>();
        display = server->display();
    }
    std::unique_ptr<OwnSessionBus> bus;
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS") || !*std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        bus = std::make_unique<OwnSessionBus>();
        ::setenv("DBUS_SESSION_BUS_ADDRESS", bus->address().c_str(), 1);
    }
    Watcher watcher(display);

    const std::string bareTitle = std::string("Bare window ") + DateMarker;
    std::vector<double> orlamTimes, bareTimes, textTimes, widgetTimes;
    std::vector<double> orlamFrames, bareFrames, textFrames, widgetFrames;
    long resident = -1;
    for (int i = -1; i < rounds; ++i) {
        // In turn, each first every fourth time: none gains from another's warm caches.
        Sample o, b, t, w;
        const auto runOrlam = [&] { o = measure(watcher, display, orlam, {}, DateMarker); };
        const auto runBare = [&] { b = measure(watcher, display, bare, {bareTitle}, DateMarker); };
        const auto runText = [&] { t = measure(watcher, display, bare, {"--text", bareTitle}, DateMarker); };
        const auto runWidgets = [&] {
            w = measure(watcher, display, bare, {"--widgets", bareTitle}, DateMarker);
        };
        const std::function<void()> starts[] = {runOrlam, runBare, runText, runWidgets};
        for (int k = 0; k < 4; ++k)
            starts[(i + 4 + k) % 4]();
        if (i < 0)
            continue; // warming the caches
        orlamTimes.push_back(o.milliseconds);
        bareTimes.push_back(b.milliseconds);
        textTimes.push_back(t.milliseconds);
        widgetTimes.push_back(w.milliseconds);
        orlamFrames.push_back(o.firstFrame);
        bareFrames.push_back(b.firstFrame);
        textFrames.push_back(t.firstFrame);
        widgetFrames.push_back(w.firstFrame);
        resident = std::max(resident, o.residentKiB);
    }

    const double orlamMedian = median(orlamTimes);
    const double bareMedian = median(bareTimes);
    const double textMedian = median(textTimes);
    const double widgetMedian = median(widgetTimes);
    const double ratio = orlamMedian / bareMedian;
    std::printf("display %s%s, %s session bus, %d rounds in turn\n", display.c_str(),
                server ? " (own Xvfb)" : "", bus ? "own" : "the environment's", rounds);
    std::printf("bare Qt Widgets window to its title    median %7.1f ms (min %.1f)\n", bareMedian,
                minimum(bareTimes));
    std::printf("the same with the window's text        median %7.1f ms (min %.1f)\n", textMedian,
                minimum(textTimes));
    std::printf("the window's widgets, nothing behind   median %7.1f ms (min %.1f)\n", widgetMedian,
                minimum(widgetTimes));
    std::printf("orlam window to the date in its title  median %7.1f ms (min %.1f)\n", orlamMedian,
                minimum(orlamTimes));
    std::printf("to the bare one (no target): text window %.2f, widgets alone %.2f\n",
                textMedian / bareMedian, widgetMedian / bareMedian);
    std::printf("orlam to the text window %.2f, to its widgets alone %.2f (no target)\n",
                orlamMedian / textMedian, orlamMedian / widgetMedian);
    std::printf("to the first frame drawn, medians: bare %.1f, text %.1f, widgets %.1f, orlam %.1f ms;"
                " orlam to the bare one %.2f (no target)\n",
                median(bareFrames), median(textFrames), median(widgetFrames), median(orlamFrames),
                median(orlamFrames) / median(bareFrames));
    std::printf("resident memory of orlam at that moment: %ld KiB\n", resident);
    std::printf("ratio %.2f (target <= %.2f): ", ratio, TargetRatio);
    return verdict(ratio <= TargetRatio);
}
