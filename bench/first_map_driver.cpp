// Time from starting a program to the first map of a top-level window on the
// X server in DISPLAY, for two programs run by turns, so that a drift in the
// machine's state weighs on both alike. Prints each side's median in
// milliseconds and the ratio of the first to the second.
// Usage: first_map_driver RUNS FIRST_COMMAND... -- SECOND_COMMAND...
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMapTimeoutMs = 30000;

struct XcbDisconnect {
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, XcbDisconnect>;

pid_t start(const std::vector<char *> &command)
{
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execv(command[0], command.data());
        _exit(127);
    }
    return child;
}

// Everything the server sent so far is read and dropped: a round trip, then
// the queue.
void drain(xcb_connection_t *connection)
{
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    while (xcb_generic_event_t *event = xcb_poll_for_event(connection))
        std::free(event);
}

bool waitForMap(xcb_connection_t *connection, xcb_window_t root)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(kMapTimeoutMs);
    pollfd descriptor{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                                reinterpret_cast<xcb_map_notify_event_t *>(event)->event == root;
            std::free(event);
            if (mapped)
                return true;
        }
        poll(&descriptor, 1, 100);
    }
    return false;
}

double millisecondsToFirstMap(xcb_connection_t *connection, xcb_window_t root,
                              const std::vector<char *> &command)
{
    drain(connection);
    const auto started = Clock::now();
    const pid_t child = start(command);
    const bool mapped = waitForMap(connection, root);
    const auto elapsed = Clock::now() - started;
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    if (!mapped)
        throw std::runtime_error(std::string(command[0]) + " mapped no window");
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s RUNS FIRST_COMMAND... -- SECOND_COMMAND...\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<char *> commands[2];
    int side = 0;
    for (int index = 2; index < argc; ++index) {
        if (std::string(argv[index]) == "--" && side == 0)
            side = 1;
        else
            commands[side].push_back(argv[index]);
    }
    for (std::vector<char *> &command : commands)
        command.push_back(nullptr);

    const Connection connection(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(connection.get())) {
        std::fprintf(stderr, "first map: no X server in DISPLAY\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection.get(), root, XCB_CW_EVENT_MASK, &mask);

    std::vector<double> times[2];
    try {
        for (int run = 0; run < runs; ++run)
            for (int which : {run % 2, 1 - run % 2})
                times[which].push_back(
                    millisecondsToFirstMap(connection.get(), root, commands[which]));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "first map: %s\n", error.what());
        return 1;
    }
    std::printf("%.1f %.1f %.2f\n", median(times[0]), median(times[1]),
                median(times[0]) / median(times[1]));
    return 0;
}
