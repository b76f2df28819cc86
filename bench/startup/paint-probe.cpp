// Start-up to the first paint, for the start-up benchmark: runs a program,
// finds its top-level window by title and watches a patch at the window's
// centre until the patch has stayed the same for a while. Prints the
// milliseconds from the exec to the patch's last change: the moment the
// window first showed what it finally shows there. A window that is mapped
// but not yet painted shows whatever lay below it, so the mapping alone
// does not count.
//
//   paint-probe TITLE PROGRAM [ARGUMENTS...]
#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr int kPatch = 16;
constexpr double kSettleMs = 800;
constexpr double kGiveUpMs = 20000;

double NowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void Nap()
{
    const timespec oneMs{0, 1000000};
    nanosleep(&oneMs, nullptr);
}

xcb_atom_t Atom(xcb_connection_t *x, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, strlen(name), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

std::string Title(xcb_connection_t *x, xcb_window_t w, xcb_atom_t name, xcb_atom_t utf8)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(x, xcb_get_property(x, 0, w, name, utf8, 0, 256), nullptr);
    std::string title;
    if (reply)
        title.assign(static_cast<const char *>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
    free(reply);
    return title;
}

bool Viewable(xcb_connection_t *x, xcb_window_t w)
{
    xcb_get_window_attributes_reply_t *reply =
        xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, w), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    free(reply);
    return viewable;
}

// The viewable top-level window whose title holds the text, or 0.
xcb_window_t FindWindow(xcb_connection_t *x, xcb_window_t root, const char *text, xcb_atom_t name, xcb_atom_t utf8)
{
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(x, xcb_query_tree(x, root), nullptr);
    if (!tree)
        return 0;
    xcb_window_t found = 0;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i)
        if (Title(x, children[i], name, utf8).find(text) != std::string::npos && Viewable(x, children[i]))
            found = children[i];
    free(tree);
    return found;
}

// The pixels of the patch at the window's centre; empty while it cannot be read.
std::vector<uint8_t> Patch(xcb_connection_t *x, xcb_window_t w)
{
    xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(x, xcb_get_geometry(x, w), nullptr);
    if (!geometry)
        return {};
    const int16_t left = int16_t(geometry->width / 2 - kPatch / 2), top = int16_t(geometry->height / 2 - kPatch / 2);
    free(geometry);
    xcb_get_image_reply_t *image =
        xcb_get_image_reply(x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, w, left, top, kPatch, kPatch, ~0u), nullptr);
    if (!image)
        return {};
    const uint8_t *data = xcb_get_image_data(image);
    std::vector<uint8_t> pixels(data, data + xcb_get_image_data_length(image));
    free(image);
    return pixels;
}

pid_t Start(char **command)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(command[0], command);
        _exit(127);
    }
    return pid;
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        fprintf(stderr, "usage: paint-probe TITLE PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        fprintf(stderr, "paint-probe: no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const xcb_atom_t name = Atom(x, "_NET_WM_NAME"), utf8 = Atom(x, "UTF8_STRING");

    const double start = NowMs();
    const pid_t child = Start(argv + 2);
    xcb_window_t window = 0;
    std::vector<uint8_t> last;
    double lastChange = 0;
    while (NowMs() - start < kGiveUpMs && (last.empty() || NowMs() - lastChange < kSettleMs)) {
        if (!window)
            window = FindWindow(x, root, argv[1], name, utf8);
        if (window) {
            std::vector<uint8_t> patch = Patch(x, window);
            if (!patch.empty() && patch != last) {
                last = std::move(patch);
                lastChange = NowMs();
            }
        }
        Nap();
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    xcb_disconnect(x);
    if (last.empty()) {
        fprintf(stderr, "paint-probe: no window titled %s was painted\n", argv[1]);
        return 1;
    }
    printf("%.0f\n", lastChange - start);
    return 0;
}
